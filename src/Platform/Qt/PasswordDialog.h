#pragma once
// The window that asks for the account password: the reason as headline, a
// password field and the two buttons; Return confirms (once something is
// typed), Escape cancels.
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

    PasswordField* field() const { return m_field; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* reasonLabel() const { return m_reason; }
    SecretBytes takePassword();

private:
    PasswordField* m_field;
    QLabel* m_reason;
    QPushButton* m_confirm;
    QPushButton* m_cancel;
};
