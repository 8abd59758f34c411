#pragma once
// Confirms that the person at the keyboard owns the account: asks for the
// account password in a window of its own and checks it with the system.
#include <QString>
#include <functional>

class OwnerAuthenticator {
public:
    // The texts of the password window, already translated.
    struct Prompt {
        // Why the password is asked for, shown as the window's headline.
        QString reason;
        // The button that checks the password.
        QString confirmTitle;
        QString cancelTitle;
        // Names the password field (placeholder and screen readers).
        QString passwordLabel;
    };

    virtual ~OwnerAuthenticator() = default;
    // Whether a check can start now (the system's check is there and no other
    // check is under way).
    virtual bool canAuthenticate() = 0;
    // Asks and checks; done runs exactly once, later, on the thread that
    // called: true only when the right password was given.
    virtual void authenticate(const Prompt& prompt, std::function<void(bool success)> done) = 0;
};
