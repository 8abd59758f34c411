#pragma once
#include "Platform/ApplicationIdentity.h"

class FakeApplicationIdentity final : public ApplicationIdentity {
public:
    std::optional<Info> clipboardOwner() override { return owner; }
    std::optional<Info> frontmost() override { return front; }

    static Info app(const QString& id) { return Info{id, id, 42}; }

    std::optional<Info> owner;
    std::optional<Info> front;
};
