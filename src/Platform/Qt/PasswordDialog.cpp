#include "Platform/Qt/PasswordDialog.h"

#include "Platform/Qt/PasswordField.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(const OwnerAuthenticator::Prompt& prompt, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_field(new PasswordField(this))
    , m_reason(new QLabel(prompt.reason, this))
    , m_confirm(new QPushButton(prompt.confirmTitle, this))
    , m_cancel(new QPushButton(prompt.cancelTitle, this))
{
    setWindowTitle(QStringLiteral("Zentu.it"));
    setModal(true);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 18, 20, 16);
    stack->setSpacing(12);

    auto* head = new QHBoxLayout;
    head->setSpacing(12);
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) {
        auto* icon = new QLabel(this);
        icon->setPixmap(appIcon.pixmap(40, 40));
        head->addWidget(icon, 0, Qt::AlignTop);
    }
    QFont bold = m_reason->font();
    bold.setBold(true);
    m_reason->setFont(bold);
    m_reason->setWordWrap(true);
    m_reason->setMinimumWidth(260);
    head->addWidget(m_reason, 1);
    stack->addLayout(head);

    m_field->setPlaceholderText(prompt.passwordLabel);
    m_field->setAccessibleName(prompt.passwordLabel);
    stack->addWidget(m_field);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel->setAccessibleName(prompt.cancelTitle);
    m_confirm->setAccessibleName(prompt.confirmTitle);
    m_confirm->setDefault(true);
    m_confirm->setEnabled(false);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_confirm);
    stack->addLayout(buttons);

    connect(m_field, &PasswordField::edited, this, [this] { m_confirm->setEnabled(!m_field->isEmpty()); });
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_field->setFocus();
}

SecretBytes PasswordDialog::takePassword()
{
    SecretBytes password = m_field->takePassword();
    m_confirm->setEnabled(false);
    return password;
}
