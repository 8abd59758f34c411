#pragma once
// Reads "<id>.desktop" from the XDG application folders (data home first, then
// the system data dirs) and takes its Name[lang] or Name.
#include "Platform/AppNameResolver.h"

class XdgAppNameResolver final : public AppNameResolver {
public:
    std::optional<QString> displayName(const QString& appId, const QString& lang) const override;
};
