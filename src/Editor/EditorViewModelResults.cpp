// Pictures in and results out: replacing the picture, blur previews and the
// write-back to the screenshot history.
#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"

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
