#include "App/AppEditorEnvironment.h"

#include "App/AppCoordinator.h"
#include "App/CoordinatorServices.h"
#include "Localization/Localizer.h"
#include "Platform/ClipboardService.h"
#include "Platform/ImageFileDialogs.h"
#include "Platform/Paths.h"
#include "Storage/ShareFolder.h"
#include "Storage/Storage.h"

#include <QApplication>

AppEditorEnvironment::AppEditorEnvironment(AppCoordinator& coordinator)
    : m_coordinator(coordinator)
    , m_history(coordinator.screenshotStore())
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
    m_coordinator.copyImageToPasteboard(image);
}

void AppEditorEnvironment::copyText(const QString& text)
{
    m_coordinator.copyTextToPasteboard(text);
}

void AppEditorEnvironment::saveImage(const QImage& image, const QString& suggestedName)
{
    m_coordinator.saveImageWithPanel(image, suggestedName);
}

void AppEditorEnvironment::pinImage(const QImage& image)
{
    m_coordinator.pinImage(image);
}

void AppEditorEnvironment::readClipboard(QObject*,
                                         std::function<void(const QImage&, const std::optional<QString>&)> done)
{
    ClipboardService& clipboard = m_coordinator.services().clipboard();
    // Pictures come first: their text form is only read when there is none.
    const QImage image = clipboard.image();
    done(image, image.isNull() ? clipboard.string() : std::nullopt);
}

std::optional<QString> AppEditorEnvironment::chooseImageFile()
{
    // The editor window the user clicked in carries the dialog.
    return m_coordinator.services().imageFileDialogs().chooseImageToOpen(
        QApplication::activeWindow(), Storage::paths().picturesDirectory(),
        Localizer::t(QStringLiteral("Einfügen")), Localizer::t(QStringLiteral("Bilder")));
}

QString AppEditorEnvironment::shareFolder()
{
    return m_coordinator.shareFolder().ensure();
}

OCRService* AppEditorEnvironment::textRecognition()
{
    return &m_coordinator.textRecognition();
}
