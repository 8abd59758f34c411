#include "Platform/Qt/TesseractTextRecognizer.h"

#include "BuildSettings.h"

#include <QDir>
#include <QFile>
#include <QFuture>
#include <QLibrary>
#include <QPainter>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <optional>
#include <tesseract/capi.h>

namespace {

// Tesseract with its dependencies (curl, TLS, image codecs, OpenMP) is a fifth
// of the tray app's memory at rest, so it is opened on the first recognition
// instead of at start, and called through its C interface.
#define ZENTU_TESSERACT_FUNCTIONS(F)                                                                                   \
    F(TessBaseAPICreate)                                                                                               \
    F(TessBaseAPIDelete)                                                                                               \
    F(TessBaseAPIInit2)                                                                                                \
    F(TessBaseAPISetVariable)                                                                                          \
    F(TessBaseAPISetImage)                                                                                             \
    F(TessBaseAPISetSourceResolution)                                                                                  \
    F(TessBaseAPISetPageSegMode)                                                                                       \
    F(TessBaseAPISetRectangle)                                                                                         \
    F(TessBaseAPIAnalyseLayout)                                                                                        \
    F(TessBaseAPIRecognize)                                                                                            \
    F(TessBaseAPIGetIterator)                                                                                          \
    F(TessBaseAPIClear)                                                                                                \
    F(TessPageIteratorDelete)                                                                                          \
    F(TessPageIteratorNext)                                                                                            \
    F(TessPageIteratorIsAtFinalElement)                                                                                \
    F(TessPageIteratorBoundingBox)                                                                                     \
    F(TessPageIteratorBlockType)                                                                                       \
    F(TessResultIteratorDelete)                                                                                        \
    F(TessResultIteratorNext)                                                                                          \
    F(TessResultIteratorGetPageIteratorConst)                                                                          \
    F(TessResultIteratorGetUTF8Text)                                                                                   \
    F(TessDeleteText)

struct Tesseract {
#define ZENTU_TESSERACT_POINTER(name) decltype(&::name) name = nullptr;
    ZENTU_TESSERACT_FUNCTIONS(ZENTU_TESSERACT_POINTER)
#undef ZENTU_TESSERACT_POINTER
    // OpenMP's, from the runtime Tesseract brings along.
    void (*setMaxActiveLevels)(int) = nullptr;

