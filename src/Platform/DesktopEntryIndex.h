#pragma once
// The installed applications' desktop entries, read once from the XDG
// applications folders (data home first, then the system data dirs; an
// earlier folder's entry hides a later one of the same id) and read again
// only when one of the folders, or a folder inside them, has changed.
// Safe from any thread.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class DesktopEntryIndex {
public:
    struct Entry {
        QString id; // file path below its folder, '/' as '-', without ".desktop"
        QString name;
        QHash<QString, QString> localizedNames; // Name[lang] by lang
        QString exec, startupWMClass;
        bool hidden = false; // Hidden=true: deleted for the user
    };
    using Entries = std::shared_ptr<const QList<Entry>>;

    // applicationDirs: where entries are searched (the XDG applications
    // folders by default).
    explicit DesktopEntryIndex(QStringList applicationDirs = {});

    // The entries as they are now on disk; a snapshot that stays valid.
    Entries entries() const;
    // The entry of that id (with or without ".desktop"), also a hidden one.
    std::optional<Entry> find(const QString& id) const;

    // Reads every entry below the folders; pure, also used by tests.
    static QList<Entry> read(const QStringList& applicationDirs);

private:
    // Modification times of the folders and of every folder inside them (an
    // invalid time for a folder that is not there).
    QHash<QString, QDateTime> folderTimes() const;

    const QStringList m_dirs;
    mutable QMutex m_mutex;
    mutable QHash<QString, QDateTime> m_times;
    mutable Entries m_entries;
};
