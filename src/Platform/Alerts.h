#pragma once
// Plain modal alerts: a message, an informative text and buttons; the caller's
// texts are already translated.
#include <QString>
#include <QStringList>

class Alerts {
public:
    struct Alert {
        QString message;
        QString informativeText;
        QStringList buttons;   // first = default (Return)
        bool informational = true;
    };
    virtual ~Alerts() = default;
    // Brings the app forward, shows the alert and waits for the answer: the
    // index of the chosen button, or -1 when the alert was closed otherwise.
    virtual int runModal(const Alert& alert) = 0;
};
