#include "support/ClipboardOwners.h"

#include <QTest>

ClipboardOwners::~ClipboardOwners()
{
    for (auto& owner : m_owners) {
        owner->closeWriteChannel();
        if (!owner->waitForFinished(5000))
            owner->kill();
    }
}

QProcess* ClipboardOwners::copy(const QString& text, bool onLine)
{
    auto owner = std::make_unique<QProcess>();
    owner->start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {onLine ? "on-line" : "text", text});
    m_owners.push_back(std::move(owner));
    QProcess* p = m_owners.back().get();
    if (onLine)
        (void)QTest::qWaitFor([&] { return p->canReadLine() && p->readLine().trimmed() == "ready"; }, 10000);
    return p;
}
