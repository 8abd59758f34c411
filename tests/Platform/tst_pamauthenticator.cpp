// Owner authentication through real PAM: pam_wrapper (preloaded by CTest)
// makes PAM read this test's own service files, and pam_matrix checks the
// password against this test's own password file, so nothing of the system's
// configuration is touched. Covers the password conversation, the account
// check, and the password window up to the answer on the main thread.
#include "Platform/Qt/PamOwnerAuthenticator.h"
#include "Platform/Qt/PasswordDialog.h"
#include "Platform/Qt/PasswordField.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

namespace {

SecretBytes secret(const QString& text)
{
    SecretBytes s;
    s.append(text);
    return s;
}

OwnerAuthenticator::Prompt prompt()
{
    return {QStringLiteral("Schutz für sensible Inhalte deaktivieren"), QStringLiteral("Passwort verwenden"),
            QStringLiteral("Abbrechen"), QStringLiteral("Passwort")};
}

} // namespace

class TestPamAuthenticator : public QObject {
    Q_OBJECT

    QTemporaryDir m_services;
    QString m_user;

    void writeFile(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private Q_SLOTS:
    void initTestCase()
    {
#ifndef ZENTU_PAM_MATRIX
        QSKIP("pam_wrapper's pam_matrix module is not installed (Debian libpam-wrapper)");
#else
        if (qEnvironmentVariable("PAM_WRAPPER") != QLatin1String("1"))
            QSKIP("needs libpam_wrapper preloaded with PAM_WRAPPER=1 (the CTest entry sets both)");
        m_user = PamOwnerAuthenticator::currentUserName();
        QVERIFY(!m_user.isEmpty());
        const QByteArray passdb = (m_services.path() + QStringLiteral("/passdb")).toUtf8();
        // The account may use the service "zentu-test" only.
        writeFile(QString::fromUtf8(passdb), m_user.toUtf8() + ":richtig-geheim:zentu-test\n");
        const QByteArray rules = "auth required " ZENTU_PAM_MATRIX " passdb=" + passdb + "\n"
                                 "account required " ZENTU_PAM_MATRIX " passdb=" + passdb + "\n";
        writeFile(m_services.path() + QStringLiteral("/zentu-test"), rules);
        writeFile(m_services.path() + QStringLiteral("/zentu-other"), rules);
        qputenv("PAM_WRAPPER_SERVICE_DIR", m_services.path().toUtf8());
#endif
    }

    void checkAsksForThePasswordAndTheAccount()
    {
        QVERIFY(PamOwnerAuthenticator::verify(QStringLiteral("zentu-test"), m_user, secret("richtig-geheim")));
        QVERIFY(!PamOwnerAuthenticator::verify(QStringLiteral("zentu-test"), m_user, secret("falsch")));
        QVERIFY(!PamOwnerAuthenticator::verify(QStringLiteral("zentu-test"), m_user, SecretBytes()));
        QVERIFY(!PamOwnerAuthenticator::verify(QStringLiteral("zentu-test"), QStringLiteral("niemand"),
                                               secret("richtig-geheim")));
        // The right password for an account that may not use the service.
        QVERIFY(!PamOwnerAuthenticator::verify(QStringLiteral("zentu-other"), m_user, secret("richtig-geheim")));
    }

    void passwordWindowAnswersOnTheMainThread()
    {
        PamOwnerAuthenticator auth(QStringLiteral("zentu-test"));
        QVERIFY(auth.canAuthenticate());
        QList<bool> answers;
        bool onMainThread = true;
        auto done = [&](bool ok) {
            answers << ok;
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        };

        // Typed as a person would, with a slip taken back (a two-byte letter).
        auth.authenticate(prompt(), done);
        PasswordDialog* dialog = auth.dialog();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(!dialog->confirmButton()->isEnabled());
        QVERIFY(!auth.canAuthenticate()); // one check at a time
        PasswordField* field = dialog->field();
        QTest::keyClicks(field, QStringLiteral("richtig-gehe"));
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, QStringLiteral("ü"));
        QApplication::sendEvent(field, &umlaut);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, QStringLiteral("im"));
        QCOMPARE(field->characterCount(), 14);
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(field);
        QCOMPARE(acc->role(), QAccessible::EditableText);
        QVERIFY(acc->state().passwordEdit);
        QCOMPARE(acc->text(QAccessible::Name), QStringLiteral("Passwort"));
        QVERIFY(acc->text(QAccessible::Value).isEmpty());
        QTest::keyClick(field, Qt::Key_Return);
        // The field gives the password up at once.
        QVERIFY(field->isEmpty() || !auth.dialog());
        QTRY_COMPARE(answers, QList<bool>{true});
        QVERIFY(onMainThread);
        QVERIFY(!auth.isBusy());

        // Cancelled, by the button and by Escape: no, and later, not during the call.
        auth.authenticate(prompt(), done);
        QVERIFY(QTest::qWaitForWindowExposed(auth.dialog()));
        QTest::keyClicks(auth.dialog()->field(), QStringLiteral("richtig-geheim"));
        auth.dialog()->cancelButton()->click();
        QCOMPARE(answers.size(), 1);
        QTRY_COMPARE(answers, (QList<bool>{true, false}));
        auth.authenticate(prompt(), done);
        QVERIFY(QTest::qWaitForWindowExposed(auth.dialog()));
        QTest::keyClick(auth.dialog()->field(), Qt::Key_Escape);
        QTRY_COMPARE(answers, (QList<bool>{true, false, false}));
        QVERIFY(onMainThread);
        QTRY_VERIFY(!auth.dialog());
    }
};

ZENTU_TEST_MAIN(TestPamAuthenticator)
#include "tst_pamauthenticator.moc"
