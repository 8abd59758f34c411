#include "Editor/OCRService.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"

#include <QFuture>
#include <QHash>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

OCRService::OCRService(TextRecognizer& recognizer)
    : m_recognizer(recognizer)
{
    // A text recognition and a Live Text analysis may run side by side.
    m_pool.setMaxThreadCount(2);
}

OCRService::~OCRService()
{
    m_pool.waitForDone();
}

void OCRService::waitForDone()
{
    m_pool.waitForDone();
}

QStringList OCRService::languages(const QString& interfaceLanguage)
{
    static const QHash<QString, QString> tesseractCodes{
        {QStringLiteral("es"), QStringLiteral("spa")}, {QStringLiteral("fr"), QStringLiteral("fra")},
        {QStringLiteral("it"), QStringLiteral("ita")}, {QStringLiteral("ja"), QStringLiteral("jpn")},
        {QStringLiteral("ru"), QStringLiteral("rus")}, {QStringLiteral("tr"), QStringLiteral("tur")},
        {QStringLiteral("zh"), QStringLiteral("chi_sim")},
    };
    QStringList codes{QStringLiteral("deu"), QStringLiteral("eng")};
    const QString extra = tesseractCodes.value(interfaceLanguage.left(2));
    if (!extra.isEmpty())
        codes.append(extra);
    return codes;
}

QStringList OCRService::currentLanguages() const
{
    QStringList wanted = languages(Localizer::language());
    const QStringList installed = m_recognizer.availableLanguages();
    wanted.removeIf([&](const QString& code) { return !installed.contains(code); });
    if (wanted.isEmpty())
        DebugLog::write(QStringLiteral("OCR: keine Sprachdaten für die Texterkennung installiert"));
    return wanted;
}

void OCRService::recognizeLines(const QImage& image, QObject* context,
                                std::function<void(const QList<RecognizedLine>&)> completion)
{
    const QStringList languages = currentLanguages();
    TextRecognizer* recognizer = &m_recognizer;
    QObject* deliverer = &m_deliverer;
    // The context is looked at only on its own thread, when the result arrives.
    // The result travels by the queued call, not by the future.
    (void)QtConcurrent::run(&m_pool, [recognizer, deliverer, image, languages, context = QPointer<QObject>(context),
                                completion = std::move(completion)]() mutable {
        const QList<RecognizedLine> lines =
            languages.isEmpty() ? QList<RecognizedLine>() : recognizer->recognize(image, languages);
        QMetaObject::invokeMethod(
            deliverer,
            [lines, context, completion = std::move(completion)] {
                if (context)
                    completion(lines);
            },
            Qt::QueuedConnection);
    });
}

void OCRService::recognizeText(const QImage& image, QObject* context, std::function<void(const QString&)> completion)
{
    recognizeLines(image, context, [completion = std::move(completion)](const QList<RecognizedLine>& lines) {
        QStringList texts;
        for (const RecognizedLine& line : lines)
            texts.append(line.text);
        completion(texts.join(QLatin1Char('\n')));
    });
}
