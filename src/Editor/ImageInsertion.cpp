#include "Editor/ImageInsertion.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"
#include "Editor/TextEntry.h"
#include "Debug/DebugLog.h"
#include "Storage/ImageOps.h"

#include <QImageReader>
#include <algorithm>

namespace {
// Inserted pictures are at most this share of the edited picture's width.
constexpr double insertedWidthShare = 0.45;
// A picture file may decode to at most this much memory.
constexpr int insertedFileBudgetMB = 256;
} // namespace

ImageInsertion::ImageInsertion(EditorViewModel& vm, TextEntry& textEntry, EditorEnvironment& environment,
                               QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_textEntry(textEntry)
    , m_environment(environment)
{
}

void ImageInsertion::insertImageFromPicker()
{
    if (const std::optional<QString> path = m_environment.chooseImageFile())
        insertImageFile(*path);
}

void ImageInsertion::insertImageFile(const QString& path)
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

void ImageInsertion::insertImage(const QImage& image)
{
    const std::optional<QByteArray> png = ImageOps::pngData(image);
    if (!png)
        return;
    const double w = image.width(), h = image.height();
    const double W = m_vm.imagePixelSize().width(), H = m_vm.imagePixelSize().height();
    if (!(w > 0) || !(h > 0) || !(W > 0))
        return;
    const double s = std::min(w, insertedWidthShare * W) / w;
    const QPointF centre(W / 2, H / 2);
    const QPointF half(w * s / 2, h * s / 2);
    AnnotationObject a = m_vm.newAnnotation(AnnotationKind::image, {centre - half, centre + half});
    a.imageData = *png;
    m_vm.addAnnotation(a);
    m_vm.setTool(EditorTool::select);
}

void ImageInsertion::paste()
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
                m_textEntry.insertText(trimmed);
        }
    });
}
