#pragma once
#include "Platform/ApplicationIdentity.h"

#include <QHash>

class FakeApplicationIdentity final : public ApplicationIdentity {
public:
    std::optional<Info> clipboardOwner() override { return owner; }
    std::optional<Info> frontmost() override { return front; }
    // Unknown windows belong to the clipboard owner.
    std::optional<Info> applicationOfWindow(quint32 window) override
    {
        return windows.contains(window) ? windows.value(window) : owner;
    }

    static Info app(const QString& id) { return Info{id, id, 42}; }

    std::optional<Info> owner;
    QHash<quint32, std::optional<Info>> windows;
    std::optional<Info> front;
};
