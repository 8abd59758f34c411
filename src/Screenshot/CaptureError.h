#pragma once
// The error of the capture roads: one German message for the user, shown as a
// toast or alert by the caller.
#include <QString>
#include <exception>

class CaptureError : public std::exception {
public:
    explicit CaptureError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
