#pragma once
// Pictures into one editor: a chosen picture file, a picture, or what the
// clipboard holds (its picture, else its text) as a new annotation on the
// screenshot. Works on the model; pasted text goes to the text entry.
#include <QObject>

class EditorEnvironment;
class EditorViewModel;
class QImage;
class TextEntry;

class ImageInsertion : public QObject {
    Q_OBJECT
public:
    ImageInsertion(EditorViewModel& vm, TextEntry& textEntry, EditorEnvironment& environment,
                   QObject* parent = nullptr);

    // The chosen picture file, or a picture, as an image annotation: never
    // enlarged, at most 45 % of the edited picture's width, centred; it
    // becomes the selection and the select tool is chosen. An unreadable
    // file or an empty picture adds nothing.
    void insertImageFromPicker();
    void insertImageFile(const QString& path);
    void insertImage(const QImage& image);
    // The clipboard's picture, else its text without surrounding blanks. The
    // clipboard may answer later; an editor gone by then gets nothing.
    void paste();

private:
    EditorViewModel& m_vm;
    TextEntry& m_textEntry;
    EditorEnvironment& m_environment;
};
