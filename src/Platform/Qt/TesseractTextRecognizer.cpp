#include "Platform/Qt/TesseractTextRecognizer.h"

#include <QDir>
#include <QFile>
#include <QFuture>
#include <QPainter>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/publictypes.h>
#include <tesseract/resultiterator.h>

#ifndef ZENTU_TESSDATA_DIR
#define ZENTU_TESSDATA_DIR "/usr/share/tesseract-ocr/5/tessdata"
#endif

struct TesseractTextRecognizer::Engine {
    QString languages;
    tesseract::TessBaseAPI api;
};

namespace {

constexpr int idleReleaseMs = 60000;
// A helper engine pays for itself from this many lines on.
constexpr int linesPerEngine = 6;

// Tesseract's OpenMP loops busy-wait for their helper threads; on a loaded
// machine that costs many times the work itself. Our own threads do the
// parallel work, so every thread running Tesseract keeps OpenMP to itself.
void keepOpenMPSingleThreaded()
{
    omp_set_max_active_levels(0);
}

// Grey, with transparent parts (rounded window corners) on white instead of black.
QImage greyOnWhite(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_Grayscale8);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

void setImage(tesseract::TessBaseAPI& api, const QImage& grey)
{
    api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    // Screen pictures; without a resolution Tesseract guesses and says so.
    api.SetSourceResolution(96);
}

QRect box(const tesseract::PageIterator& it, tesseract::PageIteratorLevel level)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!it.BoundingBox(level, &left, &top, &right, &bottom))
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QString text(const tesseract::LTRResultIterator& it, tesseract::PageIteratorLevel level)
{
    const std::unique_ptr<char[]> raw(it.GetUTF8Text(level));
    return raw ? QString::fromUtf8(raw.get()) : QString();
}

// The text lines of the picture's layout, in reading order.
QList<QRect> layoutLines(tesseract::TessBaseAPI& api)
{
    api.SetPageSegMode(tesseract::PSM_AUTO);
    const std::unique_ptr<tesseract::PageIterator> it(api.AnalyseLayout());
    QList<QRect> lines;
    if (!it)
        return lines;
    do {
        if (!PTIsTextType(it->BlockType()))
            continue;
        const QRect line = box(*it, tesseract::RIL_TEXTLINE);
        if (line.width() > 1 && line.height() > 1)
            lines.append(line);
    } while (it->Next(tesseract::RIL_TEXTLINE));
    return lines;
}

// Reads one line of the layout (usually one result line; more when the
// engine finds the box holds several).
QList<RecognizedLine> readLine(tesseract::TessBaseAPI& api, const QRect& line, const QRect& bounds)
{
    // A little white around the letters helps the engine.
    const int pad = std::max(2, line.height() / 8);
    const QRect r = line.adjusted(-pad, -pad, pad, pad) & bounds;
    api.SetRectangle(r.x(), r.y(), r.width(), r.height());
    QList<RecognizedLine> lines;
    if (api.Recognize(nullptr) != 0)
        return lines;
    const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it || it->Empty(tesseract::RIL_WORD))
        return lines;
    do {
        RecognizedLine found;
        found.text = text(*it, tesseract::RIL_TEXTLINE);
        while (found.text.endsWith(QLatin1Char('\n')))
            found.text.chop(1);
        found.box = box(*it, tesseract::RIL_TEXTLINE);
        do {
            const QString word = text(*it, tesseract::RIL_WORD);
            if (!word.trimmed().isEmpty())
                found.words.append({word, box(*it, tesseract::RIL_WORD)});
            if (it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD))
                break;
        } while (it->Next(tesseract::RIL_WORD));
        if (!found.text.trimmed().isEmpty())
            lines.append(found);
    } while (it->Next(tesseract::RIL_TEXTLINE));
    return lines;
}

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_dataFolder(dataFolder)
{
    if (m_dataFolder.isEmpty())
        m_dataFolder = qEnvironmentVariable("TESSDATA_PREFIX");
    if (m_dataFolder.isEmpty())
        m_dataFolder = QStringLiteral(ZENTU_TESSDATA_DIR);
    m_helpers.setMaxThreadCount(std::max(1, parallelism() - 1));
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(idleReleaseMs);
    connect(&m_releaseTimer, &QTimer::timeout, this, &TesseractTextRecognizer::releaseIdleEngines);
}

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    m_helpers.waitForDone();
}

