#pragma once
// The window that asks for the account password: the reason as headline, a
// password field, a line for notes ("wird geprüft", "falsch") and the two
// buttons; Return confirms (once something is typed), Escape cancels.
// Confirming does not close it: its owner checks the password and either
// closes it or shows why not and lets the person try again.
#include "Platform/OwnerAuthenticator.h"
#include "Platform/Qt/SecretBytes.h"

#include <QDialog>

class PasswordField;
class QLabel;
class QPushButton;

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(const OwnerAuthenticator::Prompt& prompt, QWidget* parent = nullptr);

    // The note shown now; empty when none.
    QString note() const;
    SecretBytes takePassword();

    // While the system checks: the note says so and nothing can be typed or
    // confirmed (cancelling still can).
    void showChecking(const QString& text);
    // After a failed check: the note says why, the field is empty and takes
    // the next try.
    void showRefusal(const QString& text);

Q_SIGNALS:
    // The person confirmed a typed password; take it with takePassword().
    void submitted();

private:
    void setNote(const QString& text, bool warning);
    // Grows the window to show every line of its texts.
    void fitContent();

    PasswordField* m_field;
    QLabel* m_reason;
    QLabel* m_note;
    QPushButton* m_confirm;
    QPushButton* m_cancel;
};
