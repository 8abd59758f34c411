#include "support/CodedCapture.h"

#include "support/DebugLogMessages.h"

#include <QTest>

QString codedCaptureFault(const std::optional<CapturedScreenshot>& shot, int items, int pageBreakEvery)
{
    return codedCaptureFault(shot, items, [&](const QImage& image) { return CodedRows::verify(image, items, pageBreakEvery); });
}

QString codedCaptureFault(const std::optional<CapturedScreenshot>& shot, int items,
                          const std::function<CodedRows::Verdict(const QImage&)>& verify)
{
    if (!shot)
        return QStringLiteral("nothing captured");
    if (const QByteArray keep = qgetenv("ZENTU_TEST_KEEP_IMAGES"); !keep.isEmpty())
        shot->image.save(QString::fromLocal8Bit(keep) + QLatin1Char('/') + QTest::currentTestFunction() + ".png");
    const CodedRows::Verdict verdict = verify(shot->image);
    qInfo("%d of %d items, %dx%d%s", verdict.found, items, shot->image.width(), shot->image.height(),
          shot->incomplete ? ", incomplete" : "");
    QString fault = verdict.problem;
    if (fault.isEmpty() && shot->incomplete)
        fault = QStringLiteral("all there, yet called incomplete");
    // ZENTU_TEST_SHOW_LOG: the capture's log after every run, not only after a failed one.
    if (!fault.isEmpty() || !qEnvironmentVariableIsEmpty("ZENTU_TEST_SHOW_LOG"))
        qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
    return fault;
}
