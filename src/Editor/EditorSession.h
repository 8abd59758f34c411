#pragma once
// One editor's model with the collaborators that work on it, built together
// from the picture, its history entry and what the program offers an editor,
// and torn down in reverse. The editor window owns one; its views take the
// parts whose operations they call.
#include "Editor/CropTool.h"
#include "Editor/DrawingGesture.h"
#include "Editor/EditorResults.h"
#include "Editor/EditorTextRecognition.h"
#include "Editor/EditorViewModel.h"
#include "Editor/ImageInsertion.h"
#include "Editor/ResultSharing.h"
#include "Editor/SelectionDrag.h"
#include "Editor/TextEntry.h"

class EditorSession {
public:
    // item: the history entry the picture belongs to, none for a loose picture.
    EditorSession(const QImage& image, std::optional<ScreenshotItem> item, EditorEnvironment& environment);
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    EditorViewModel& model() { return m_model; }
    TextEntry& textEntry() { return m_textEntry; }
    DrawingGesture& drawing() { return m_drawing; }
    SelectionDrag& selectionDrag() { return m_selectionDrag; }
    CropTool& crop() { return m_crop; }
    EditorResults& results() { return m_results; }
    ResultSharing& sharing() { return m_sharing; }
    EditorTextRecognition& recognition() { return m_recognition; }
    ImageInsertion& insertion() { return m_insertion; }

    // The window is closing: words still open are kept, no style edit or
    // gesture stays open, and the share file goes.
    void windowWillClose();

private:
    EditorViewModel m_model;
    TextEntry m_textEntry;
    DrawingGesture m_drawing;
    SelectionDrag m_selectionDrag;
    CropTool m_crop;
    EditorResults m_results;
    ResultSharing m_sharing;
    EditorTextRecognition m_recognition;
    ImageInsertion m_insertion;
};
