// Pictures in and results out: replacing the picture, inserting and pasting
// pictures, the flattened result and what leaves the editor with it, blur
// previews, the write-back to the screenshot history, text recognition and
// Live Text.
#include "Storage/DebugLog.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"
#include "Editor/OCRService.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/Workspace.h"
#include "Storage/ImageOps.h"

#include <QFile>

#include <QImageReader>
#include <QSaveFile>
#include <QUrl>
#include <algorithm>

namespace {
// Inserted pictures are at most this share of the edited picture's width.
constexpr double insertedWidthShare = 0.45;
// A picture file may decode to at most this much memory.
constexpr int insertedFileBudgetMB = 256;
} // namespace

void EditorViewModel::replaceImage(const QImage& image, const QList<AnnotationObject>& annotations)
{
    pushUndo();
    m_original = image;
    m_imagePixelSize = image.size();
    m_imageWasCropped = true;
    m_blurCache.clear();
    m_state.annotations = annotations;
    Q_EMIT imageChanged();
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}

QImage EditorViewModel::blurredImage(BlurStyle style, double amount)
{
    if (m_original.isNull())
        return {};
    return m_blurCache.blurred(m_original, style, amount);
}

void EditorViewModel::persistAnnotations()
{
    if (!m_item)
        return;
    if (m_imageWasCropped)
        m_environment.updateImage(m_original, m_state.annotations, *m_item);
    else
        m_environment.updateAnnotations(m_state.annotations, *m_item);
}

// --- Pictures in -------------------------------------------------------------

void EditorViewModel::insertImageFromPicker()
{
    if (const std::optional<QString> path = m_environment.chooseImageFile())
        insertImageFile(*path);
}

void EditorViewModel::insertImageFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(insertedFileBudgetMB);
    const QImage image = reader.read();
    if (image.isNull()) {
        DebugLog::write(QStringLiteral("EDITOR Bild nicht lesbar: %1 (%2)").arg(path, reader.errorString()));
        return;
    }
    insertImage(image);
}

void EditorViewModel::insertImage(const QImage& image)
{
    const std::optional<QByteArray> png = ImageOps::pngData(image);
    if (!png)
        return;
    const double w = image.width(), h = image.height();
    const double W = m_imagePixelSize.width(), H = m_imagePixelSize.height();
    if (!(w > 0) || !(h > 0) || !(W > 0))
        return;
    const double s = std::min(w, insertedWidthShare * W) / w;
    const QPointF centre(W / 2, H / 2);
    const QPointF half(w * s / 2, h * s / 2);
    AnnotationObject a = newAnnotation(AnnotationKind::image, m_state.selectedColor, {centre - half, centre + half});
    a.imageData = *png;
    addAnnotation(a);
    setTool(EditorTool::select);
}

void EditorViewModel::paste()
{
    m_environment.readClipboard(this, [this](const QImage& image, const std::optional<QString>& text) {
        // A picture wins over a text offered with it.
        if (!image.isNull() && image.width() > 0 && image.height() > 0) {
            insertImage(image);
            return;
        }
        if (text) {
            const QString trimmed = text->trimmed();
            if (!trimmed.isEmpty())
                insertText(trimmed);
        }
    });
}

// --- Results out ---------------------------------------------------------------

QImage EditorViewModel::render() const
{
    return AnnotationRenderer::render(m_original, m_state.annotations);
}

QVariantList EditorViewModel::shareItems()
{
    const QImage flat = render();
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
    if (!file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.commit()) {
        DebugLog::write(QStringLiteral("EDITOR Teilen: %1 konnte nicht geschrieben werden").arg(m_sharedFile));
        return {QVariant::fromValue(flat)};
    }
    return {QUrl::fromLocalFile(m_sharedFile)};
}

bool EditorViewModel::shareFile(ShareTarget target, const QString& path)
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

void EditorViewModel::removeSharedFile()
{
    if (m_sharedFile.isEmpty())
        return;
    QFile::remove(m_sharedFile);
    m_sharedFile.clear();
}

void EditorViewModel::copyResult()
{
    m_environment.copyImage(render());
}

void EditorViewModel::saveResult(const QString& suggestedName)
{
    persistAnnotations();
    m_environment.saveImage(render(), suggestedName);
}

void EditorViewModel::copyText(const QString& text)
{
    m_environment.copyText(text);
}

void EditorViewModel::pinResult()
{
    m_environment.pinImage(render());
}

// --- Text recognition ------------------------------------------------------------

void EditorViewModel::setOcrText(const std::optional<QString>& text)
{
    if (text == m_ocrText)
        return;
    m_ocrText = text;
    Q_EMIT ocrChanged();
}

void EditorViewModel::runOCR()
{
    const QImage flat = render();
    if (flat.isNull())
        return;
    // Only the newest recognition may set the result and the clipboard: an
    // older one reads an outdated picture.
    const quint64 generation = ++m_ocrGeneration;
    m_isRunningOCR = true;
    Q_EMIT ocrChanged();
    const auto finished = [this, generation](const QString& recognised) {
        if (generation != m_ocrGeneration)
            return;
        m_isRunningOCR = false;
        const QString text = recognised.trimmed();
        m_ocrText = text;
        Q_EMIT ocrChanged();
        if (!text.isEmpty())
            m_environment.copyText(text);
    };
    if (OCRService* ocr = m_environment.textRecognition())
        ocr->recognizeText(flat, this, finished);
    else
        finished({});
}

// --- Live Text -------------------------------------------------------------------

void EditorViewModel::setLiveTextEnabled(bool enabled)
{
    if (enabled == m_liveTextEnabled)
        return;
    m_liveTextEnabled = enabled;
    // Every new picture is read while Live Text is on.
    if (enabled)
        connect(this, &EditorViewModel::imageChanged, this, &EditorViewModel::readLiveTextIfNeeded,
                Qt::UniqueConnection);
    Q_EMIT liveTextChanged();
    readLiveTextIfNeeded();
}

void EditorViewModel::readLiveTextIfNeeded()
{
    const qint64 key = m_original.cacheKey();
    if (m_liveTextImageKey != key && !m_liveTextLines.isEmpty()) {
        // Lines read from another picture do not fit this one.
        m_liveTextLines.clear();
        Q_EMIT liveTextChanged();
    }
    // Each picture is read once, even when that failed; reading starts only
    // once Live Text is asked for.
    if (!m_liveTextEnabled || m_liveTextImageKey == key || m_original.isNull())
        return;
    m_liveTextImageKey = key;
    const quint64 generation = ++m_liveTextGeneration;
    OCRService* ocr = m_environment.textRecognition();
    if (!ocr)
        return;
    ocr->recognizeLines(m_original, this, [this, generation, key](const QList<RecognizedLine>& lines) {
        // A newer picture's reading has started, or the picture changed: stale.
        if (generation != m_liveTextGeneration || key != m_original.cacheKey())
            return;
        m_liveTextLines = lines;
        Q_EMIT liveTextChanged();
    });
}
