#pragma once
// What leaves one editor as its result: the picture with its annotations
// burnt in, copied, saved through the save dialog or pinned to the screen,
// and the write-back of the annotations (and of a cut picture) to the
// screenshot's history entry. Works on the model; the program behind the
// environment does the copying, saving, pinning and storing.
#include <QImage>

class EditorEnvironment;
class EditorViewModel;
class QString;

class EditorResults {
public:
    EditorResults(const EditorViewModel& vm, EditorEnvironment& environment);

    // The picture with every committed annotation burnt in (no draft, no
    // open text entry, no crop draft).
    QImage render() const;
    // Writes the annotations (and a replaced picture) back to the history
    // entry the editor was opened on; nothing for a loose image.
    void persistAnnotations();
    // The flattened picture to the clipboard, to the save dialog (after the
    // write-back) or pinned to the screen.
    void copyResult();
    void saveResult(const QString& suggestedName);
    void pinResult();

private:
    const EditorViewModel& m_vm;
    EditorEnvironment& m_environment;
};
