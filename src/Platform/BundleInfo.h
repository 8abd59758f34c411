#pragma once
// The program itself: what the build recorded about it, its version for
// people ("shortVersion") and its build number ("build"), both as text (a
// key the build did not record is missing), and when its program file was
// last replaced.
#include <QString>
#include <QVariantMap>
#include <optional>

class BundleInfo {
public:
    virtual ~BundleInfo() = default;
    virtual QVariantMap infoDictionary() const = 0;
    // Modification time of the program file in whole seconds since 1970;
    // nothing when the file or its time cannot be read.
    virtual std::optional<qint64> executableModificationTime() const = 0;

    // The version for people; empty when the build did not record one.
    QString version() const { return infoDictionary().value(QString::fromLatin1(shortVersionKey)).toString(); }

    static constexpr const char* shortVersionKey = "shortVersion";
    static constexpr const char* buildKey = "build";
};
