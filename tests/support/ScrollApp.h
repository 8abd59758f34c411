#pragma once
// The applications people take scrolling captures of, started on the test's
// X server with content the test can read back (CodedRows): a long page with
// a sticky header in Chromium, a multi-page PDF in Evince, numbered lines in
// xterm. start() returns once the window shows the content.
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

class WindowServer;

class ScrollApp {
public:
    enum class Kind { chromium, evince, xterm };

    explicit ScrollApp(Kind kind);
    ~ScrollApp();
    ScrollApp(const ScrollApp&) = delete;
    ScrollApp& operator=(const ScrollApp&) = delete;

    // The program to run; empty when it is not installed.
    static QString executable(Kind kind);

    // Writes the content and starts the application with its window at `rect`
    // (global points). `accessibility`: Chromium publishes its pages on the
    // accessibility bus of the session bus in the environment.
    bool start(const QRect& rect, WindowServer& windows, bool accessibility = false);
    QString error() const { return m_error; }

    // Coded items in the content, and after how many a page break comes (0: none).
    int items() const;
    int pageBreakEvery() const;
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
    QTemporaryDir m_dir;
    QString m_document;
    QProcess m_process;
    quint32 m_window = 0;
    QRectF m_bounds;
    int m_contentTop = 0;
    QString m_error;
};
