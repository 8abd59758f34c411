#include "PageCapture/Capturer.h"

#include "Localization/Localizer.h"
#include "PageCapture/PdfRenderer.h"
#include "Screenshot/CaptureError.h"

#include <QCoroNetworkReply>
#include <QCoroTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPointer>
#include <QPdfDocument>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <chrono>

using namespace std::chrono_literals;

namespace {
QCoro::Task<void> pause(std::chrono::milliseconds ms)
{
    co_await QCoro::sleepFor(ms);
}

// Pages that honour the user's motion preference stop animating.
const char* reducedMotionScript = R"JS((function(){
  var own = window.matchMedia ? window.matchMedia.bind(window) : null;
  window.matchMedia = function(query){
    if (/prefers-reduced-motion/.test(String(query))) {
      return { matches: true, media: query, onchange: null,
               addListener: function(){}, removeListener: function(){},
               addEventListener: function(){}, removeEventListener: function(){},
               dispatchEvent: function(){ return false; } };
    }
    return own ? own(query) : { matches: false, media: query };
  };
})();)JS";

const char* calmPageScript = R"JS((function(){
  var s = document.createElement('style');
  s.textContent = 'html{scroll-behavior:auto !important}'
    + '::-webkit-scrollbar{display:none !important}'
    + '*,*::before,*::after{transition-duration:0s !important;transition-delay:0s !important;'
    + 'animation-duration:0s !important;animation-delay:0s !important}';
  document.documentElement.appendChild(s);
  return true;
})())JS";

// Fixed overlays would repeat in every band; sticky ones would cover content.
const char* unpinOverlaysScript = R"JS((function(){
  var all = document.querySelectorAll('*');
  for (var i = 0; i < all.length; i++) {
    var p = getComputedStyle(all[i]).position;
    if (p === 'fixed') all[i].style.setProperty('visibility', 'hidden', 'important');
    else if (p === 'sticky') all[i].style.setProperty('position', 'static', 'important');
  }
  return true;
})())JS";

const char* heightScript = R"JS((function(){
  var b = document.body, d = document.documentElement;
  return Math.max(b ? b.scrollHeight : 0, b ? b.offsetHeight : 0, d.scrollHeight, d.offsetHeight);
})())JS";

QString scrollScript(double y)
{
    return QStringLiteral("(function(){ window.scrollTo(0, %1); return window.scrollY; })()")
        .arg(static_cast<long long>(y));
}

std::optional<double> number(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    default:
        return std::nullopt;
    }
}

}

// Resumed from the event loop, not inside the engine's callback: the coroutine
// goes on to run further scripts, which must not happen while the engine is
// still dispatching this one. A page whose renderer is gone resumes at once
// with an error, as does a script that never answers.
struct Capturer::ScriptAwaiter {
    Capturer* capturer;
    QString script;
    bool await_ready() const noexcept { return capturer->m_pageGone; }
    void await_suspend(std::coroutine_handle<> h) { capturer->runScript(script, h); }
    QVariant await_resume() { return capturer->takeScriptResult(); }
};

struct Capturer::LoadAwaiter {
    Capturer* capturer;
    QUrl url;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h)
    {
        capturer->m_loading = h;
        capturer->m_view->load(url);
    }
    void await_resume() { }
};

Capturer::Capturer(Log logLine, QObject* parent)
    : QObject(parent)
    , m_log(std::move(logLine))
{
    // An off-the-record profile of its own: no cache or cookies on disk, and
    // its downloads are only this capturer's.
    m_profile = new QWebEngineProfile(this);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, &Capturer::onDownload);

    m_view = std::make_unique<QWebEngineView>();
    auto* page = new QWebEnginePage(m_profile, m_view.get());
    QWebEngineScript motion;
    motion.setName(QStringLiteral("reducedMotion"));
    motion.setInjectionPoint(QWebEngineScript::DocumentCreation);
    motion.setWorldId(QWebEngineScript::MainWorld);
    motion.setRunsOnSubFrames(false);
    motion.setSourceCode(QString::fromUtf8(reducedMotionScript));
    page->scripts().insert(motion);
    // A PDF response must arrive as a download (then rendered by the PDF
    // renderer), not in the built-in viewer.
    page->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            finishLoad(std::nullopt);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            // The engine's own text is a code like "net::ERR_NAME_NOT_RESOLVED".
            finishLoad(info.errorString().isEmpty()
                           ? Localizer::t(QStringLiteral("Seite konnte nicht geladen werden."))
                           : Localizer::t(QStringLiteral("Seite konnte nicht geladen werden.")) + QStringLiteral(" (")
                               + info.errorString() + QLatin1Char(')'));
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            // A response that becomes a download (a PDF) stops the navigation
            // first and is announced as a download just after: give it a moment.
            QTimer::singleShot(1s, this, [this] {
                finishLoad(Localizer::t(QStringLiteral("Seite konnte nicht geladen werden.")));
            });
            break;
        default:
            break;
        }
    });

    // A renderer that crashes or is killed never answers a pending script.
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                m_pageGone = true;
                log(QStringLiteral("Seitenprozess beendet (Status %1, Code %2)").arg(int(status)).arg(exitCode));
                const QString error = Localizer::t(QStringLiteral("Seite konnte nicht aufgenommen werden."));
                finishLoad(error);
                finishScript(m_scriptSerial, {}, error);
            });
    m_scriptTimeout.setSingleShot(true);
    m_scriptTimeout.setInterval(20s);
    connect(&m_scriptTimeout, &QTimer::timeout, this, [this] {
        log(QStringLiteral("Skript antwortet nicht"));
        finishScript(m_scriptSerial, {}, Localizer::t(QStringLiteral("Seite konnte nicht aufgenommen werden.")));
    });

    // Rendered, but never on screen.
    m_view->setAttribute(Qt::WA_DontShowOnScreen);
    m_view->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_view->setWindowFlag(Qt::FramelessWindowHint);
    m_view->resize(int(pageWidth), int(bandHeight));
    m_view->show();
}

