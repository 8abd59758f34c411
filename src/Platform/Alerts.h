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
        QStringList buttons;
        bool informational = true;
        // The button Return presses (the first by default). Where it is not
        // the first, the first is a destructive choice: only a click takes it.
        int defaultButton = 0;
        // How message and informative text are read. Plain text shows every
        // character as written, so a text that carries a path, an address or
        // anything from outside (an update feed) can neither show markup or
        // pictures nor hold a link that opens something.
        Qt::TextFormat textFormat = Qt::PlainText;
    };
    virtual ~Alerts() = default;
    // Brings the app forward, shows the alert and waits for the answer: the
    // index of the chosen button, or -1 when the alert was closed otherwise.
    virtual int runModal(const Alert& alert) = 0;
};
