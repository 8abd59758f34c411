#pragma once
// A browser or document viewer that could not be asked, or refused: one
// message for the user.
#include <QString>
#include <stdexcept>

class BridgeError : public std::runtime_error {
public:
    explicit BridgeError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromStdString(what()); }
};
