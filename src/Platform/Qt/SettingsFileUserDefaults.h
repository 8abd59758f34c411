#pragma once
#include "Platform/UserDefaults.h"

#include <QSettings>

// User defaults in one QSettings file, by default
// $XDG_CONFIG_HOME/com.quorel.zentu.conf.
class SettingsFileUserDefaults final : public UserDefaults {
public:
    SettingsFileUserDefaults();
    explicit SettingsFileUserDefaults(const QString& filePath);

    static QString defaultFilePath();

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool removePersistentDomain(QString* error) override;

private:
    mutable QSettings m_settings;
};
