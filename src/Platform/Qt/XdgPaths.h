#pragma once
#include "Platform/Paths.h"

// XDG base directories as Qt reports them, with the usual fallbacks.
class XdgPaths final : public Paths {
public:
    QString homeDirectory() const override;
    QString applicationSupportDirectory() const override;
    QString picturesDirectory() const override;
    QString temporaryDirectory() const override;
    bool moveToTrash(const QString& path) override;
};
