#pragma once
// Facts about the running program itself.
#include <QString>
#include <optional>

class AppIdentity {
public:
    virtual ~AppIdentity() = default;
    // Modification time of the program file in whole seconds since 1970;
    // nothing when the file or its time cannot be read.
    virtual std::optional<qint64> executableModificationTime() const = 0;
    // The build's version text; empty when unknown.
    virtual QString bundleVersion() const = 0;
};
