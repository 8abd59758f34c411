#pragma once
// The applications people take scrolling captures of, started on the test's
// X server with content the test can read back (CodedRows, CodedText): pages
// of our own in Chromium and Firefox (a long page under a sticky header, one
// with a sticky navigation column, one with a ticking clock), a 40-page PDF in
// Evince, 3,000 numbered lines in xterm, an 800-row list in zenity and a
// 2,000-line file in Mousepad. start() returns once the window shows the
// content.
#include "helpers/CodedRows.h"
#include "support/BrowserLaunch.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

class WindowServer;

class ScrollApp {
public:
    enum class Kind { chromium, firefox, evince, xterm, zenity, mousepad };
    // What the application shows, where it can show more than one thing.
    enum class Page {
        plain,        // the browsers: 40 sections under a 64 px sticky header; the others their content
        longPage,     // 110 sections under a 56 px sticky header
        stickySidebar, // 120 sections beside a sticky navigation column, under a sticky header
        tickingClock, // 60 sections under a fixed clock that changes every 40 ms
        pdf,          // Chromium: the 40-page document in its PDF viewer
        pager,        // xterm: 600 numbered lines in less
        pagerWithMouse, // xterm: the same in less following the wheel (--mouse)
        manual,       // xterm: a manual page of 300 coded lines (CodedText) in man
        sparse,       // Mousepad: 400 coded lines, each followed by two blank lines
    };

    explicit ScrollApp(Kind kind, Page page = Page::plain);
    ~ScrollApp();
    ScrollApp(const ScrollApp&) = delete;
    ScrollApp& operator=(const ScrollApp&) = delete;

    // The program to run; empty when it is not installed.
    static QString executable(Kind kind);

    // Chromium's and Firefox's device scale and bars.
    void setBrowserOptions(const BrowserLaunch::Options& options) { m_browserOptions = options; }

    // Writes the content and starts the application with its window at `rect`
    // (global points). `accessibility`: Chromium publishes its pages on the
    // accessibility bus of the session bus in the environment.
    bool start(const QRect& rect, WindowServer& windows, bool accessibility = false);
    QString error() const { return m_error; }

    // Coded items in the content, and after how many a page break comes (0: none).
    int items() const;
    int pageBreakEvery() const;
    // Reads the items back from a capture of the content.
    CodedRows::Verdict verify(const QImage& image) const;

    // The page's address (Chromium) or the document (Evince).
    QString document() const { return m_document; }

    qint64 pid() const { return m_process.processId(); }
    quint32 window() const { return m_window; }
    QRectF bounds() const { return m_bounds; }
    // Where the content scrolls, for dragging a section: below the browser's
    // toolbar or the viewer's header bar (from the top of its sticky header).
    QRect contentArea() const;

private:
    bool writeContent();
    bool waitForWindow(WindowServer& windows, const QRect& rect);
    bool waitForContent();

    Kind m_kind;
    Page m_page;
    BrowserLaunch::Options m_browserOptions;
    QTemporaryDir m_dir;
    QString m_document;
    QProcess m_process;
    quint32 m_window = 0;
    QRectF m_bounds;
    int m_contentTop = 0;
    QString m_error;
};
