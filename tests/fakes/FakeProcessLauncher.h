#pragma once
#include "Platform/ProcessLauncher.h"

#include <QList>
#include <QPair>

class FakeProcessLauncher final : public ProcessLauncher {
public:
    QString programPath() const override { return path; }
    qint64 processId() const override { return pid; }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started.append({program, arguments});
        return startWorks;
    }
    void quit() override { ++quits; }

    QString path = QStringLiteral("/opt/Zentu \"it\"/$(zentu)");
    qint64 pid = 4242;
    bool startWorks = true;
    QList<QPair<QString, QStringList>> started;
    int quits = 0;
};
