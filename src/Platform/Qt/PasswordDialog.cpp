#include "Platform/Qt/PasswordDialog.h"

#include "Text/ButtonText.h"
#include "Platform/Qt/PasswordField.h"

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(const OwnerAuthenticator::Prompt& prompt, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_field(new PasswordField(this))
    , m_reason(new QLabel(prompt.reason, this))
    , m_note(new QLabel(this))
    , m_confirm(new QPushButton(ButtonText::escaped(prompt.confirmTitle), this))
    , m_cancel(new QPushButton(ButtonText::escaped(prompt.cancelTitle), this))
{
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_note->setObjectName(QStringLiteral("noteLabel"));
    m_reason->setObjectName(QStringLiteral("reasonLabel"));
    m_confirm->setObjectName(QStringLiteral("confirmButton"));
    m_field->setObjectName(QStringLiteral("field"));
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

    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->hide();
    stack->addWidget(m_note);

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
    connect(m_confirm, &QPushButton::clicked, this, [this] {
        if (!m_field->isEmpty())
            Q_EMIT submitted();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_field->setFocus();
}

QString PasswordDialog::note() const { return m_note->isHidden() ? QString() : m_note->text(); }

SecretBytes PasswordDialog::takePassword()
{
    SecretBytes password = m_field->takePassword();
    m_confirm->setEnabled(false);
    return password;
}

void PasswordDialog::showChecking(const QString& text)
{
    setNote(text, false);
    m_field->setEnabled(false);
    m_confirm->setEnabled(false);
}

void PasswordDialog::showRefusal(const QString& text)
{
    m_field->clear();
    m_field->setEnabled(true);
    m_confirm->setEnabled(false);
    setNote(text, true);
    m_field->setFocus();
}

void PasswordDialog::fitContent()
{
    // Wrapped lines need their height at the window's width; the layout's
    // minimum alone grows the window by a line's spacing and clips the rest.
    if (QLayout* l = layout())
        l->activate();
    const int needed = hasHeightForWidth() ? heightForWidth(width()) : sizeHint().height();
    if (needed > height())
        resize(width(), needed);
}

void PasswordDialog::setNote(const QString& text, bool warning)
{
    // A warning in red; the checking note in the placeholder grey.
    QPalette p = m_note->palette();
    p.setColor(QPalette::WindowText, warning ? QColor(255, 59, 48) : palette().color(QPalette::PlaceholderText));
    m_note->setPalette(p);
    m_note->setText(text);
    m_note->setAccessibleName(text);
    m_note->setVisible(!text.isEmpty());
    fitContent();
    // Screen readers say it at once, also when the same note comes again.
    if (warning) {
        QAccessibleEvent alert(m_note, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}
