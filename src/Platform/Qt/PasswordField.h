#pragma once
// A one-line password entry that keeps what is typed only in a SecretBytes
// buffer (a QLineEdit would keep copies in its text and undo history). Shows
// one dot per character; Return and Escape are left to the window.
#include "Platform/Qt/SecretBytes.h"

#include <QWidget>

class PasswordField : public QWidget {
    Q_OBJECT
public:
    explicit PasswordField(QWidget* parent = nullptr);

    void setPlaceholderText(const QString& text);
    bool isEmpty() const { return m_secret.isEmpty(); }
    int characterCount() const { return m_secret.characterCount(); }
    // Hands the password over; the field is empty afterwards.
    SecretBytes takePassword();
    void clear();

    QSize sizeHint() const override;

Q_SIGNALS:
    void edited();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    SecretBytes m_secret;
    QString m_placeholder;
};
