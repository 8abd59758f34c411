#pragma once
// Text recognition for the editor, off the main thread: the plain text of a
// picture (text recognition) and its lines with word boxes (Live Text).
// German and English are always asked for, German first, and the interface
// language as well where its data is installed. Made on the thread the
// results go to (the main thread); they are not delivered once the given
// context object is gone.
#include "Platform/TextRecognizer.h"

#include <QImage>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <functional>

class OCRService {
public:
    explicit OCRService(TextRecognizer& recognizer);
    // Waits for the recognitions still running.
    ~OCRService();
    OCRService(const OCRService&) = delete;
    OCRService& operator=(const OCRService&) = delete;

    // The recognised lines joined by line feeds, in reading order; "" when
    // there is no text or recognition fails.
    void recognizeText(const QImage& image, QObject* context, std::function<void(const QString&)> completion);
    // The recognised lines with the boxes of their words.
    void recognizeLines(const QImage& image, QObject* context,
                        std::function<void(const QList<RecognizedLine>&)> completion);

    // The Tesseract languages for an interface language ("de", "ja", …).
    static QStringList languages(const QString& interfaceLanguage);
    // Blocks until every started recognition has finished (its completion may
    // still be queued).
    void waitForDone();

private:
    QStringList currentLanguages() const;

    TextRecognizer& m_recognizer;
    // Lives on the creating thread and outlives every recognition (the pool
    // is waited for first): results are handed over through it.
    QObject m_deliverer;
    QThreadPool m_pool;
};
