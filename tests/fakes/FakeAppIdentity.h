#pragma once
#include "Platform/AppIdentity.h"

class FakeAppIdentity final : public AppIdentity {
public:
    std::optional<qint64> executableModificationTime() const override { return modified; }
    QString bundleVersion() const override { return version; }

    std::optional<qint64> modified = 1700000000;
    QString version = QStringLiteral("0.1.0");
};