int TesseractTextRecognizer::parallelism()
{
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}

QStringList TesseractTextRecognizer::availableLanguages() const
{
    QStringList languages;
    const QStringList files = QDir(m_dataFolder).entryList({QStringLiteral("*.traineddata")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString code = file.chopped(int(sizeof(".traineddata") - 1));
        // Script and orientation data reads no text.
        if (code != QLatin1String("osd"))
            languages.append(code);
    }
    return languages;
}

int TesseractTextRecognizer::idleEngineCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_idle.size());
}

void TesseractTextRecognizer::releaseIdleEngines()
{
    std::vector<std::unique_ptr<Engine>> gone;
    {
        QMutexLocker lock(&m_mutex);
        gone.swap(m_idle);
    }
}

std::unique_ptr<TesseractTextRecognizer::Engine> TesseractTextRecognizer::borrow(const QString& languages)
{
    {
        QMutexLocker lock(&m_mutex);
        const auto it = std::find_if(m_idle.begin(), m_idle.end(),
                                     [&](const std::unique_ptr<Engine>& e) { return e->languages == languages; });
        if (it != m_idle.end()) {
            std::unique_ptr<Engine> engine = std::move(*it);
            m_idle.erase(it);
            return engine;
        }
    }
    auto engine = std::make_unique<Engine>();
    engine->languages = languages;
    if (engine->api.Init(QFile::encodeName(m_dataFolder).constData(), languages.toUtf8().constData(),
                         tesseract::OEM_LSTM_ONLY)
        != 0)
        return nullptr;
    // Tesseract's remarks about each picture go nowhere.
    engine->api.SetVariable("debug_file", "/dev/null");
    return engine;
}

void TesseractTextRecognizer::giveBack(std::unique_ptr<Engine> engine)
{
    if (!engine)
        return;
    engine->api.Clear();
    {
        QMutexLocker lock(&m_mutex);
        m_idle.push_back(std::move(engine));
    }
    // The timer belongs to the thread that made the recogniser.
    QMetaObject::invokeMethod(&m_releaseTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

QList<RecognizedLine> TesseractTextRecognizer::recognize(const QImage& image, const QStringList& languages)
{
    const QStringList installed = availableLanguages();
    QStringList use;
    for (const QString& language : languages)
        if (installed.contains(language) && !use.contains(language))
            use.append(language);
    if (use.isEmpty() || image.width() < 2 || image.height() < 2)
        return {};
    const QString key = use.join(QLatin1Char('+'));
    const QImage grey = greyOnWhite(image);

    keepOpenMPSingleThreaded();
    std::unique_ptr<Engine> first = borrow(key);
    if (!first)
        return {};
    setImage(first->api, grey);
    const QList<QRect> layout = layoutLines(first->api);
    if (layout.isEmpty()) {
        giveBack(std::move(first));
        return {};
    }

    // Line i goes to engine i mod n; each slot is written by one engine only.
    const int engines = std::clamp(int(layout.size()) / linesPerEngine, 1, parallelism());
    std::vector<QList<RecognizedLine>> found(size_t(layout.size()));
    const auto readShare = [&](tesseract::TessBaseAPI& api, int share) {
        api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        for (qsizetype i = share; i < layout.size(); i += engines)
            found[size_t(i)] = readLine(api, layout[i], grey.rect());
    };
    std::vector<QFuture<bool>> helpers;
    for (int share = 1; share < engines; ++share)
        helpers.push_back(QtConcurrent::run(&m_helpers, [&, share] {
            keepOpenMPSingleThreaded();
            std::unique_ptr<Engine> engine = borrow(key);
            if (!engine)
                return false;
            setImage(engine->api, grey);
            readShare(engine->api, share);
            giveBack(std::move(engine));
            return true;
        }));
    readShare(first->api, 0);
    for (int share = 1; share < engines; ++share)
        if (!helpers[size_t(share - 1)].result())
            readShare(first->api, share); // that engine did not start: this one reads its lines
    giveBack(std::move(first));

    QList<RecognizedLine> lines;
    for (const QList<RecognizedLine>& part : found)
        lines.append(part);
    return lines;
}
