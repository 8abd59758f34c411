#include "Storage/ShareFolder.h"

#include "Debug/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ShareFolder::ShareFolder(const QString& parent)
    : m_path(parent.isEmpty() ? QString() : parent + QStringLiteral("/com.quorel.zentu.shared"))
{
}

ShareFolder::~ShareFolder()
{
    clear();
}

QString ShareFolder::ensure() const
{
    if (m_path.isEmpty())
        return {};
    const QFileInfo info(m_path);
    // Something else under our name is not ours to write into.
    if (info.isSymLink() || (info.exists() && !info.isDir())) {
        DebugLog::write(QStringLiteral("SHARE kein eigener Ordner: %1").arg(m_path));
        return {};
    }
    if (!info.exists() && !QDir().mkpath(m_path))
        return {};
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return m_path;
}

void ShareFolder::clear() const
{
    if (m_path.isEmpty())
        return;
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        QFile::remove(m_path); // the link only, never what it points to
        return;
    }
    if (info.isDir() && !QDir(m_path).removeRecursively())
        DebugLog::write(QStringLiteral("SHARE Ordner konnte nicht geleert werden: %1").arg(m_path));
}
