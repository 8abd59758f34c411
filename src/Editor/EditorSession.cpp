#include "Editor/EditorSession.h"

EditorSession::EditorSession(const QImage& image, std::optional<ScreenshotItem> item, EditorEnvironment& environment)
    : m_model(image, std::move(item), environment)
    , m_textEntry(m_model, environment)
    , m_drawing(m_model, m_textEntry)
    , m_selectionDrag(m_model, m_textEntry)
    , m_crop(m_model)
    , m_results(m_model, environment)
    , m_sharing(m_results, environment)
    , m_recognition(m_model, m_results, environment)
    , m_insertion(m_model, m_textEntry, environment)
{
}

void EditorSession::windowWillClose()
{
    m_textEntry.windowWillClose();
    m_model.endStyleEdit();
    m_drawing.windowWillClose();
    m_selectionDrag.end();
    m_sharing.windowWillClose();
}
