#include "Editor/HistoryEditorEnvironment.h"

#include "Editor/AnnotationRenderer.h"
#include "Storage/ScreenshotHistoryStore.h"

QSizeF HistoryEditorEnvironment::textSize(const QString& text, double fontSize,
                                          const std::optional<QString>& fontName) const
{
    return AnnotationRenderer::textSize(text, fontSize, fontName);
}

void HistoryEditorEnvironment::updateAnnotations(const QList<AnnotationObject>& annotations,
                                                 const ScreenshotItem& item)
{
    m_store.updateAnnotations(annotations, item);
}

void HistoryEditorEnvironment::updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                                           const ScreenshotItem& item)
{
    m_store.updateImage(image, annotations, item);
}
