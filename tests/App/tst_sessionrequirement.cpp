// Started without an X display the program says plainly that it needs an X11
// session and which variable is missing, in the user's language, and ends
// with a failure status instead of Qt's plugin error.
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"

#include <QFile>
#include <QProcess>

class TestSessionRequirement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saysWhatIsMissingAndFails_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("a text console or ssh") << "de" << QString() << QString()
            << QStringList{"Zentu.it braucht eine X11-Sitzung, aber die Variable DISPLAY ist nicht gesetzt."};
        QTest::newRow("Wayland only") << "en" << "WAYLAND_DISPLAY" << "wayland-0"
                                      << QStringList{"needs an X11 session", "WAYLAND_DISPLAY is set, DISPLAY is not"};
        QTest::newRow("a DISPLAY that leads nowhere") << "de" << "DISPLAY" << ":947" << QStringList{"X-Server :947"};
    }
    void saysWhatIsMissingAndFails()
    {
        QFETCH(QString, language);
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QStringList, said);
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANGUAGE"), language);
        if (!variable.isEmpty())
            env.insert(variable, value);
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(RealApp::binary(), {});
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        const QString errors = QString::fromUtf8(app.readAllStandardError());
        for (const QString& part : said)
            QVERIFY2(errors.contains(part), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("plugin")), qPrintable(errors));
    }
};

ZENTU_TEST_MAIN(TestSessionRequirement)
#include "tst_sessionrequirement.moc"
