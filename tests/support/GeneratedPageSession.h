#pragma once
// One real browser showing generated pages (GeneratedPage) one seed after
// the other, and scrolling captures of them through the program's own
// engine as the user takes them: the picker is shown, the user clicks the
// page or drags a section over the browser's view, and the result is held
// against the page. Where the browser's view lies is measured once, on a
// calibration page of one colour. A browser that stops answering is started
// again.
#include "support/BrowserLaunch.h"
#include "support/GeneratedPage.h"
#include "support/GeneratedPageServer.h"
#include "support/ScrollAppCapture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>

class ScrollEngineRig;
class X11Probe;

struct GeneratedOutcome {
    GeneratedPage::Verdict verdict;
    bool captured = false;
    bool calledComplete = false;
    double seconds = 0; // from the pick to the result
    double screens = 0; // of output, in heights of what was picked
    bool stopped = false; // it took so long that Escape ended it
    // Every item once, whole and in order, and the capture said so.
    bool complete() const { return captured && !stopped && calledComplete && verdict.whole(); }
    // Not called complete unless it is (a capture ended with Escape is
    // what the user asked for).
    bool honest() const { return !captured || stopped || !calledComplete || verdict.whole(); }
    QString summary() const;
};

class GeneratedPageSession {
public:
    enum class Browser { chromium, firefox };

    GeneratedPageSession(Browser browser, BrowserLaunch::Options options, QRect window);
    ~GeneratedPageSession();
    GeneratedPageSession(const GeneratedPageSession&) = delete;
    GeneratedPageSession& operator=(const GeneratedPageSession&) = delete;

    static bool installed(Browser browser);

    // Starts the browser (again) and measures its view.
    bool start(ScrollEngineRig& rig);
    QString error() const { return m_error; }
    // The browser's view on the screen, below its toolbar and any bar, and
    // its window.
    QRect view() const { return m_view; }
    QRect window() const { return m_app.bounds.toAlignedRect(); }
    // The picture the last capture gave.
    const QImage& lastImage() const { return m_lastImage; }

    // Shows the page and waits until its first item shows and stands still;
    // with `innerBox`, the page scrolled to its inner box, whose first item
    // shows.
    bool show(ScrollEngineRig& rig, const GeneratedPage& page, bool innerBox = false);
    // `pastBottom`: a section reaches that far below the window's bottom edge.
    GeneratedOutcome capture(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page, Pick pick,
                             int pastBottom = 0);
    // A section dragged over the inner box (shown by show()), held against its items.
    GeneratedOutcome captureInnerBox(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page);
    // The last section dragged again over the same spot, the page left as
    // the last capture left it.
    GeneratedOutcome captureAgain(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page);
    // A capture still running after this long is ended with Escape.
    static constexpr int maximumSeconds = 200;

private:
    bool go(const QUrl& url);
    GeneratedOutcome captureSection(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page,
                                    std::optional<QRect> section, bool innerBox);

    Browser m_browser;
    BrowserLaunch::Options m_options;
    QRect m_window;
    GeneratedPageServer m_server;
    std::unique_ptr<QTemporaryDir> m_profile;
    QProcess m_process;
    BrowserLaunch::AppWindow m_app;
    QRect m_view;
    QImage m_lastImage;
    std::optional<QRect> m_lastSection;
    bool m_lastInner = false;
    QString m_error;
};

// Captures of generated pages in one browser, seed after seed: a browser of
// its own for each device scale a seed asks for.
class GeneratedPageRuns {
public:
    GeneratedPageRuns(GeneratedPageSession::Browser browser, QRect window);

    // Shows the seed's page and captures it; nothing when the page could not
    // be shown (`error` says why).
    std::optional<GeneratedOutcome> capture(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page,
                                            Pick pick, QString* error = nullptr, int pastBottom = 0);
    // A section over the page's inner box, scrolled into view first.
    std::optional<GeneratedOutcome> captureInnerBox(ScrollEngineRig& rig, const X11Probe& mouse,
                                                    const GeneratedPage& page, QString* error = nullptr);
    // The seed's last capture again, over the same spot.
    GeneratedOutcome captureAgain(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page)
    {
        return session(page).captureAgain(rig, mouse, page);
    }
    const QImage& lastImage(const GeneratedPage& page) { return session(page).lastImage(); }

private:
    GeneratedPageSession& session(const GeneratedPage& page);

    GeneratedPageSession::Browser m_browser;
    QRect m_window;
    std::map<int, std::unique_ptr<GeneratedPageSession>> m_sessions;
};
