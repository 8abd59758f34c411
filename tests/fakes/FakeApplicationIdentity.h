#pragma once
#include "Platform/ApplicationIdentity.h"

#include <QHash>

class FakeApplicationIdentity final : public ApplicationIdentity {
public:
    std::optional<App> clipboardOwner() override { return owner; }
    std::optional<App> frontmost() override { return front; }
    // Unknown windows belong to the clipboard owner.
    std::optional<App> applicationOfWindow(quint32 window) override
    {
        return windows.contains(window) ? windows.value(window) : owner;
    }
    std::optional<App> applicationOfProcess(qint64 pid, quint32 window = 0) override
    {
        askedWindow = window;
        return apps.contains(pid) ? std::optional<App>(apps.value(pid)) : std::nullopt;
    }
    std::optional<QString> displayName(const QString& appId, const QString& lang) const override
    {
        Q_UNUSED(lang);
        return names.contains(appId) ? std::optional<QString>(names.value(appId)) : std::nullopt;
    }

    static App app(const QString& id) { return App{id, id, 42}; }

    std::optional<App> owner;
    QHash<quint32, std::optional<App>> windows;
    std::optional<App> front;
    QHash<qint64, App> apps;
    quint32 askedWindow = 0;
    QHash<QString, QString> names;
};
