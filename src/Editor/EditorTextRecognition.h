#pragma once
// The text read from one editor's picture: recognition of the flattened
// result on request ("Text (OCR)"), whose text goes to the clipboard, and
// Live Text, the lines of the picture offered for selection while it is on.
// Reading runs off the main thread; only the newest reading of the current
// picture ever counts.
#include "Platform/TextRecognizer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class EditorEnvironment;
class EditorResults;
class EditorViewModel;

class EditorTextRecognition : public QObject {
    Q_OBJECT
public:
    EditorTextRecognition(const EditorViewModel& vm, const EditorResults& results, EditorEnvironment& environment,
                          QObject* parent = nullptr);

    // Recognises the flattened picture's text; the newest recognition's
    // result, trimmed, becomes ocrText (also when empty) and, when not
    // empty, goes to the clipboard. Older ones still running are ignored.
    void runOCR();
    const std::optional<QString>& ocrText() const { return m_ocrText; }
    void setOcrText(const std::optional<QString>& text);
    bool isRunningOCR() const { return m_isRunningOCR; }
    // Live Text: while on, the picture's lines are read (once per picture)
    // and offered for selection. Only lines read from the current picture
    // are ever offered.
    bool liveTextEnabled() const { return m_liveTextEnabled; }
    void setLiveTextEnabled(bool enabled);
    const QList<RecognizedLine>& liveTextLines() const { return m_liveTextLines; }
    // A text chosen in the picture (Live Text) or in the result to the clipboard.
    void copyText(const QString& text);

Q_SIGNALS:
    void ocrChanged();      // ocrText, isRunningOCR
    void liveTextChanged(); // liveTextEnabled, liveTextLines

private:
    // Starts reading the current picture for Live Text unless it was read.
    void readLiveTextIfNeeded();

    const EditorViewModel& m_vm;
    const EditorResults& m_results;
    EditorEnvironment& m_environment;
    std::optional<QString> m_ocrText;
    bool m_isRunningOCR = false;
    quint64 m_ocrGeneration = 0; // the recognition whose result counts
    bool m_liveTextEnabled = false;
    QList<RecognizedLine> m_liveTextLines;
    qint64 m_liveTextImageKey = 0; // the picture last read for Live Text (0: none)
    quint64 m_liveTextGeneration = 0;
};
