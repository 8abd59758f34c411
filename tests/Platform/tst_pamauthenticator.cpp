// Owner authentication through real PAM: pam_wrapper (preloaded by CTest)
// makes PAM read this test's own service files, and pam_matrix checks the
// password against this test's own password file, so nothing of the system's
// configuration is touched. Covers the password conversation, the account
// check (a wrong password told from an account PAM turns down), and the
// password window up to the answer on the main thread: a wrong password is
// said in the same window, which takes the next try.
#include "Platform/Qt/PamOwnerAuthenticator.h"
#include "Platform/Qt/PasswordDialog.h"
#include "Platform/Qt/PasswordField.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
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
            QStringLiteral("Abbrechen"), QStringLiteral("Passwort"), QStringLiteral("wird geprüft"),
            QStringLiteral("falsch"), QStringLiteral("abgelehnt")};
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
        using Verdict = PamOwnerAuthenticator::Verdict;
        QCOMPARE(PamOwnerAuthenticator::check(QStringLiteral("zentu-test"), m_user, secret("falsch")), Verdict::wrongPassword);
        QCOMPARE(PamOwnerAuthenticator::check(QStringLiteral("zentu-test"), m_user, secret("richtig-geheim")), Verdict::accepted);
        QCOMPARE(PamOwnerAuthenticator::check(QStringLiteral("zentu-test"), QString(), secret("richtig-geheim")), Verdict::refused);
        QCOMPARE(PamOwnerAuthenticator(QStringLiteral("zentu-test")).accountName(), m_user);
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
        QVERIFY(!childNamed<QPushButton>(*dialog, "confirmButton")->isEnabled());
        QVERIFY(!auth.canAuthenticate()); // one check at a time
        PasswordField* field = childNamed<PasswordField>(*dialog, "field");
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

        // Wrong, then right, in the same window: the first is said there,
        // the field takes the next try, and only the right one answers.
        auth.authenticate(prompt(), done);
        const QPointer<PasswordDialog> same = auth.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(same));
        QTest::keyClicks(childNamed<PasswordField>(*same, "field"), QStringLiteral("daneben"));
        QTest::keyClick(childNamed<PasswordField>(*same, "field"), Qt::Key_Return);
        QTRY_COMPARE(same->note(), QStringLiteral("falsch"));
        QVERIFY(same->isVisible() && childNamed<PasswordField>(*same, "field")->isEmpty() && childNamed<PasswordField>(*same, "field")->isEnabled());
        QVERIFY(!childNamed<QPushButton>(*same, "confirmButton")->isEnabled());
        QCOMPARE(answers.size(), 1);
        QVERIFY(auth.isBusy());
        QTest::keyClicks(childNamed<PasswordField>(*same, "field"), QStringLiteral("richtig-geheim"));
        childNamed<QPushButton>(*same, "confirmButton")->click();
        QTRY_COMPARE(answers, (QList<bool>{true, true}));
        QTRY_VERIFY(!same);
        answers.removeLast();

        // Cancelled, by the button and by Escape: no, and later, not during the call.
        auth.authenticate(prompt(), done);
        QVERIFY(QTest::qWaitForWindowExposed(auth.dialog()));
        QTest::keyClicks(childNamed<PasswordField>(*auth.dialog(), "field"), QStringLiteral("richtig-geheim"));
        childNamed<QPushButton>(*auth.dialog(), "cancelButton")->click();
        QCOMPARE(answers.size(), 1);
        QTRY_COMPARE(answers, (QList<bool>{true, false}));
        auth.authenticate(prompt(), done);
        QVERIFY(QTest::qWaitForWindowExposed(auth.dialog()));
        QTest::keyClick(childNamed<PasswordField>(*auth.dialog(), "field"), Qt::Key_Escape);
        QTRY_COMPARE(answers, (QList<bool>{true, false, false}));
        QVERIFY(onMainThread);
        QTRY_VERIFY(!auth.dialog());

        // Cancelled while PAM is still at work: one answer, no; the late
        // verdict changes nothing.
        auth.authenticate(prompt(), done);
        QVERIFY(QTest::qWaitForWindowExposed(auth.dialog()));
        QTest::keyClicks(childNamed<PasswordField>(*auth.dialog(), "field"), QStringLiteral("richtig-geheim"));
        QTest::keyClick(childNamed<PasswordField>(*auth.dialog(), "field"), Qt::Key_Return);
        childNamed<QPushButton>(*auth.dialog(), "cancelButton")->click();
        QTRY_COMPARE(answers, (QList<bool>{true, false, false, false}));
        QTest::qWait(300);
        QCOMPARE(answers.size(), 4);
        QVERIFY(!auth.isBusy());
    }
};

ZENTU_TEST_MAIN(TestPamAuthenticator)
#include "tst_pamauthenticator.moc"
