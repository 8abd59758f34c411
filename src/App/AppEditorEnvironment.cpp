#include "App/AppEditorEnvironment.h"

#include "App/PinnedImages.h"
#include "App/ResultActions.h"
#include "Localization/Localizer.h"
#include "Platform/ClipboardService.h"
#include "Platform/ImageFileDialogs.h"
#include "Platform/Paths.h"
#include "Storage/AppFolders.h"
#include "Storage/ShareFolder.h"

#include <QApplication>

AppEditorEnvironment::AppEditorEnvironment(Services services)
    : m_services(std::move(services))
    , m_history(m_services.history)
{
}

QSizeF AppEditorEnvironment::textSize(const QString& text, double fontSize,
                                      const std::optional<QString>& fontName) const
{
    return m_history.textSize(text, fontSize, fontName);
}

void AppEditorEnvironment::updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item)
{
    m_history.updateAnnotations(annotations, item);
}

void AppEditorEnvironment::updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                                       const ScreenshotItem& item)
{
    m_history.updateImage(image, annotations, item);
}

void AppEditorEnvironment::copyImage(const QImage& image)
{
    m_services.results.copyImageToPasteboard(image);
}

void AppEditorEnvironment::copyText(const QString& text)
{
    m_services.results.copyTextToPasteboard(text);
}

void AppEditorEnvironment::copyFile(const QString& path)
{
    m_services.results.copyFileToPasteboard(path);
}

void AppEditorEnvironment::saveImage(const QImage& image, const QString& suggestedName)
{
    m_services.results.saveImageWithPanel(image, suggestedName);
}

void AppEditorEnvironment::pinImage(const QImage& image)
{
    m_services.pinned.pin(image);
}

void AppEditorEnvironment::readClipboard(QObject* context,
                                         std::function<void(const QImage&, const std::optional<QString>&)> done)
{
    // Pictures come first: the text is read only where there is none. A read
    // that cannot vouch for its content pastes nothing.
    ClipboardReadRequest request;
    request.imageFirst = true;
    m_services.clipboard.read(request, context, [done](const ClipboardSnapshot& snapshot) {
        if (snapshot.certain)
            done(snapshot.image, snapshot.text);
    });
}

std::optional<QString> AppEditorEnvironment::chooseImageFile()
{
    // The editor window the user clicked in carries the dialog.
    return m_services.dialogs.chooseImageToOpen(
        QApplication::activeWindow(), m_services.folders.paths().picturesDirectory(),
        Localizer::t(QStringLiteral("Einfügen")), Localizer::t(QStringLiteral("Bilder")));
}

QString AppEditorEnvironment::shareFolder()
{
    return m_services.shareFolder.ensure();
}

OCRService* AppEditorEnvironment::textRecognition()
{
    return &m_services.textRecognition;
}

Workspace* AppEditorEnvironment::workspace()
{
    return &m_services.workspace;
}

ProcessLauncher* AppEditorEnvironment::launcher()
{
    return &m_services.launcher;
}
