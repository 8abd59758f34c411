#pragma once
// Confirms that the person at the keyboard owns the account: asks for the
// account password in a window of its own and checks it with the system. A
// wrong password is said so in the same window, which stays for another try
// until a password is right or the person cancels.
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
        // Shown while the system checks.
        QString checking;
        // Shown after a wrong password; the window stays for another try.
        QString wrongPassword;
        // Shown when the system turns the account down whatever the password
        // (locked, expired, not allowed here).
        QString refused;
    };

    virtual ~OwnerAuthenticator() = default;
    // The account whose password is asked for (the user's login name); empty
    // when unknown.
    virtual QString accountName() const = 0;
    // Whether a check can start now (the system's check is there and no other
    // check is under way).
    virtual bool canAuthenticate() = 0;
    // Asks and checks; done runs exactly once, later, on the thread that
    // called: true once a right password was given, false when the person
    // cancelled.
    virtual void authenticate(const Prompt& prompt, std::function<void(bool success)> done) = 0;
};
