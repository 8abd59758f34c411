#include "Platform/DesktopEntryIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationDirs)
    : m_dirs(applicationDirs.isEmpty() ? QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)
                                       : std::move(applicationDirs))
{
}

QHash<QString, QDateTime> DesktopEntryIndex::folderTimes() const
{
    QHash<QString, QDateTime> times;
    for (const QString& dir : m_dirs) {
        // A change inside a subfolder (kde/) leaves its parent's time alone.
        times.insert(dir, QFileInfo(dir).lastModified());
        QDirIterator it(dir, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString sub = it.next();
            times.insert(sub, it.fileInfo().lastModified());
        }
    }
    return times;
}

DesktopEntryIndex::Entries DesktopEntryIndex::entries() const
{
    QMutexLocker lock(&m_mutex);
    QHash<QString, QDateTime> times = folderTimes();
    if (!m_entries || times != m_times) {
        m_entries = std::make_shared<const QList<Entry>>(read(m_dirs));
        // A file system with coarse times may give a change made right after
        // this read the same time: a folder changed within the last seconds
        // is read again next time.
        const QDateTime settled = QDateTime::currentDateTime().addSecs(-2);
        const bool young = std::any_of(times.cbegin(), times.cend(),
                                       [&](const QDateTime& t) { return t.isValid() && t > settled; });
        m_times = young ? QHash<QString, QDateTime>() : std::move(times);
    }
    return m_entries;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::find(const QString& id) const
{
    QString plain = id;
    if (plain.endsWith(QLatin1String(".desktop")))
        plain.chop(8);
    if (plain.isEmpty())
        return std::nullopt;
    const Entries all = entries();
    for (const Entry& e : *all)
        if (e.id == plain)
            return e;
    return std::nullopt;
}

QList<DesktopEntryIndex::Entry> DesktopEntryIndex::read(const QStringList& applicationDirs)
{
    QList<Entry> out;
    QSet<QString> seen;
    for (const QString& dir : applicationDirs) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(dir).relativeFilePath(path);
            id.chop(8);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue; // earlier folders take precedence
            seen.insert(id);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            Entry entry;
            entry.id = id;
            bool inMain = false;
            QTextStream in(&file);
            while (!in.atEnd()) {
                const QString line = in.readLine().trimmed();
                if (line.startsWith(QLatin1Char('['))) {
                    inMain = line == QLatin1String("[Desktop Entry]");
                    continue;
                }
                if (!inMain)
                    continue;
                const qsizetype eq = line.indexOf(QLatin1Char('='));
                if (eq < 0)
                    continue;
                const QString key = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
                if (key == QLatin1String("Name"))
                    entry.name = value;
                else if (key.startsWith(QLatin1String("Name[")) && key.endsWith(QLatin1Char(']')))
                    entry.localizedNames.insert(key.mid(5, key.size() - 6), value);
                else if (key == QLatin1String("Exec"))
                    entry.exec = value;
                else if (key == QLatin1String("StartupWMClass"))
                    entry.startupWMClass = value;
                else if (key == QLatin1String("Hidden"))
                    entry.hidden = value == QLatin1String("true");
            }
            out.append(entry);
        }
    }
    return out;
}
