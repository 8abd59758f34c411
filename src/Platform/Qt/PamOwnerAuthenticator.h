#pragma once
// Owner authentication through PAM: our own password window, then
// pam_authenticate and pam_acct_mgmt for the current user on a worker
// thread (modules may take seconds, e.g. the delay after a wrong password).
// A failed check is said in the window, which stays for the next try; the
// answer comes back on the main thread once a password was right or the
// window was cancelled. Each password is wiped as soon as PAM has it and is
// never written anywhere.
#include "Platform/OwnerAuthenticator.h"
#include "Platform/Qt/SecretBytes.h"

#include <QObject>
#include <QPointer>

class PasswordDialog;

class PamOwnerAuthenticator : public QObject, public OwnerAuthenticator {
    Q_OBJECT
public:
    // service: the PAM service whose rules apply; user: the account (the
    // process's own when empty).
    explicit PamOwnerAuthenticator(const QString& service = QStringLiteral("login"), const QString& user = {},
                                   QObject* parent = nullptr);
    ~PamOwnerAuthenticator() override;

    QString accountName() const override { return m_user; }
    bool canAuthenticate() override;
    void authenticate(const Prompt& prompt, std::function<void(bool success)> done) override;

    // The password window while it is up.
    PasswordDialog* dialog() const;
    bool isBusy() const { return m_busy; }

    enum class Verdict {
        accepted,      // right password, and the account may be used now
        wrongPassword, // PAM turned the password down
        refused,       // anything else: unknown or locked account, PAM failure
    };
    // The blocking check itself, on the calling thread.
    static Verdict check(const QString& service, const QString& user, const SecretBytes& password);
    static bool verify(const QString& service, const QString& user, const SecretBytes& password)
    {
        return check(service, user, password) == Verdict::accepted;
    }
    // The name of the account this process runs as; empty when unknown.
    static QString currentUserName();

private:
    void finish(const std::function<void(bool)>& done, bool success);

    QString m_service;
    QString m_user;
    bool m_busy = false;
    QPointer<PasswordDialog> m_dialog;
};
