#pragma once
#include "Platform/BundleInfo.h"

class FakeBundleInfo final : public BundleInfo {
public:
    QVariantMap infoDictionary() const override { return info; }
    QVariantMap info;
};
