#pragma once
#include "Platform/ApplicationIdentity.h"

#include <QHash>

class FakeApplicationIdentity final : public ApplicationIdentity {
public:
    std::optional<Info> clipboardOwner() override { return owner; }
    std::optional<Info> frontmost() override { return front; }
    std::optional<Info> application(qint64 pid) override
    {
        if (!apps.contains(pid))
            return std::nullopt;
        return apps.value(pid);
    }

    static Info app(const QString& id) { return Info{id, id, 42}; }

    std::optional<Info> owner;
    std::optional<Info> front;
    QHash<qint64, Info> apps;
};
