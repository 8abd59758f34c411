#pragma once
#include "Platform/BundleInfo.h"

// The version and build number of the build's settings (CMake's project
// version and ZENTU_BUILD_NUMBER), and the program file as Qt finds it.
class BuildBundleInfo final : public BundleInfo {
public:
    QVariantMap infoDictionary() const override;
    std::optional<qint64> executableModificationTime() const override;
};
