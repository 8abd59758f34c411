#include "App/ResultActions.h"
#include "Platform/AtomicFile.h"

#include "Clipboard/ClipboardMonitor.h"
#include "Clipboard/Pasteboard.h"
#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Models/AppSettings.h"
#include "Platform/Alerts.h"
#include "Platform/ClipboardService.h"
#include "Platform/ImageFileDialogs.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <QPointer>

ResultActions::ResultActions(Services services, std::optional<QString> appID, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_appID(std::move(appID))
{
}

void ResultActions::copyImageToPasteboard(const QImage& image)
{
    // The monitor must not take the app's own write for a new copy: the
    // history entry below is the only one.
    const ClipboardWrite write = Pasteboard::copyImageWithPNG(m_services.clipboard, image);
    m_services.monitor.ownWrite(write);
    if (write.held && m_services.settings.settings().clipboardHistoryEnabled)
        m_services.history.addImage(image, m_appID);
}

void ResultActions::copyTextToPasteboard(const QString& text)
{
    record(m_services.clipboard.writeText(text), text);
}

void ResultActions::copyFileToPasteboard(const QString& path)
{
    // A file manager pastes the file; the history keeps its path.
    record(m_services.clipboard.writeFile(path), path);
}

void ResultActions::record(const ClipboardWrite& write, const QString& text)
{
    m_services.monitor.ownWrite(write);
    if (write.held && m_services.settings.settings().clipboardHistoryEnabled)
        m_services.history.addText(text, m_appID);
}

void ResultActions::saveImageWithPanel(const QImage& image, const QString& suggestedName)
{
    const QString folder = m_services.folders.exportDirectory(m_services.settings.settings());
    Storage::ensureDirectory(folder);
    askForPlace(image, folder, suggestedName);
}

void ResultActions::askForPlace(const QImage& image, const QString& folder, const QString& name)
{
    QPointer<ResultActions> self(this);
    m_services.dialogs.chooseSaveLocation(folder, name, [self, image](const std::optional<QString>& path) {
        if (self && path && !path->isEmpty())
            self->finishSave(image, *path);
    });
}

void ResultActions::finishSave(const QImage& image, QString path)
{
    // Only PNG is offered: a name typed without its extension gets it.
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    QString reason;
    if (writePNG(image, path, &reason)) {
        DebugLog::write(QStringLiteral("SAVE gespeichert: %1").arg(path));
        Q_EMIT saved(path);
        return;
    }
    DebugLog::write(QStringLiteral("SAVE fehlgeschlagen: %1 (%2)").arg(path, reason));
    Alerts::Alert alert;
    alert.message = Localizer::t(QStringLiteral("Speichern fehlgeschlagen"));
    alert.informativeText = Localizer::t(QStringLiteral("Das Bild konnte nicht unter „%1“ gespeichert werden: %2"))
                                .arg(QDir::toNativeSeparators(path), reason);
    alert.buttons = {Localizer::t(QStringLiteral("Anderen Ort wählen …")), Localizer::t(QStringLiteral("Abbrechen"))};
    alert.informational = false;
    const bool again = m_services.alerts.runModal(alert) == 0;
    Q_EMIT saveFailed(path, reason);
    if (!again)
        return;
    // The picture is not lost: the dialog opens again with the chosen name,
    // in the chosen folder where it still exists.
    const QFileInfo chosen(path);
    const QString folder = chosen.absoluteDir().exists() ? chosen.absolutePath()
                                                         : m_services.folders.exportDirectory(m_services.settings.settings());
    askForPlace(image, folder, chosen.fileName());
}

bool ResultActions::writePNG(const QImage& image, const QString& path, QString* error)
{
    const std::optional<QByteArray> png = ImageOps::pngData(image);
    if (!png) {
        if (error)
            *error = Localizer::t(QStringLiteral("Das Bild ließ sich nicht als PNG kodieren."));
        return false;
    }
    // All or nothing: a full disk leaves an earlier file of that name whole.
    const FileWriteOutcome written = AtomicFile::write(m_services.folders.files(), path, *png, 0666);
    if (!written.ok() && error)
        *error = QString::fromLocal8Bit(std::strerror(written.error));
    return written.ok();
}
