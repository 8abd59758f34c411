#pragma once
#include "Platform/UserDefaults.h"

#include <QSettings>

// User defaults in one QSettings file, by default
// $XDG_CONFIG_HOME/com.quorel.zentu.conf, readable by the user alone; a link
// planted in its place is replaced by a file of ours, never written through.
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
    // The file is ours and private (0600): never a link to elsewhere.
    void prepareFile();
    void sync();

    mutable QSettings m_settings;
};
