#include "Editor/ResultSharing.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorResults.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/Workspace.h"
#include "Debug/DebugLog.h"
#include "Storage/ImageOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QUuid>

ResultSharing::ResultSharing(const EditorResults& results, EditorEnvironment& environment)
    : m_results(results)
    , m_environment(environment)
{
}

ResultSharing::~ResultSharing()
{
    removeSharedFile();
}

QVariantList ResultSharing::shareItems()
{
    const QImage flat = m_results.render();
    const std::optional<QByteArray> png = ImageOps::pngData(flat);
    const QString folder = m_environment.shareFolder();
    if (!png || folder.isEmpty())
        return {QVariant::fromValue(flat)};
    // One file per editor, replaced by each share, so that sharing often
    // leaves no trail of pictures behind.
    if (!m_sharedFile.startsWith(folder + QLatin1Char('/')))
        m_sharedFile = folder + QStringLiteral("/Zentu-")
                       + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8).toUpper() + QStringLiteral(".png");
    QSaveFile file(m_sharedFile);
    // A small file's failed last write is reported by nothing but its size.
    if (!file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.commit()
        || QFileInfo(m_sharedFile).size() != png->size()) {
        DebugLog::write(QStringLiteral("EDITOR Teilen: %1 konnte nicht geschrieben werden").arg(m_sharedFile));
        return {QVariant::fromValue(flat)};
    }
    return {QUrl::fromLocalFile(m_sharedFile)};
}

bool ResultSharing::shareFile(ShareTarget target, const QString& path)
{
    bool started = false;
    switch (target) {
    case ShareTarget::defaultViewer:
        if (Workspace* workspace = m_environment.workspace())
            started = workspace->openUrl(QUrl::fromLocalFile(path));
        break;
    case ShareTarget::email:
        // xdg-email hands the file to the user's mail program as an attachment.
        if (ProcessLauncher* launcher = m_environment.launcher())
            started = launcher->startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--attach"), path});
        break;
    case ShareTarget::fileManager:
        if (Workspace* workspace = m_environment.workspace()) {
            workspace->revealFile(path);
            started = true;
        }
        break;
    case ShareTarget::copyPath:
        m_environment.copyFile(path);
        started = true;
        break;
    }
    if (!started)
        DebugLog::write(QStringLiteral("EDITOR Teilen: %1 konnte nicht weitergegeben werden (%2)")
                            .arg(path, QString::number(int(target))));
    return started;
}

void ResultSharing::windowWillClose()
{
    removeSharedFile();
}

void ResultSharing::removeSharedFile()
{
    if (m_sharedFile.isEmpty())
        return;
    QFile::remove(m_sharedFile);
    m_sharedFile.clear();
}
