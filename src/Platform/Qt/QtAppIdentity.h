#pragma once
#include "Platform/AppIdentity.h"

// The program file and version as Qt reports them.
class QtAppIdentity final : public AppIdentity {
public:
    std::optional<qint64> executableModificationTime() const override;
    QString bundleVersion() const override;
};
