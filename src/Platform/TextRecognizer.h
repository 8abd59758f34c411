#pragma once
// Finds the text in a picture: its lines in reading order, each with the
// boxes of its words. Blocking, and safe to call from several threads at
// once: callers run it off the main thread.
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

struct RecognizedWord {
    QString text;
    QRect box; // pixels of the picture
};

struct RecognizedLine {
    QString text; // as recognised, without a line break
    QRect box;
    QList<RecognizedWord> words; // left to right
};

class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;

    // The languages whose data is installed, as Tesseract codes ("deu", "eng").
    virtual QStringList availableLanguages() const = 0;
    // The lines of text in reading order; empty when there is none or the
    // picture cannot be read. `languages` in order of preference; the ones
    // not installed are left out, and without any nothing is recognised.
    virtual QList<RecognizedLine> recognize(const QImage& image, const QStringList& languages) = 0;
};
