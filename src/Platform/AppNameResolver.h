#pragma once
// The display name of another application from its identifier (on Linux its
// desktop-file id, e.g. "org.gnome.TextEditor").
#include <QString>
#include <optional>

class AppNameResolver {
public:
    virtual ~AppNameResolver() = default;
    // The installed application's name in the given language, or none when no
    // application with that identifier is installed.
    virtual std::optional<QString> displayName(const QString& appId, const QString& lang) const = 0;
};
