// Text recognition through the real Tesseract engine: German and English
// lines with umlauts come back as written, in reading order, split into
// words; many lines read side by side keep their order; light text on dark
// ground is read too; a picture without text gives "" on the main thread.
#include "Editor/OCRService.h"
#include "Platform/Qt/TesseractTextRecognizer.h"
#include "support/IsolatedEnvironment.h"

#include <QPainter>
#include <QThread>

namespace {

const QStringList deuEng{QStringLiteral("deu"), QStringLiteral("eng")};

// Lines of text in DejaVu Sans at `px` pixels, one per `2 px` pixels.
QImage textPicture(const QStringList& lines, int px, QColor ink = Qt::black, QColor ground = Qt::white)
{
    const int step = px * 2;
    QImage image(1200, step * int(lines.size()) + px * 2, QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(px);
    p.setFont(font);
    p.setPen(ink);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(px, px + step * i + px), lines[i]);
    return image;
}

QStringList texts(const QList<RecognizedLine>& lines)
{
    QStringList out;
    for (const RecognizedLine& line : lines)
        out.append(line.text);
    return out;
}

} // namespace

class tst_TextRecognition : public QObject {
    Q_OBJECT
    TesseractTextRecognizer recognizer;

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString& language : deuEng)
            QVERIFY2(recognizer.availableLanguages().contains(language),
                     qPrintable(QStringLiteral("no %1 data in %2").arg(language, recognizer.dataFolder())));
    }

    void germanAndEnglishLinesReadSideBySideKeepTheirOrder()
    {
        QStringList written{QStringLiteral("Straße, Fußgänger und Bäume"), QStringLiteral("The quick brown fox jumps")};
        for (int i = 1; i <= 40; ++i)
            written.append(QStringLiteral("Zeile %1 im Fenster mit Änderungen").arg(i));
        const QList<RecognizedLine> lines = recognizer.recognize(textPicture(written, 20), deuEng);
        QCOMPARE(texts(lines), written);
        QCOMPARE(lines[0].words.value(1).text, QStringLiteral("Fußgänger"));
    }

    void lightTextOnDarkGroundAndTransparentPictures()
    {
        const QStringList written{QStringLiteral("Dunkler Modus für Entwickler")};
        QCOMPARE(texts(recognizer.recognize(textPicture(written, 28, QColor(230, 230, 230), QColor(30, 30, 34)), deuEng)),
                 written);
        // A window picture with clear parts: those count as white, not black.
        QImage clear(700, 120, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        QPainter p(&clear);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(32);
        p.setFont(font);
        p.drawText(QPoint(30, 70), QStringLiteral("Durchsichtige Ecken"));
        p.end();
        QCOMPARE(texts(recognizer.recognize(clear, deuEng)), QStringList{QStringLiteral("Durchsichtige Ecken")});
    }

    void withoutTextOrLanguagesNothingIsFound()
    {
        QImage blank(640, 480, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(recognizer.recognize(blank, deuEng).isEmpty());
        QVERIFY(recognizer.recognize(textPicture({QStringLiteral("Text")}, 30), {QStringLiteral("xyz")}).isEmpty());

        // Through the service: "" on the main thread, the recognition itself elsewhere.
        OCRService service(recognizer);
        QObject context;
        std::optional<QString> result;
        QThread* deliveredOn = nullptr;
        service.recognizeText(blank, &context, [&](const QString& text) {
            result = text;
            deliveredOn = QThread::currentThread();
        });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
        QCOMPARE(*result, QString());
        QCOMPARE(deliveredOn, QThread::currentThread());
    }
};

ZENTU_TEST_MAIN(tst_TextRecognition)
#include "tst_textrecognition.moc"