    // The library, opened once; null when it is missing or incomplete.
    static const Tesseract* get()
    {
        static const std::optional<Tesseract> loaded = open();
        return loaded ? &*loaded : nullptr;
    }

private:
    static std::optional<Tesseract> open()
    {
        // Never unloaded: engines may live until the app ends.
        QLibrary library(QStringLiteral("tesseract"), BuildSettings::tesseractMajor);
        if (!library.load())
            return std::nullopt;
        Tesseract t;
        bool complete = true;
#define ZENTU_TESSERACT_RESOLVE(name)                                                                                  \
    t.name = reinterpret_cast<decltype(t.name)>(library.resolve(#name));                                              \
    complete = complete && t.name;
        ZENTU_TESSERACT_FUNCTIONS(ZENTU_TESSERACT_RESOLVE)
#undef ZENTU_TESSERACT_RESOLVE
        QLibrary openMP(QStringLiteral("gomp"), 1);
        t.setMaxActiveLevels = reinterpret_cast<void (*)(int)>(openMP.resolve("omp_set_max_active_levels"));
        if (!complete)
            return std::nullopt;
        return t;
    }
};

template<typename T, void (*Tesseract::*release)(T*)>
struct Releaser {
    void operator()(T* p) const { (Tesseract::get()->*release)(p); }
};
using PageIterator = std::unique_ptr<TessPageIterator, Releaser<TessPageIterator, &Tesseract::TessPageIteratorDelete>>;
using ResultIterator
    = std::unique_ptr<TessResultIterator, Releaser<TessResultIterator, &Tesseract::TessResultIteratorDelete>>;
using Api = std::unique_ptr<TessBaseAPI, Releaser<TessBaseAPI, &Tesseract::TessBaseAPIDelete>>;

} // namespace

struct TesseractTextRecognizer::Engine {
    QString languages;
    Api api;
};

namespace {

constexpr int idleReleaseMs = 60000;
// A helper engine pays for itself from this many lines on.
constexpr int linesPerEngine = 6;

// Tesseract's OpenMP loops busy-wait for their helper threads; on a loaded
// machine that costs many times the work itself. Our own threads do the
// parallel work, so every thread running Tesseract keeps OpenMP to itself.
void keepOpenMPSingleThreaded(const Tesseract& t)
{
    if (t.setMaxActiveLevels)
        t.setMaxActiveLevels(0);
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

void setImage(const Tesseract& t, TessBaseAPI* api, const QImage& grey)
{
    t.TessBaseAPISetImage(api, grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    // Screen pictures; without a resolution Tesseract guesses and says so.
    t.TessBaseAPISetSourceResolution(api, 96);
}

// Empty when the iterator stands on nothing at that level.
QRect box(const Tesseract& t, const TessPageIterator* it, TessPageIteratorLevel level)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!t.TessPageIteratorBoundingBox(it, level, &left, &top, &right, &bottom))
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QString text(const Tesseract& t, const TessResultIterator* it, TessPageIteratorLevel level)
{
    char* raw = t.TessResultIteratorGetUTF8Text(it, level);
    if (!raw)
        return {};
    const QString result = QString::fromUtf8(raw);
    t.TessDeleteText(raw);
    return result;
}

// The text lines of the picture's layout, in reading order.
QList<QRect> layoutLines(const Tesseract& t, TessBaseAPI* api)
{
    t.TessBaseAPISetPageSegMode(api, tesseract::PSM_AUTO);
    const PageIterator it(t.TessBaseAPIAnalyseLayout(api));
    QList<QRect> lines;
    if (!it)
        return lines;
    do {
        if (!tesseract::PTIsTextType(t.TessPageIteratorBlockType(it.get())))
            continue;
        const QRect line = box(t, it.get(), tesseract::RIL_TEXTLINE);
        if (line.width() > 1 && line.height() > 1)
            lines.append(line);
    } while (t.TessPageIteratorNext(it.get(), tesseract::RIL_TEXTLINE));
    return lines;
}

// Reads one line of the layout (usually one result line; more when the
// engine finds the box holds several).
QList<RecognizedLine> readLine(const Tesseract& t, TessBaseAPI* api, const QRect& line, const QRect& bounds)
{
    // A little white around the letters helps the engine.
    const int pad = std::max(2, line.height() / 8);
    const QRect r = line.adjusted(-pad, -pad, pad, pad) & bounds;
    t.TessBaseAPISetRectangle(api, r.x(), r.y(), r.width(), r.height());
    QList<RecognizedLine> lines;
    if (t.TessBaseAPIRecognize(api, nullptr) != 0)
        return lines;
    const ResultIterator it(t.TessBaseAPIGetIterator(api));
    if (!it)
        return lines;
    const TessPageIterator* position = t.TessResultIteratorGetPageIteratorConst(it.get());
    if (box(t, position, tesseract::RIL_WORD).isNull())
        return lines; // no word at all
    do {
        RecognizedLine found;
        found.text = text(t, it.get(), tesseract::RIL_TEXTLINE);
        while (found.text.endsWith(QLatin1Char('\n')))
            found.text.chop(1);
        found.box = box(t, position, tesseract::RIL_TEXTLINE);
        do {
            const QString word = text(t, it.get(), tesseract::RIL_WORD);
            if (!word.trimmed().isEmpty())
                found.words.append({word, box(t, position, tesseract::RIL_WORD)});
            if (t.TessPageIteratorIsAtFinalElement(position, tesseract::RIL_TEXTLINE, tesseract::RIL_WORD))
                break;
        } while (t.TessResultIteratorNext(it.get(), tesseract::RIL_WORD));
        if (!found.text.trimmed().isEmpty())
            lines.append(found);
    } while (t.TessResultIteratorNext(it.get(), tesseract::RIL_TEXTLINE));
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
        m_dataFolder = QString::fromUtf8(BuildSettings::tessdataDir);
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
    const Tesseract* t = Tesseract::get();
    if (!t)
        return nullptr;
    auto engine = std::make_unique<Engine>();
    engine->languages = languages;
    engine->api.reset(t->TessBaseAPICreate());
    if (!engine->api
        || t->TessBaseAPIInit2(engine->api.get(), QFile::encodeName(m_dataFolder).constData(),
                               languages.toUtf8().constData(), tesseract::OEM_LSTM_ONLY)
               != 0)
        return nullptr;
    // Tesseract's remarks about each picture go nowhere.
    t->TessBaseAPISetVariable(engine->api.get(), "debug_file", "/dev/null");
    return engine;
}

void TesseractTextRecognizer::giveBack(std::unique_ptr<Engine> engine)
{
    if (!engine)
        return;
    Tesseract::get()->TessBaseAPIClear(engine->api.get());
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

    std::unique_ptr<Engine> first = borrow(key);
    if (!first)
        return {};
    const Tesseract& t = *Tesseract::get();
    keepOpenMPSingleThreaded(t);
    setImage(t, first->api.get(), grey);
    const QList<QRect> layout = layoutLines(t, first->api.get());
    if (layout.isEmpty()) {
        giveBack(std::move(first));
        return {};
    }

    // Line i goes to engine i mod n; each slot is written by one engine only.
    const int engines = std::clamp(int(layout.size()) / linesPerEngine, 1, parallelism());
    std::vector<QList<RecognizedLine>> found(size_t(layout.size()));
    const auto readShare = [&](TessBaseAPI* api, int share) {
        t.TessBaseAPISetPageSegMode(api, tesseract::PSM_SINGLE_LINE);
        for (qsizetype i = share; i < layout.size(); i += engines)
            found[size_t(i)] = readLine(t, api, layout[i], grey.rect());
    };
    std::vector<QFuture<bool>> helpers;
    for (int share = 1; share < engines; ++share)
        helpers.push_back(QtConcurrent::run(&m_helpers, [&, share] {
            keepOpenMPSingleThreaded(t);
            std::unique_ptr<Engine> engine = borrow(key);
            if (!engine)
                return false;
            setImage(t, engine->api.get(), grey);
            readShare(engine->api.get(), share);
            giveBack(std::move(engine));
            return true;
        }));
    readShare(first->api.get(), 0);
    for (int share = 1; share < engines; ++share)
        if (!helpers[size_t(share - 1)].result())
            readShare(first->api.get(), share); // that engine did not start: this one reads its lines
    giveBack(std::move(first));

    QList<RecognizedLine> lines;
    for (const QList<RecognizedLine>& part : found)
        lines.append(part);
    return lines;
}
