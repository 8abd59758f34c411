#pragma once
// Text recognition with Tesseract's LSTM engine. The picture's layout is
// analysed once; its lines are then read by several engines side by side, so
// a screenful of text takes a fraction of what one engine needs. An engine is
// costly to start (a quarter of a second and some 25 MB), so engines are kept
// for the next picture and let go after a minute without use.
#include "Platform/TextRecognizer.h"

#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <memory>
#include <vector>

class TesseractTextRecognizer final : public QObject, public TextRecognizer {
    Q_OBJECT
public:
    // dataFolder: where the *.traineddata files are; by default
    // $TESSDATA_PREFIX, else the folder of the system's Tesseract.
    explicit TesseractTextRecognizer(const QString& dataFolder = {}, QObject* parent = nullptr);
    ~TesseractTextRecognizer() override;

    QString dataFolder() const { return m_dataFolder; }
    QStringList availableLanguages() const override;
    QList<RecognizedLine> recognize(const QImage& image, const QStringList& languages) override;

    // Engines reading one picture at most.
    static int parallelism();
    // Lets every kept engine go (also done a minute after the last use).
    void releaseIdleEngines();

private:
    struct Engine;
    // A started engine for these languages ("deu+eng"); null when Tesseract
    // cannot start with them.
    std::unique_ptr<Engine> borrow(const QString& languages);
    void giveBack(std::unique_ptr<Engine> engine);

    QString m_dataFolder;
    mutable QMutex m_mutex;
    std::vector<std::unique_ptr<Engine>> m_idle;
    QThreadPool m_helpers;
    QTimer m_releaseTimer;
};
