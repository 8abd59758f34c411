#pragma once
// Where the program says a short word to the user (the toast): a new word
// replaces the old one.
#include <QString>

class Announcer {
public:
    virtual ~Announcer() = default;

    // A sticky word stays until dismissed; otherwise it goes after `seconds`.
    virtual void show(const QString& text, const QString& systemImage, bool sticky, double seconds) = 0;
    // Fades the word out.
    virtual void dismiss() = 0;
    // Off the screen at once, without the fade (before a capture).
    virtual void hideNow() = 0;
};
