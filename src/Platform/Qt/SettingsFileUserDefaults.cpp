#include "Platform/Qt/SettingsFileUserDefaults.h"

#include "Debug/DebugLog.h"
#include "Platform/AtomicFile.h"
#include "Platform/FileCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>

namespace {

QVariantMap readSettings(const QString& path, QSettings::Status* status)
{
    QVariantMap values;
    QSettings settings(path, QSettings::NativeFormat);
    *status = settings.status();
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

} // namespace

SettingsFileUserDefaults::SettingsFileUserDefaults(FileCalls& files, QString filePath)
    : m_files(files)
    , m_path(std::move(filePath))
{
    prepareFile();
    read();
}

void SettingsFileUserDefaults::prepareFile()
{
    const QFileInfo info(m_path);
    // Qt's settings would read through a planted link, and what was read
    // through it is not ours to keep.
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        const bool removed = QFile::remove(m_path);
        DebugLog::write(QStringLiteral("SETTINGS Verknüpfung statt eigener Datei: %1 zeigte auf %2, %3")
                            .arg(m_path, target, removed ? QStringLiteral("durch eigene Datei ersetzt")
                                                         : QStringLiteral("nicht entfernbar")));
    }
    // A file an earlier version left open to others is closed; a new file is
    // private from its first byte (the atomic writer creates it so).
    if (QFileInfo::exists(m_path) && (QFile::permissions(m_path) & QFileDevice::Permissions(0x0077)) != 0)
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // What a write cut short by a kill left.
    const QDir folder = info.absoluteDir();
    for (const QFileInfo& left : folder.entryInfoList({QLatin1Char('.') + info.fileName() + QLatin1Char('*')},
                                                      QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (AtomicFile::isTemporaryName(left.fileName()) && !left.isSymLink()) {
            if (left.isDir())
                QDir(left.filePath()).removeRecursively();
            else
                QFile::remove(left.filePath());
        }
}

bool SettingsFileUserDefaults::read()
{
    if (QFileInfo(m_path).isSymLink())
        prepareFile();
    QSettings::Status status = QSettings::NoError;
    QVariantMap values = readSettings(m_path, &status);
    if (status == QSettings::AccessError && QFileInfo::exists(m_path)) {
        DebugLog::write(QStringLiteral("SETTINGS %1 nicht lesbar, bleibt unverändert").arg(m_path));
        return false;
    }
    m_values = values;
    return true;
}

void SettingsFileUserDefaults::write()
{
    // Qt writes its format only to a file, and trusts a final flush it does
    // not check: it goes to a scratch file first, is read back and compared,
    // and only then written in place, all or nothing.
    // The scratch file lies in a folder of its own that only the user may
    // enter: the settings are never open to others, not for a moment.
    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    QTemporaryDir folder(info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".zentu-tmp-XXXXXX"));
    const QString scratch = folder.filePath(QStringLiteral("settings.conf"));
    {
        QSettings out(scratch, QSettings::NativeFormat);
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
            out.setValue(it.key(), it.value());
        out.sync();
    }
    QByteArray text;
    const int readError = folder.isValid() ? -m_files.readAll(QFile::encodeName(scratch), &text) : EACCES;
    QSettings::Status status = QSettings::NoError;
    // Qt reads its values back as texts: the keys tell whether all arrived.
    const bool whole = readError == 0 && readSettings(scratch, &status).keys() == m_values.keys();
    folder.remove();
    FileWriteOutcome outcome{whole ? 0 : (readError ? readError : EIO), QStringLiteral("aufbereiten"), m_path};
    if (whole)
        outcome = AtomicFile::write(m_files, m_path, text, 0600);
    if (!outcome.ok()) {
        DebugLog::write(QStringLiteral("SETTINGS nicht geschrieben, folgt mit der nächsten Änderung: %1").arg(outcome.describe()));
        return;
    }
    m_unwritten.clear();
    m_unwrittenRemovals.clear();
}

void SettingsFileUserDefaults::change(const std::function<void(QVariantMap&)>& apply)
{
    // What another instance wrote meanwhile stays; what this one could not
    // write before goes with this change.
    if (!read()) {
        apply(m_values);
        return;
    }
    for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it)
        m_values.insert(it.key(), it.value());
    for (const QString& key : std::as_const(m_unwrittenRemovals))
        m_values.remove(key);
    apply(m_values);
    write();
}

QString SettingsFileUserDefaults::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/com.quorel.zentu.conf");
}

QVariant SettingsFileUserDefaults::value(const QString& key) const
{
    return m_values.value(key);
}

void SettingsFileUserDefaults::setValue(const QString& key, const QVariant& value)
{
    m_unwritten.insert(key, value);
    m_unwrittenRemovals.removeAll(key);
    change([&](QVariantMap& values) { values.insert(key, value); });
}

void SettingsFileUserDefaults::remove(const QString& key)
{
    m_unwritten.remove(key);
    if (!m_unwrittenRemovals.contains(key))
        m_unwrittenRemovals.append(key);
    change([&](QVariantMap& values) { values.remove(key); });
}

bool SettingsFileUserDefaults::removePersistentDomain(QString* error)
{
    // Cleared first, so nothing is written back from memory later.
    m_values.clear();
    m_unwritten.clear();
    m_unwrittenRemovals.clear();
    QFile file(m_path);
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.fileName() + QStringLiteral(": ") + file.errorString();
    return false;
}
