#pragma once
// Owner authentication through PAM: our own password window, then
// pam_authenticate and pam_acct_mgmt for the current user on a worker
// thread (modules may take seconds, e.g. the delay after a wrong password).
// The answer comes back on the main thread; the password is wiped as soon as
// PAM has it and is never written anywhere.
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

    bool canAuthenticate() override;
    void authenticate(const Prompt& prompt, std::function<void(bool success)> done) override;

    // The password window while it is up.
    PasswordDialog* dialog() const;
    bool isBusy() const { return m_busy; }

    // The blocking check itself, on the calling thread: true when PAM accepts
    // the password for the user and the account may be used now.
    static bool verify(const QString& service, const QString& user, const SecretBytes& password);
    // The name of the account this process runs as; empty when unknown.
    static QString currentUserName();

private:
    void finish(const std::function<void(bool)>& done, bool success);

    QString m_service;
    QString m_user;
    bool m_busy = false;
    QPointer<PasswordDialog> m_dialog;
};
