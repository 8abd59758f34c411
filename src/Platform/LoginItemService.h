#pragma once
// Registers the app to start when the user logs in.
#include <QString>

class LoginItemService {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };
    virtual ~LoginItemService() = default;
    virtual Status status() const = 0;
    // Whether this program may start at login at all. A development build may
    // not: its entry would start a build tree, which may be rebuilt or gone.
    virtual bool isRegistrable() const = 0;
    // On failure return false and describe why in *error.
    virtual bool registerApp(QString* error) = 0;
    virtual bool unregisterApp(QString* error) = 0;
};