void Capturer::log(const QString& message) const
{
    if (m_log)
        m_log(QStringLiteral("BROWSER ") + message);
}

Capturer::~Capturer()
{
    // The page must go before its profile.
    m_view.reset();
}

QList<double> Capturer::bandOffsets(double height)
{
    const double last = std::max(height - bandHeight, 0.0);
    QList<double> offsets;
    for (double y = 0; y < last; y += bandHeight)
        offsets.append(y);
    offsets.append(last);
    return offsets;
}

bool Capturer::isPainted(const QImage& image)
{
    if (image.isNull())
        return false;
    if (!image.hasAlphaChannel())
        return true;
    const QImage one = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                           .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (one.isNull())
        return true;
    return qAlpha(one.pixel(0, 0)) / 255.0 > 0.01;
}

void Capturer::finishLoad(std::optional<QString> error)
{
    // Exactly one resume: the first of navigation result, download and timeout.
    if (!m_loading)
        return;
    const std::coroutine_handle<> h = std::exchange(m_loading, {});
    m_loadError = std::move(error);
    QMetaObject::invokeMethod(this, [h] { h.resume(); }, Qt::QueuedConnection);
}

void Capturer::onDownload(QWebEngineDownloadRequest* request)
{
    const bool pdf = request->mimeType() == QLatin1String("application/pdf");
    const QUrl url = request->url();
    request->cancel();
    if (pdf) {
        m_pdfURL = url;
        finishLoad(std::nullopt);
    } else {
        finishLoad(Localizer::t(QStringLiteral("Seite konnte nicht geladen werden.")));
    }
}

QCoro::Task<void> Capturer::load(QUrl url)
{
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, this,
            [this] { finishLoad(Localizer::t(QStringLiteral("Timeout beim Laden der Seite."))); });
    timeout.start(45s);
    m_loadError.reset();
    LoadAwaiter awaiter{this, url};
    co_await awaiter;
    timeout.stop();
    if (m_loadError)
        throw CaptureError(*m_loadError);
}

void Capturer::runScript(const QString& script, std::coroutine_handle<> h)
{
    m_scripting = h;
    const quint64 serial = ++m_scriptSerial;
    QPointer<Capturer> self(this);
    m_view->page()->runJavaScript(script, [self, serial](const QVariant& v) {
        if (self)
            self->finishScript(serial, v, std::nullopt);
    });
    m_scriptTimeout.start();
}

void Capturer::finishScript(quint64 serial, const QVariant& result, std::optional<QString> error)
{
    // Exactly one resume per script; a late answer to an abandoned one is dropped.
    if (serial != m_scriptSerial || !m_scripting)
        return;
    m_scriptTimeout.stop();
    m_scriptResult = result;
    m_scriptError = std::move(error);
    const std::coroutine_handle<> h = std::exchange(m_scripting, {});
    QMetaObject::invokeMethod(this, [h] { h.resume(); }, Qt::QueuedConnection);
}

QVariant Capturer::takeScriptResult()
{
    if (m_scriptError || m_pageGone)
        throw CaptureError(m_scriptError.value_or(Localizer::t(QStringLiteral("Seite konnte nicht aufgenommen werden."))));
    return std::exchange(m_scriptResult, {});
}

QCoro::Task<QVariant> Capturer::evaluate(QString script)
{
    // A named awaiter: the engine's callback completes it while suspended.
    ScriptAwaiter awaiter{this, std::move(script)};
    QVariant result = co_await awaiter;
    co_return result;
}

QCoro::Task<double> Capturer::height()
{
    const QVariant result = co_await evaluate(QString::fromUtf8(heightScript));
    const std::optional<double> h = number(result);
    co_return h ? std::max(*h, bandHeight) : bandHeight;
}

