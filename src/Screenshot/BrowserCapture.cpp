#include "Screenshot/BrowserCapture.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/BrowserBridge.h"
#include "Platform/PdfViewerBridge.h"
#include "Platform/ApplicationIdentity.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/PageCaptureProcess.h"
#include "Screenshot/PdfSignature.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cmath>

namespace {
const QString previewName = QStringLiteral("Vorschau");

// A browser's or viewer's window that shows nothing we can render: the
// user's message, and the same in German for the log.
class NothingToRender final : public CaptureError {
public:
    // german: the message's German text, with %1 for the app's name where it names it.
    NothingToRender(const QString& german, const QString& name)
        : CaptureError(filled(Localizer::t(german), name))
        , m_german(filled(german, name))
    {
    }
    const QString& german() const { return m_german; }

private:
    static QString filled(const QString& text, const QString& name)
    {
        return text.contains(QLatin1String("%1")) ? text.arg(name) : text;
    }
    QString m_german;
};

NothingToRender noTab(const QString& name)
{
    return {ZENTU_TEXT("%1: kein Tab im gewählten Fenster."), name};
}

NothingToRender noPdf(const QString& name)
{
    return {ZENTU_TEXT("%1: kein PDF im gewählten Fenster."), name};
}

bool isPdfPath(const QString& path)
{
    return isPdfFile(path);
}

void log(const QString& message)
{
    DebugLog::write(QStringLiteral("BROWSER ") + message);
}

// A recognised browser or viewer that cannot tell what it shows (accessibility
// off, the window not listed, no open file found) is captured like any other
// window: scrolled and stitched.
Target scrolledInstead(const PickedWindow& picked, const QString& app, const QString& name, const CaptureError& why)
{
    // The German message names the app already; a bridge's own does not.
    const auto* nothing = dynamic_cast<const NothingToRender*>(&why);
    log((nothing ? nothing->german() : app + QStringLiteral(": ") + why.message())
        + QStringLiteral(" — Fenster wird gescrollt"));
    return Target::window(picked, name);
}

QString whole(qreal v)
{
    return QString::number(qint64(v));
}

// A section reaching past its window would be grabbed from the screen, where
// our cover and its card lie over it: only the part inside the window is
// scrolled and captured.
PickedWindow clippedToWindow(PickedWindow picked)
{
    const QRectF inside = picked.scrollRegion->intersected(picked.bounds);
    if (inside.isEmpty() || inside == *picked.scrollRegion)
        return picked;
    DebugLog::write(QStringLiteral("SCROLL Abschnitt auf das Fenster beschnitten: ") + whole(inside.width())
                    + QLatin1Char('x') + whole(inside.height()) + QStringLiteral(" @ ") + whole(inside.x())
                    + QLatin1Char(',') + whole(inside.y()));
    picked.scrollRegion = inside;
    return picked;
}

// The bridges report in their own terms; the capture roads speak CaptureError,
// with the bridge's message unchanged.
template <typename Ask>
auto asked(Ask ask) -> decltype(ask())
{
    try {
        return ask();
    } catch (const BridgeError& error) {
        throw CaptureError(error.message());
    }
}

double area(const QRectF& r)
{
    return std::max(0.0, r.width()) * std::max(0.0, r.height());
}
}

BrowserCapture::BrowserCapture(ApplicationIdentity& apps, BrowserBridge& browsers, PdfViewerBridge& viewers,
                               ScrollCancel& cancel, ScrollProgress& progress)
    : m_apps(apps)
    , m_browsers(browsers)
    , m_viewers(viewers)
    , m_cancel(cancel)
    , m_progress(progress)
{
}

double BrowserCapture::distance(const QRectF& a, const QRectF& b)
{
    return std::abs(a.x() - b.x()) + std::abs(a.y() - b.y()) + std::abs(a.width() - b.width())
        + std::abs(a.height() - b.height());
}

