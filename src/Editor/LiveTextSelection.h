#pragma once
// Selecting recognised words like text: a drag from one word to another
// selects every word between them in reading order (line by line, left to
// right), across lines. Positions are in pixels of the picture.
#include "Platform/TextRecognizer.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <optional>

class LiveTextSelection {
public:
    // One word: its line and its place in that line.
    struct Word {
        qsizetype line = 0;
        qsizetype index = 0;
        auto operator<=>(const Word&) const = default;
    };

    void setLines(const QList<RecognizedLine>& lines);
    const QList<RecognizedLine>& lines() const { return m_lines; }

    // The word whose box holds the point (a little margin counts).
    std::optional<Word> wordAt(QPointF at) const;
    // The word a drag reaching this point means: on the nearest line, the
    // nearest word; none without words.
    std::optional<Word> nearestWord(QPointF at) const;

    // A press starts a selection at its word (none away from words); the
    // drag moves its other end.
    void begin(QPointF at);
    void extend(QPointF to);
    void clear();
    bool isEmpty() const { return !m_anchor || !m_focus; }
    bool isSelected(Word word) const;

    // The selected words, those of one line joined by blanks, lines by line feeds.
    QString selectedText() const;

private:
    QList<RecognizedLine> m_lines;
    std::optional<Word> m_anchor;
    std::optional<Word> m_focus;
};
