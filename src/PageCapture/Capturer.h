#pragma once
// Renders a web page off screen into one tall image: loads the URL into an
// invisible 1440 × 900 web view, calms and primes the page, measures its full
// height and paints one snapshot per 900-point band. A page taller than the
// height cap is cut there and the picture marked incomplete, as is one with a
// band that never painted. A page that turns out to be a PDF goes to the PDF
// renderer instead. One capturer per page. Runs in the page-capture helper,
// never in the app.
#include "Screenshot/CapturedScreenshot.h"

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <coroutine>
#include <functional>
#include <memory>
#include <optional>

class QWebEngineProfile;
class QWebEngineView;
class QWebEngineDownloadRequest;

class Capturer : public QObject {
    Q_OBJECT
public:
    static constexpr double pageWidth = 1440;
    static constexpr double bandHeight = 900;
    static constexpr double heightCap = 30000;

    // Receives each debug-log line ("BROWSER …").
    using Log = std::function<void(const QString&)>;

    // The program prepares the web engine's process settings
    // (WebEngineEnvironment) before its application object exists.
    explicit Capturer(Log logLine, QObject* parent = nullptr);
    ~Capturer() override;

    // Asked before each band; true ends the capture as a stop (no image).
    void setStopRequested(std::function<bool()> stop) { m_stopRequested = std::move(stop); }
    // Told after each band (or page of a PDF): how many are done, and the
    // rows of the image they fill.
    using Progress = std::function<void(int done, int heightPx)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // The page as one image (width 1440 × scale, kind "scrolling", maybe
    // marked incomplete), or nothing when stopped. Throws CaptureError.
    QCoro::Task<std::optional<CapturedScreenshot>> capture(QUrl url);

    // Band offsets for a page of the given height: 0, 900, … below
    // max(H − 900, 0), then that value, so the last band ends at the bottom.
    static QList<double> bandOffsets(double height);
    // Average alpha of an image is above 1 %: the band has been painted.
    static bool isPainted(const QImage& image);

private:
    struct LoadAwaiter;
    void log(const QString& message) const;
    struct ScriptAwaiter;
    QCoro::Task<void> load(QUrl url);
    QCoro::Task<double> primeLazyContent();
    QCoro::Task<double> scroll(double y);
    QCoro::Task<QImage> snapshotTile(int index);
    QCoro::Task<double> height();
    QCoro::Task<QVariant> evaluate(QString script);
    QCoro::Task<QByteArray> fetch(QUrl url);
    QImage snapshot();
    void finishLoad(std::optional<QString> error);
    void runScript(const QString& script, std::coroutine_handle<> h);
    void finishScript(quint64 serial, const QVariant& result, std::optional<QString> error);
    QVariant takeScriptResult();
    void onDownload(QWebEngineDownloadRequest* request);

    Log m_log;
    QWebEngineProfile* m_profile = nullptr;
    std::unique_ptr<QWebEngineView> m_view;
    std::coroutine_handle<> m_loading;
    std::optional<QString> m_loadError;
    std::optional<QUrl> m_pdfURL;
    std::function<bool()> m_stopRequested;
    Progress m_progress;
    std::coroutine_handle<> m_scripting;
    quint64 m_scriptSerial = 0;
    QVariant m_scriptResult;
    std::optional<QString> m_scriptError;
    bool m_pageGone = false;
    QTimer m_scriptTimeout;
};