std::optional<qsizetype> BrowserCapture::closestRow(const QList<DocumentWindow>& rows, const QRectF& bounds)
{
    std::optional<qsizetype> best;
    double bestDistance = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const double d = distance(QRectF(rows[i].frame), bounds);
        if (!best || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    if (!best)
        return std::nullopt;
    // Without a limit an unrelated window (the picked one not being listed)
    // would be captured; decorations and frame extents differ by a title bar,
    // so accept a row that overlaps the picked window by at least half.
    const QRectF row(rows[*best].frame);
    const double overlap = area(row.normalized().intersected(bounds.normalized()));
    const double larger = std::max(area(row.normalized()), area(bounds.normalized()));
    if (larger <= 0 || overlap < 0.5 * larger)
        return std::nullopt;
    return best;
}

Target BrowserCapture::resolveTarget(const PickedWindow& picked)
{
    const std::optional<ApplicationIdentity::App> app = m_apps.applicationOfProcess(picked.pid, picked.number);
    if (!app || app->id.isEmpty())
        throw CaptureError(Localizer::t(QStringLiteral("Fenster konnte keiner App zugeordnet werden.")));
    const QString name = app->name.isEmpty() ? QStringLiteral("Fenster") : app->name;

    // A section is always scrolled, whatever the application.
    if (picked.scrollRegion)
        return Target::window(clippedToWindow(picked), name + QStringLiteral(" Abschnitt"));
    if (const Browser* browser = Browser::find(app->id)) {
        try {
            return Target::tab(matchTab(*browser, picked.pid, picked.bounds));
        } catch (const CaptureError& error) {
            return scrolledInstead(picked, browser->name, name, error);
        }
    }
    if (const DocApp* viewer = DocApp::find(app->id)) {
        try {
            return Target::pdf(matchDoc(*viewer, picked));
        } catch (const CaptureError& error) {
            return scrolledInstead(picked, viewer->name, name, error);
        }
    }
    return Target::window(picked, name);
}

Tab BrowserCapture::matchTab(const Browser& browser, qint64 pid, const QRectF& bounds)
{
    const QList<DocumentWindow> rows = asked([&] { return m_browsers.windowList(browser.bundleID, pid); });
    const std::optional<qsizetype> best = closestRow(rows, bounds);
    if (!best)
        throw noTab(browser.name);
    const QUrl url(rows[*best].address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        throw noTab(browser.name);
    QString title = url.host();
    if (title.isEmpty())
        title = QFileInfo(url.path()).completeBaseName();
    if (title.isEmpty())
        title = browser.name;
    return Tab{title, url};
}

QList<Doc> BrowserCapture::openPDFs(const DocApp& app, qint64 pid, quint32 window)
{
    const QStringList paths = asked([&] { return m_viewers.documents(app.bundleID, pid, window); });
    QList<Doc> docs;
    if (app.isPreview()) {
        // Numbered before filtering, so they stay the viewer's own numbers.
        int number = 0;
        for (const QString& path : paths) {
            if (path.isEmpty())
                continue;
            ++number;
            if (isPdfPath(path))
                docs.append(Doc{QUrl::fromLocalFile(path), number});
        }
        return docs;
    }
    for (const QString& path : paths)
        if (!path.isEmpty() && isPdfPath(path))
            docs.append(Doc{QUrl::fromLocalFile(path), std::nullopt});
    return docs;
}

Doc BrowserCapture::matchDoc(const DocApp& app, const PickedWindow& picked)
{
    if (!app.isPreview()) {
        // The bridge names the picked window's document first where it can.
        const QList<Doc> docs = openPDFs(app, picked.pid, picked.number);
        if (docs.isEmpty())
            throw noPdf(app.name);
        return docs.first();
    }
    QList<DocumentWindow> rows = asked([&] { return m_viewers.windowList(app.bundleID, picked.pid); });
    rows.removeIf([](const DocumentWindow& r) { return !r.address.toLower().endsWith(QLatin1String(".pdf")); });
    const std::optional<qsizetype> best = closestRow(rows, picked.bounds);
    if (!best)
        throw NothingToRender(ZENTU_TEXT("Vorschau: kein PDF im gewählten Fenster."), app.name);
    const QUrl file = QUrl::fromLocalFile(rows[*best].address);
    std::optional<int> index;
    try {
        for (const Doc& d : openPDFs(app, picked.pid, picked.number))
            if (d.file.toLocalFile() == file.toLocalFile()) {
                index = d.previewIndex;
                break;
            }
    } catch (const CaptureError&) {
        // Without the list there is just no index; the file on disk serves.
    }
    return Doc{file, index};
}

QString BrowserCapture::liveCopyPath()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("vevevevovu-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                  + QStringLiteral(".pdf"));
}

std::optional<QString> BrowserCapture::liveCopy(const DocApp& app, const Doc& doc)
{
    if (!doc.previewIndex)
        return std::nullopt;
    const QString path = liveCopyPath();
    if (!asked([&] { return m_viewers.saveCopy(app.bundleID, *doc.previewIndex, path); }))
        return std::nullopt;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

QCoro::Task<BrowserCapture::Result> BrowserCapture::captureTarget(Target target)
{
    // The progress panel promises that Escape stops a page or document
    // capture; the renderer asks before every band and page.
    struct EscapeWatch {
        ScrollCancel* cancel;
        explicit EscapeWatch(ScrollCancel* c) : cancel(c) { if (cancel) cancel->begin(); }
        ~EscapeWatch() { if (cancel) cancel->end(); }
    };
    const bool ownWatch = !m_stopRequested && target.kind() != Target::Kind::window;
    EscapeWatch watch(ownWatch ? &m_cancel : nullptr);
    ScrollCancel* cancel = &m_cancel;
    const StopRequested stop = m_stopRequested ? m_stopRequested : StopRequested([cancel] { return cancel->requested(); });

    switch (target.kind()) {
    case Target::Kind::tab: {
        const QUrl url = target.tab().url;
        if (url.isLocalFile() && isPdfPath(url.toLocalFile())) {
            Result document = co_await renderDocument(url.toLocalFile(), stop);
            co_return document;
        }
        log(QStringLiteral("Seite wird gerendert: ") + url.toDisplayString());
        if (m_pageCapture) {
            Result page = co_await m_pageCapture(url);
            co_return page;
        }
        Result page = co_await renderPage(url, stop);
        co_return page;
    }
    case Target::Kind::pdf: {
        const Doc doc = target.pdf();
        std::optional<QString> copy;
        try {
            copy = liveCopy(DocApp::table().first(), doc);
        } catch (const CaptureError&) {
            copy.reset();
        }
        if (copy) {
            // The copy goes whatever happens; failing to delete it is harmless.
            struct Remove {
                QString path;
                ~Remove() { QFile::remove(path); }
            } remove{*copy};
            log(QStringLiteral("Kopie von ") + doc.file.toLocalFile());
            Result document = co_await renderDocument(*copy, stop);
            co_return document;
        }
        Result document = co_await renderDocument(doc.file.toLocalFile(), stop);
        co_return document;
    }
    case Target::Kind::window: {
        if (!m_windowScroll)
            throw CaptureError(Localizer::t(QStringLiteral("Fenster kann nicht gescrollt werden.")));
        Result scrolled = co_await m_windowScroll(target.window(), target.windowName());
        co_return scrolled;
    }
    }
    co_return std::nullopt;
}

std::function<void(int, int)> BrowserCapture::countProgress()
{
    ScrollProgress* progress = &m_progress;
    return [progress](int done, int heightPx) {
        progress->setStrips(done);
        progress->setHeightPx(heightPx);
    };
}

QCoro::Task<BrowserCapture::Result> BrowserCapture::renderPage(QUrl url, StopRequested stop)
{
    PageCaptureProcess helper;
    helper.setStopRequested(std::move(stop));
    helper.setProgress(countProgress());
    Result page = co_await helper.capturePage(std::move(url));
    co_return page;
}

QCoro::Task<BrowserCapture::Result> BrowserCapture::renderDocument(QString path, StopRequested stop)
{
    log(QStringLiteral("PDF wird gerendert: ") + path);
    PageCaptureProcess helper;
    helper.setStopRequested(std::move(stop));
    helper.setProgress(countProgress());
    Result image = co_await helper.renderDocument(path);
    co_return image;
}
