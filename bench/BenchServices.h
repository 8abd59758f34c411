#pragma once
// Stand-ins for the settings manager's services in the benchmarks: defaults
// in memory, no login item, an ANSI keyboard; and a settings manager on them.
#include "Platform/KeyboardInfo.h"
#include "Platform/LoginItemService.h"
#include "Platform/UserDefaults.h"
#include "Storage/SettingsManager.h"

#include <QHash>

struct MemoryDefaults final : UserDefaults {
    QVariant value(const QString& key) const override { return values.value(key); }
    void setValue(const QString& key, const QVariant& v) override { values.insert(key, v); }
    void remove(const QString& key) override { values.remove(key); }
    bool removePersistentDomain(QString*) override
    {
        values.clear();
        return true;
    }
    QHash<QString, QVariant> values;
};
struct NoLoginItem final : LoginItemService {
    Status status() const override { return Status::notRegistered; }
    bool isRegistrable() const override { return true; }
    bool registerApp(QString*) override { return true; }
    bool unregisterApp(QString*) override { return true; }
};
struct AnsiKeyboard final : KeyboardInfo {
    bool isISO() const override { return false; }
};

struct BenchSettings {
    MemoryDefaults defaults;
    NoLoginItem loginItem;
    AnsiKeyboard keyboard;
    SettingsManager manager{defaults, loginItem, keyboard};
};
