#include "Platform/Qt/PamOwnerAuthenticator.h"

#include "Platform/Qt/PasswordDialog.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <pwd.h>
#include <security/pam_appl.h>
#include <string.h>
#include <unistd.h>

namespace {

struct Conversation {
    const SecretBytes* password;
    QByteArray user;
};

// Answers the modules' prompts: the password where input is hidden, the user
// name where it is shown, nothing to notices. PAM frees (and its modules wipe)
// the answers.
int converse(int count, const struct pam_message** messages, struct pam_response** responses, void* data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    const auto* conversation = static_cast<const Conversation*>(data);
    auto* replies = static_cast<pam_response*>(std::calloc(std::size_t(count), sizeof(pam_response)));
    if (!replies)
        return PAM_BUF_ERR;
    auto copy = [](const char* bytes, std::size_t size) -> char* {
        auto* out = static_cast<char*>(std::malloc(size + 1));
        if (out) {
            std::memcpy(out, bytes, size);
            out[size] = '\0';
        }
        return out;
    };
    for (int i = 0; i < count; ++i) {
        char* answer = nullptr;
        switch (messages[i]->msg_style) {
        case PAM_PROMPT_ECHO_OFF:
            answer = copy(conversation->password->data(), conversation->password->size());
            break;
        case PAM_PROMPT_ECHO_ON:
            answer = copy(conversation->user.constData(), std::size_t(conversation->user.size()));
            break;
        default:
            continue;
        }
        if (!answer) {
            for (int j = 0; j < i; ++j) {
                if (replies[j].resp) {
                    explicit_bzero(replies[j].resp, std::strlen(replies[j].resp));
                    std::free(replies[j].resp);
                }
            }
            std::free(replies);
            return PAM_BUF_ERR;
        }
        replies[i].resp = answer;
    }
    *responses = replies;
    return PAM_SUCCESS;
}

} // namespace

PamOwnerAuthenticator::PamOwnerAuthenticator(const QString& service, const QString& user, QObject* parent)
    : QObject(parent)
    , m_service(service)
    , m_user(user.isEmpty() ? currentUserName() : user)
{
}

PasswordDialog* PamOwnerAuthenticator::dialog() const { return m_dialog; }

PamOwnerAuthenticator::~PamOwnerAuthenticator()
{
    delete m_dialog.data();
}

QString PamOwnerAuthenticator::currentUserName()
{
    const struct passwd* entry = getpwuid(getuid());
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

bool PamOwnerAuthenticator::canAuthenticate()
{
    if (m_busy || m_user.isEmpty())
        return false;
    SecretBytes none;
    Conversation conversation{&none, m_user.toLocal8Bit()};
    const pam_conv conv{converse, &conversation};
    pam_handle_t* handle = nullptr;
    const int started = pam_start(m_service.toLocal8Bit().constData(), conversation.user.constData(), &conv, &handle);
    if (handle)
        pam_end(handle, started);
    return started == PAM_SUCCESS;
}

PamOwnerAuthenticator::Verdict PamOwnerAuthenticator::check(const QString& service, const QString& user,
                                                             const SecretBytes& password)
{
    if (user.isEmpty())
        return Verdict::refused;
    if (password.isEmpty())
        return Verdict::wrongPassword;
    Conversation conversation{&password, user.toLocal8Bit()};
    const pam_conv conv{converse, &conversation};
    pam_handle_t* handle = nullptr;
    int result = pam_start(service.toLocal8Bit().constData(), conversation.user.constData(), &conv, &handle);
    const bool started = result == PAM_SUCCESS;
    if (started)
        result = pam_authenticate(handle, PAM_DISALLOW_NULL_AUTHTOK);
    const bool passwordAccepted = started && result == PAM_SUCCESS;
    const bool passwordRejected = started && result == PAM_AUTH_ERR;
    // A locked or expired account does not count as its owner being here.
    if (passwordAccepted)
        result = pam_acct_mgmt(handle, PAM_DISALLOW_NULL_AUTHTOK);
    if (handle)
        pam_end(handle, result);
    if (result == PAM_SUCCESS)
        return Verdict::accepted;
    return passwordRejected ? Verdict::wrongPassword : Verdict::refused;
}

void PamOwnerAuthenticator::finish(const std::function<void(bool)>& done, bool success)
{
    m_busy = false;
    if (done)
        done(success);
}

void PamOwnerAuthenticator::authenticate(const Prompt& prompt, std::function<void(bool success)> done)
{
    if (m_busy) {
        QTimer::singleShot(0, this, [done] {
            if (done)
                done(false);
        });
        return;
    }
    m_busy = true;
    auto* dialog = new PasswordDialog(prompt);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog = dialog;
    // One answer per request, however the window ends and whatever checks
    // are still under way then; always later, never during the call.
    auto answered = std::make_shared<bool>(false);
    auto answer = [this, done, answered](bool success) {
        if (std::exchange(*answered, true))
            return;
        QTimer::singleShot(0, this, [this, done, success] { finish(done, success); });
    };
    connect(dialog, &QDialog::finished, this, [answer](int result) {
        if (result != QDialog::Accepted)
            answer(false);
    });
    connect(dialog, &PasswordDialog::submitted, this, [this, dialog, prompt, answer, answered] {
        auto password = std::make_shared<SecretBytes>(dialog->takePassword());
        dialog->showChecking(prompt.checking);
        QPointer<PasswordDialog> window(dialog);
        auto* watcher = new QFutureWatcher<Verdict>(this);
        connect(watcher, &QFutureWatcher<Verdict>::finished, this, [watcher, window, prompt, answer, answered] {
            const Verdict verdict = watcher->future().resultCount() > 0 ? watcher->result() : Verdict::refused;
            watcher->deleteLater();
            if (*answered || !window)
                return; // cancelled while PAM was at work
            switch (verdict) {
            case Verdict::accepted:
                answer(true);
                window->accept();
                break;
            case Verdict::wrongPassword:
                window->showRefusal(prompt.wrongPassword);
                break;
            case Verdict::refused:
                window->showRefusal(prompt.refused);
                break;
            }
        });
        const QString service = m_service;
        const QString user = m_user;
        watcher->setFuture(QtConcurrent::run([service, user, password] {
            const Verdict verdict = check(service, user, *password);
            password->clear();
            return verdict;
        }));
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