QCoro::Task<double> Capturer::scroll(double y)
{
    const QVariant result = co_await evaluate(scrollScript(y));
    const std::optional<double> reported = number(result);
    co_return reported ? *reported : y;
}

// The page's height after scrolling through it once (lazily loaded content
// grows it); only the part above the height cap is scrolled through, but the
// height reported is the whole page's, so a cut can be told.
QCoro::Task<double> Capturer::primeLazyContent()
{
    double h = co_await height();
    double y = 0;
    co_await scroll(0);
    co_await pause(120ms);
    h = co_await height();
    for (;;) {
        y += bandHeight;
        if (!(y < h && y < heightCap))
            break;
        co_await scroll(y);
        co_await pause(120ms);
        h = co_await height();
    }
    co_await scroll(0);
    co_await pause(400ms);
    const double last = co_await height();
    co_return last;
}

QImage Capturer::snapshot()
{
    return m_view->grab().toImage();
}

QCoro::Task<QImage> Capturer::snapshotTile(int index)
{
    int retries = 0;
    QImage image;
    for (;;) {
        image = snapshot();
        if (image.isNull())
            throw CaptureError(Localizer::t(QStringLiteral("Seite konnte nicht aufgenommen werden.")));
        if (isPainted(image) || retries == 4)
            break;
        co_await pause(200ms);
        ++retries;
    }
    if (retries > 0)
        log(QStringLiteral("Kachel %1: erst nach %2 Wiederholung(en) da").arg(index).arg(retries));
    co_return image;
}

QCoro::Task<QByteArray> Capturer::fetch(QUrl url)
{
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            throw CaptureError(file.errorString());
        co_return file.readAll();
    }
    QNetworkAccessManager network;
    std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(url)));
    co_await reply.get();
    if (reply->error() != QNetworkReply::NoError)
        throw CaptureError(reply->errorString());
    co_return reply->readAll();
}

QCoro::Task<std::optional<CapturedScreenshot>> Capturer::capture(QUrl url)
{
    // The view leaves the screen (and stops rendering) on every way out.
    struct Hide {
        QWebEngineView* view;
        ~Hide() { view->hide(); }
    } hide{m_view.get()};

    log(QStringLiteral("Lade Seite: ") + url.toString(QUrl::FullyEncoded));
    co_await load(url);
    log(QStringLiteral("Seite geladen"));

    if (m_pdfURL) {
        log(QStringLiteral("Tab ist PDF, lade Datei nach: ") + m_pdfURL->toString(QUrl::FullyEncoded));
        const QByteArray data = co_await fetch(*m_pdfURL);
        auto doc = PdfRenderer::openData(data);
        co_return renderPDF(*doc, {m_stopRequested, m_progress, [this](const QString& line) { log(line); }});
    }

    co_await pause(1000ms);
    co_await evaluate(QString::fromUtf8(calmPageScript));

    const double whole = co_await primeLazyContent();
    const double H = std::min(whole, heightCap);
    log(QStringLiteral("Gesamthöhe ermittelt: %1 pt").arg(static_cast<long long>(H)));
    // The rest of a taller page is missing: never announced as the whole page.
    bool incomplete = whole > heightCap;
    if (incomplete)
        log(QStringLiteral("Unvollständig: Höhengrenze erreicht — %1 von %2 pt")
                .arg(static_cast<long long>(H))
                .arg(static_cast<long long>(whole)));
    const QList<double> offsets = bandOffsets(H);

    const double s = m_view->devicePixelRatioF();
    QImage out(int(pageWidth * s), int(H * s), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        throw CaptureError(Localizer::t(QStringLiteral("Zu große Seite für den Bildspeicher.")));
    out.fill(Qt::transparent);

    co_await scroll(0);
    co_await pause(300ms);
    snapshot(); // warm-up; its result does not matter
    co_await pause(150ms);

    log(QStringLiteral("Nehme %1 Kacheln auf (scale=%2)").arg(offsets.size()).arg(s));
    QPainter painter(&out);
    for (int i = 0; i < offsets.size(); ++i) {
        if (m_stopRequested && m_stopRequested()) {
            log(QStringLiteral("Abgebrochen vor Kachel %1").arg(i));
            co_return std::nullopt;
        }
        const double a = co_await scroll(offsets[i]);
        if (i == 0)
            co_await evaluate(QString::fromUtf8(unpinOverlaysScript));
        co_await pause(250ms);
        const QImage tile = co_await snapshotTile(i);
        if (!isPainted(tile)) {
            log(QStringLiteral("Unvollständig: Kachel %1 blieb leer").arg(i));
            incomplete = true;
        }
        // Placed where the page says it scrolled to, not where it was asked to.
        painter.drawImage(QRectF(0, s * a, s * pageWidth, s * bandHeight), tile);
        if (m_progress)
            m_progress(i + 1, int(std::min(s * (a + bandHeight), double(out.height()))));
    }
    painter.end();
    co_return CapturedScreenshot::make(std::move(out), CaptureKind::scrolling, incomplete);
}
