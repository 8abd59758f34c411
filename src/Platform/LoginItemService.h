#pragma once
// Registers the app to start when the user logs in.
#include <QString>

class LoginItemService {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };
    virtual ~LoginItemService() = default;
    virtual Status status() const = 0;
    // On failure return false and describe why in *error.
    virtual bool registerApp(QString* error) = 0;
    virtual bool unregisterApp(QString* error) = 0;
};
