#pragma once
// The export row at the right end of the toolbar's second row, icons only,
// each with the toolbar's delayed tooltip: the Live Text switch, text
// recognition ("Erkenne …" and off while it runs), pin, share, copy, and the
// prominent save button, which Ctrl+S presses from anywhere in the window.
// Pin, copy and save flatten the picture at the moment of the click.
#include <QDateTime>
#include <QWidget>

class EditorResults;
class EditorTextRecognition;
class ResultSharing;
class QShortcut;
class ShareButton;
class ToggleChip;
class ToolbarIconButton;

class ExportControls : public QWidget {
    Q_OBJECT
public:
    ExportControls(EditorResults& results, ResultSharing& sharing, EditorTextRecognition& recognition,
                   QWidget* parent = nullptr);

    // The Live Text switch's symbol: a marked line of text with a text
    // cursor, never the text tool's pair of letters.
    static constexpr const char* liveTextSymbol = "character.cursor.ibeam";

    // "Zentu.it_Screenshot_yyyy-MM-dd_HH-mm-ss.png" for the moment given.
    static QString suggestedSaveName(const QDateTime& now);

protected:
    void changeEvent(QEvent* e) override;

private:
    void save();
    void sync();
    void retranslate();

    EditorResults& m_results;
    EditorTextRecognition& m_recognition;
    ToggleChip* m_liveText;
    ToolbarIconButton* m_ocr;
    ToolbarIconButton* m_pin;
    ShareButton* m_share;
    ToolbarIconButton* m_copy;
    ToolbarIconButton* m_save;
};
