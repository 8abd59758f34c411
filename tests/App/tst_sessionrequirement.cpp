// Started without an X display the program says plainly that it needs an X11
// session and which variable is missing, in the user's language, and ends
// with a failure status instead of Qt's plugin error.
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"

#include <QFile>
#include <QProcess>

namespace {
struct Run {
    int exitCode = -1;
    QString errors;
};

Run runWithout(const QStringList& unset, const QHash<QString, QString>& set)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unset)
        env.remove(name);
    for (auto it = set.begin(); it != set.end(); ++it)
        env.insert(it.key(), it.value());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(RealApp::binary(), {});
    Run run;
    if (!app.waitForFinished(20000)) {
        app.kill();
        app.waitForFinished();
        return run;
    }
    run.exitCode = app.exitStatus() == QProcess::NormalExit ? app.exitCode() : -1;
    run.errors = QString::fromUtf8(app.readAllStandardError());
    return run;
}
} // namespace

class TestSessionRequirement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saysWhatIsMissingAndFails()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        const QStringList displays{QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")};

        // A text console or ssh: no display at all.
        Run run = runWithout(displays, {{"LANGUAGE", "de"}});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errors.trimmed(),
                 QStringLiteral("Zentu.it braucht eine X11-Sitzung, aber die Variable DISPLAY ist nicht gesetzt."));

        // A Wayland-only session, told in the user's language.
        run = runWithout(displays, {{"LANGUAGE", "en"}, {"WAYLAND_DISPLAY", "wayland-0"}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("needs an X11 session")) && run.errors.contains(QStringLiteral("WAYLAND_DISPLAY is set, DISPLAY is not")),
                 qPrintable(run.errors));

        // A DISPLAY that leads nowhere (a stale one over ssh).
        run = runWithout(displays, {{"LANGUAGE", "de"}, {"DISPLAY", ":947"}});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("X-Server :947")), qPrintable(run.errors));
        QVERIFY2(!run.errors.contains(QStringLiteral("plugin")), qPrintable(run.errors));
    }
};

ZENTU_TEST_MAIN(TestSessionRequirement)
#include "tst_sessionrequirement.moc"
