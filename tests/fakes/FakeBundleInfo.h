#pragma once
#include "Platform/BundleInfo.h"

class FakeBundleInfo final : public BundleInfo {
public:
    QVariantMap infoDictionary() const override { return info; }
    std::optional<qint64> executableModificationTime() const override { return modified; }
    QVariantMap info;
    std::optional<qint64> modified;
};
