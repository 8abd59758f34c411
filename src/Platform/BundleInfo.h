#pragma once
// What the build recorded about the program: its version for people
// ("shortVersion") and its build number ("build"), both as text. A key the
// build did not record is missing.
#include <QVariantMap>

class BundleInfo {
public:
    virtual ~BundleInfo() = default;
    virtual QVariantMap infoDictionary() const = 0;

    static constexpr const char* shortVersionKey = "shortVersion";
    static constexpr const char* buildKey = "build";
};
