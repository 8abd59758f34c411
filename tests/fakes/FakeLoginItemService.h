#pragma once
#include "Platform/LoginItemService.h"

class FakeLoginItemService final : public LoginItemService {
public:
    Status status() const override { return enabled ? Status::enabled : Status::notRegistered; }
    bool isRegistrable() const override { return registrable; }
    bool registerApp(QString* error) override
    {
        ++registerCalls;
        if (failing) {
            if (error) *error = QStringLiteral("abgelehnt");
            return false;
        }
        enabled = true;
        return true;
    }
    bool unregisterApp(QString* error) override
    {
        ++unregisterCalls;
        if (failing) {
            if (error) *error = QStringLiteral("abgelehnt");
            return false;
        }
        enabled = false;
        return true;
    }

    bool enabled = false;
    bool registrable = true;
    bool failing = false;
    int registerCalls = 0;
    int unregisterCalls = 0;
};
