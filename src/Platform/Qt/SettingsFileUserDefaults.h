#pragma once
#include "Platform/UserDefaults.h"

#include <QVariantMap>

class FileCalls;

// User defaults in one settings file (Qt's native format), by default
// $XDG_CONFIG_HOME/com.quorel.zentu.conf, readable by the user alone. Every
// change writes the whole file all or nothing through the file calls (a full
// disk leaves the previous file whole, and the change is written again with
// the next one); a link planted in its place is replaced by a file of ours,
// never written through. A change re-reads the file first, so two instances
// on one file never undo each other's keys; a file that cannot be read is
// never overwritten.
class SettingsFileUserDefaults final : public UserDefaults {
public:
    explicit SettingsFileUserDefaults(FileCalls& files, QString filePath = defaultFilePath());

    static QString defaultFilePath();

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool removePersistentDomain(QString* error) override;

private:
    // The file is ours and private (0600): never a link to elsewhere.
    void prepareFile();
    // False when the file exists but cannot be read.
    bool read();
    void write();
    // Re-reads the file, applies the change to it and writes it.
    void change(const std::function<void(QVariantMap&)>& apply);

    FileCalls& m_files;
    const QString m_path;
    QVariantMap m_values;
    // Changes made while the file could not be written, written with the next.
    QVariantMap m_unwritten;
    QStringList m_unwrittenRemovals;
};
