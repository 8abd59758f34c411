#pragma once
// Decides what a scrolling capture captures once a window is picked (the front
// tab of a known browser, the document of a known PDF viewer, or the window
// itself) and carries that decision out, ending in one tall image.
#include "Platform/DocumentWindow.h"
#include "Screenshot/Browser.h"
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/DocApp.h"
#include "Screenshot/Target.h"

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QRectF>
#include <functional>
#include <optional>

class BrowserBridge;
class PdfViewerBridge;
class ApplicationIdentity;
class ScrollCancel;
class ScrollProgress;

class BrowserCapture {
public:
    // The capture (kind "scrolling"), or nothing when the user stopped it.
    using Result = std::optional<CapturedScreenshot>;
    using WindowScroll = std::function<QCoro::Task<Result>(PickedWindow window, QString name)>;
    // A page's capture (maybe marked incomplete), or nothing when stopped.
    using PageCapture = std::function<QCoro::Task<Result>(QUrl url)>;
    using StopRequested = std::function<bool()>;

    // cancel: the Escape watch asked while a page or document renders, unless
    // setStopRequested replaces it. progress: what the progress panel shows,
    // counted up with every band or page rendered.
    BrowserCapture(ApplicationIdentity& apps, BrowserBridge& browsers, PdfViewerBridge& viewers,
                   ScrollCancel& cancel, ScrollProgress& progress);

    // The scroll-and-stitch loop for plain windows (filled in by the window capture).
    void setWindowScroll(WindowScroll scroll) { m_windowScroll = std::move(scroll); }
    // The off-screen page capture; a fresh page-capture helper per page unless replaced.
    void setPageCapture(PageCapture capture) { m_pageCapture = std::move(capture); }
    // Asked before each band and page; true ends the capture as a stop. By
    // default the Escape watch handed in, which
    // captureTarget runs while it renders a page or document.
    void setStopRequested(StopRequested stop) { m_stopRequested = std::move(stop); }

    // A section is scrolled in its window: clipped to the window's bounds, so
    // no frame reaches past the window onto what lies beside it (our cover).
    Target resolveTarget(const PickedWindow& picked);
    Tab matchTab(const Browser& browser, qint64 pid, const QRectF& bounds);
    Doc matchDoc(const DocApp& app, const PickedWindow& picked);
    QList<Doc> openPDFs(const DocApp& app, qint64 pid, quint32 window);
    // A fresh copy of a system-viewer document in the state shown; nothing
    // when the viewer cannot make one. Throws the viewer's error.
    std::optional<QString> liveCopy(const DocApp& app, const Doc& doc);

    QCoro::Task<Result> captureTarget(Target target);

    static double distance(const QRectF& a, const QRectF& b);
    // The closest row (the earlier one on equal distance), accepted only when
    // it and the picked bounds cover at least half of each other.
    static std::optional<qsizetype> closestRow(const QList<DocumentWindow>& rows, const QRectF& bounds);
    // Name of the temporary live copy: "vevevevovu-<UUID>.pdf" in the temp folder.
    static QString liveCopyPath();

private:
    // A fresh helper renders the page or the document.
    QCoro::Task<Result> renderPage(QUrl url, StopRequested stop);
    QCoro::Task<Result> renderDocument(QString path, StopRequested stop);
    // Writes the helper's progress into what the panel shows.
    std::function<void(int done, int heightPx)> countProgress();

    ApplicationIdentity& m_apps;
    BrowserBridge& m_browsers;
    PdfViewerBridge& m_viewers;
    ScrollCancel& m_cancel;
    ScrollProgress& m_progress;
    WindowScroll m_windowScroll;
    PageCapture m_pageCapture;
    StopRequested m_stopRequested;
};
