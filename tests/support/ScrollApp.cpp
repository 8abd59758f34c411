#include "support/ScrollApp.h"
#include "support/ScreenDriver.h"

#include "Platform/WindowServer.h"
#include "helpers/CodedRows.h"
#include "helpers/CodedText.h"
#include "support/BrowserLaunch.h"
#include "support/PdfFixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

namespace {
constexpr int pdfPages = 40;
constexpr int pdfLinesPerPage = 40;
constexpr int terminalLines = 3000;
constexpr int listRows = 800;
constexpr int editorLines = 2000;
constexpr int pagerLines = 600;
constexpr int manualLines = 300;
constexpr int sparseLines = 400;
const QColor stickyHeader(0x1e, 0x2a, 0x3a);

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

int sectionsOf(ScrollApp::Page page)
{
    switch (page) {
    case ScrollApp::Page::pdf:
        return pdfPages * pdfLinesPerPage;
    case ScrollApp::Page::pager:
    case ScrollApp::Page::pagerWithMouse:
    case ScrollApp::Page::manual:
    case ScrollApp::Page::sparse:
        return 0;
    case ScrollApp::Page::plain:
        return 40;
    case ScrollApp::Page::longPage:
        return 110;
    case ScrollApp::Page::stickySidebar:
        return 120;
    case ScrollApp::Page::tickingClock:
        return 60;
    }
    return 0;
}

// A long page: a sticky header, then sections of a coded block beside a
// heading and a paragraph; as the page asks, beside a sticky navigation
// column (as documentation sites have) or under a clock that ticks.
QByteArray page(ScrollApp::Page kind)
{
    const int sections = sectionsOf(kind);
    const int header = kind == ScrollApp::Page::plain ? 64 : 56;
    const int sectionHeight = kind == ScrollApp::Page::plain ? 180 : kind == ScrollApp::Page::stickySidebar ? 100 : 120;
    QString html = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Lange Seite</title><style>"
        "body{margin:0;font:15px 'DejaVu Sans',sans-serif;color:#222;background:#fff}"
        "header{position:sticky;top:0;height:%2px;line-height:%2px;padding-left:16px;font-size:22px;"
        "color:#fff;background:%1;z-index:1}"
        "section{display:flex;height:%3px;position:relative}.code{width:64px;flex:none}.text{padding:12px 20px}"
        ".mark{position:absolute;right:60px;bottom:0;width:24px;height:50%}"
        "h2{margin:0 0 8px;font-size:18px}"
        ".page{display:flex;align-items:flex-start}main{flex:1}"
        "nav{position:sticky;top:%2px;width:250px;flex:none;height:calc(100vh - %2px);overflow:hidden;"
        "background:#eef1f5;border-right:1px solid #c8cfd8;padding:12px 0}"
        "nav a{display:block;padding:5px 18px;color:#1a4f8b;text-decoration:none;font-size:14px}"
        "#clock{position:fixed;top:%4px;right:28px;font:bold 22px 'DejaVu Sans Mono',monospace;"
        "background:#f2f2f2;color:#333;padding:6px 10px;border:1px solid #999;z-index:2}"
        "</style></head><body>"
        "<header>Lange Seite — die Kopfzeile bleibt stehen</header>")
                       .arg(rgb(stickyHeader))
                       .arg(header)
                       .arg(sectionHeight)
                       .arg(header + 16);
    if (kind == ScrollApp::Page::tickingClock)
        html += QStringLiteral(
            "<div id=\"clock\">00:00:00.000</div><script>setInterval(function(){var d=new Date();"
            "document.getElementById('clock').textContent=d.toISOString().substr(11,12);},40);</script>");
    html += QStringLiteral("<div class=\"page\">");
    if (kind == ScrollApp::Page::stickySidebar) {
        html += QStringLiteral("<nav>");
        for (int i = 0; i < 40; ++i)
            html += QStringLiteral("<a href=\"#s%1\">Kapitel %1: Abschnitte %2 bis %3</a>").arg(i + 1).arg(i * 3).arg(i * 3 + 2);
        html += QStringLiteral("</nav>");
    }
    html += QStringLiteral("<main>");
    // Under the clock's columns a second coded block, in the lower half of
    // each section (the clock covers the upper half of the first): content
    // that passes beneath a fixed badge must come back whole, the badge not.
    for (int i = 0; i < sections; ++i)
        html += QStringLiteral("<section id=\"s%3\"><div class=\"code\" style=\"background:%1\"></div><div class=\"text\">"
                               "<h2>Abschnitt %2</h2><p>Dieser Abschnitt trägt die Nummer %2. Ein Absatz Text, "
                               "wie er auf langen Seiten steht, damit jede Zeile anders aussieht.</p></div>%4</section>")
                    .arg(rgb(CodedRows::colour(i)))
                    .arg(i)
                    .arg(i / 3 + 1)
                    .arg(kind == ScrollApp::Page::tickingClock
                             ? QStringLiteral("<div class=\"mark\" style=\"background:%1\"></div>").arg(rgb(CodedRows::colour(i)))
                             : QString());
    html += QStringLiteral("</main></div></body></html>");
    return html.toUtf8();
}

// Terminal output: numbered lines, each with a coded block of four cells.
QByteArray terminalText(int lines)
{
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        const QColor c = CodedRows::colour(i);
        out += QStringLiteral("Zeile %1  \033[48;2;%2;%3;%4m    \033[0m  Ausgabe\n")
                   .arg(i, 4, 10, QLatin1Char('0'))
                   .arg(c.red())
                   .arg(c.green())
                   .arg(c.blue())
                   .toUtf8();
    }
    return out;
}

// Coded lines, each followed by `blankLines` empty ones.
QByteArray editorText(int lines, int blankLines = 0)
{
    QString out;
    for (int i = 0; i < lines; ++i)
        out += CodedText::line(i) + QString(1 + blankLines, QLatin1Char('\n'));
    return out.toUtf8();
}

// A manual page of coded lines, set as they stand.
QByteArray manualPage()
{
    QString out = QStringLiteral(".TH ZEILEN 1\n.SH BESCHREIBUNG\n.nf\n");
    for (int i = 0; i < manualLines; ++i)
        out += CodedText::line(i) + QLatin1Char('\n');
    return out.toUtf8();
}

bool shows(const QImage& image, int item)
{
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (CodedRows::decode(image.pixel(x, y)) == item)
                return true;
    return false;
}

// A small picture of one colour, for a list row.
bool writeSwatch(const QString& path, const QColor& colour)
{
    QImage swatch(40, 14, QImage::Format_RGB32);
    swatch.fill(colour);
    return swatch.save(path, "PNG");
}
} // namespace

ScrollApp::ScrollApp(Kind kind, Page page)
    : m_kind(kind)
    , m_page(page)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

ScrollApp::~ScrollApp()
{
    BrowserLaunch::stop(m_process);
}

QString ScrollApp::executable(Kind kind)
{
    switch (kind) {
    case Kind::chromium:
        return QStandardPaths::findExecutable(QStringLiteral("chromium"));
    case Kind::firefox:
        return QStandardPaths::findExecutable(QStringLiteral("firefox-esr"));
    case Kind::zenity:
        return QStandardPaths::findExecutable(QStringLiteral("zenity"));
    case Kind::mousepad:
        return QStandardPaths::findExecutable(QStringLiteral("mousepad"));
    case Kind::evince:
        return QStandardPaths::findExecutable(QStringLiteral("evince"));
    case Kind::xterm:
        return QStandardPaths::findExecutable(QStringLiteral("xterm"));
    }
    return QString();
}

int ScrollApp::items() const
{
    switch (m_kind) {
    case Kind::chromium:
    case Kind::firefox:
        return sectionsOf(m_page);
    case Kind::evince:
        return pdfPages * pdfLinesPerPage;
    case Kind::xterm:
        return m_page == Page::manual ? manualLines
            : m_page == Page::pager || m_page == Page::pagerWithMouse ? pagerLines
                                                                      : terminalLines;
    case Kind::zenity:
        return listRows;
    case Kind::mousepad:
        return m_page == Page::sparse ? sparseLines : editorLines;
    }
    return 0;
}

CodedRows::Verdict ScrollApp::verify(const QImage& image) const
{
    if (m_kind == Kind::mousepad || m_page == Page::manual)
        return CodedText::verify(image, items());
    CodedRows::Verdict verdict = CodedRows::verify(image, items(), pageBreakEvery());
    if (verdict.problem.isEmpty() && m_page == Page::tickingClock && (m_kind == Kind::chromium || m_kind == Kind::firefox)) {
        // The blocks under the clock, in the right half.
        const CodedRows::Verdict right = CodedRows::verify(image.copy(image.width() / 2, 0, image.width() - image.width() / 2, image.height()), items());
        if (!right.problem.isEmpty())
            verdict.problem = QStringLiteral("under the clock: ") + right.problem;
    }
    return verdict;
}

int ScrollApp::pageBreakEvery() const
{
    return m_kind == Kind::evince || m_page == Page::pdf ? pdfLinesPerPage : 0;
}

bool ScrollApp::writeContent()
{
    if (!m_dir.isValid())
        return false;
    switch (m_kind) {
    case Kind::chromium:
    case Kind::firefox: {
        if (m_page == Page::pdf) {
            m_document = m_dir.filePath(QStringLiteral("bericht.pdf"));
            return PdfFixtures::writeCodedLines(m_document, pdfPages, pdfLinesPerPage);
        }
        m_document = m_dir.filePath(QStringLiteral("lange-seite.html"));
        QFile f(m_document);
        return f.open(QIODevice::WriteOnly) && f.write(page(m_page)) > 0;
    }
    case Kind::zenity:
        for (int i = 0; i < listRows; ++i)
            if (!writeSwatch(m_dir.filePath(QStringLiteral("zeile%1.png").arg(i)), CodedRows::colour(i)))
                return false;
        return true;
    case Kind::mousepad: {
        m_document = m_dir.filePath(QStringLiteral("notizen.txt"));
        QFile f(m_document);
        return f.open(QIODevice::WriteOnly)
            && f.write(m_page == Page::sparse ? editorText(sparseLines, 2) : editorText(editorLines)) > 0;
    }
    case Kind::evince:
        // No ".pdf" in the name, as with many downloads: a PDF by its content.
        m_document = m_dir.filePath(QStringLiteral("bericht"));
        return PdfFixtures::writeCodedLines(m_document, pdfPages, pdfLinesPerPage);
    case Kind::xterm: {
        m_document = m_dir.filePath(m_page == Page::manual ? QStringLiteral("zeilen.1") : QStringLiteral("ausgabe.txt"));
        QFile f(m_document);
        const QByteArray text = m_page == Page::manual ? manualPage()
            : m_page == Page::plain                    ? terminalText(terminalLines)
                                                       : terminalText(pagerLines);
        return f.open(QIODevice::WriteOnly) && f.write(text) > 0;
    }
    }
    return false;
}

bool ScrollApp::start(const QRect& rect, WindowServer& windows, bool accessibility)
{
    const QString program = executable(m_kind);
    if (program.isEmpty()) {
        m_error = QStringLiteral("not installed");
        return false;
    }
    if (!writeContent()) {
        m_error = QStringLiteral("content not written");
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path()); // fresh settings every time
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("GTK_A11Y"), accessibility ? QStringLiteral("atspi") : QStringLiteral("none"));
    if (accessibility)
        env.insert(QStringLiteral("ACCESSIBILITY_ENABLED"), QStringLiteral("1"));
    m_process.setProcessEnvironment(env);

    QStringList args;
    switch (m_kind) {
    case Kind::chromium: {
        BrowserLaunch::Options options = m_browserOptions;
        options.accessibility = accessibility;
        args = BrowserLaunch::chromium(m_dir.filePath(QStringLiteral("profile")), rect, options,
                                       QUrl::fromLocalFile(m_document).toString());
        break;
    }
    case Kind::firefox:
        // A profile of its own that skips every first-start page.
        args = BrowserLaunch::firefox(m_dir.filePath(QStringLiteral("profile")), rect, m_browserOptions,
                                      QUrl::fromLocalFile(m_document).toString());
        if (args.isEmpty()) {
            m_error = QStringLiteral("profile not written");
            return false;
        }
        break;
    case Kind::zenity:
        args = {QStringLiteral("--list"), QStringLiteral("--imagelist"), QStringLiteral("--title=Liste"),
                QStringLiteral("--text=Einträge"), QStringLiteral("--column=Farbe"), QStringLiteral("--column=Eintrag"),
                QStringLiteral("--width=%1").arg(rect.width()), QStringLiteral("--height=%1").arg(rect.height())};
        for (int i = 0; i < listRows; ++i)
            args << m_dir.filePath(QStringLiteral("zeile%1.png").arg(i)) << QStringLiteral("Eintrag %1").arg(i, 4, 10, QLatin1Char('0'));
        break;
    case Kind::mousepad:
        args = {QStringLiteral("--disable-server"), m_document};
        break;
    case Kind::evince:
        args = {m_document};
        break;
    case Kind::xterm: {
        // Cells of 8 by 15 pixels; keys typed into it are not echoed, and the
        // scrollback keeps every line.
        const int columns = rect.width() / 8;
        const int rows = rect.height() / 15;
        args = {QStringLiteral("-sl"), QStringLiteral("5000"), QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono"),
                QStringLiteral("-fs"), QStringLiteral("9"), QStringLiteral("-geometry"),
                QStringLiteral("%1x%2+%3+%4").arg(columns).arg(rows).arg(rect.x()).arg(rect.y()), QStringLiteral("-e"),
                QStringLiteral("sh"), QStringLiteral("-c")};
        // A pager holds the screen until it is told to quit.
        switch (m_page) {
        case Page::pager:
            args << QStringLiteral("exec less -R '%1'").arg(m_document);
            break;
        case Page::pagerWithMouse:
            args << QStringLiteral("exec less -R --mouse '%1'").arg(m_document);
            break;
        case Page::manual:
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
            env.insert(QStringLiteral("MANPAGER"), QStringLiteral("less"));
            env.remove(QStringLiteral("LESS"));
            m_process.setProcessEnvironment(env);
            args << QStringLiteral("exec man -l '%1'").arg(m_document);
            break;
        default:
            args << QStringLiteral("stty -echo; cat '%1'; exec sleep 100000").arg(m_document);
            break;
        }
        break;
    }
    }
    m_process.start(program, args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("did not start");
        return false;
    }
    if (!waitForWindow(windows, rect)) {
        m_error = QStringLiteral("no window: ") + QString::fromLocal8Bit(m_process.readAll().right(2000));
        return false;
    }
    if (!waitForContent()) {
        m_error = QStringLiteral("content not shown");
        return false;
    }
    return true;
}

bool ScrollApp::waitForWindow(WindowServer& windows, const QRect& rect)
{
    // Chromium and xterm take a geometry of their own.
    const auto window = BrowserLaunch::awaitWindow(windows, pid(), rect, m_kind != Kind::chromium && m_kind != Kind::xterm);
    if (!window)
        return false;
    m_window = window->number;
    m_bounds = window->bounds;
    return true;
}

bool ScrollApp::waitForContent()
{
    // The others open at the top, xterm shows its last lines (unless a pager holds them).
    const int item = m_kind == Kind::xterm && m_page == Page::plain ? terminalLines - 1 : 0;
    // Shown, and unchanged for a second (a viewer lays its pages out anew
    // once the document is loaded and the window has its size).
    auto showsFirst = [&](const QImage& shot) {
        if (m_kind == Kind::mousepad || m_page == Page::manual) {
            const QList<CodedText::Line> lines = CodedText::read(shot);
            return std::any_of(lines.begin(), lines.end(), [](const CodedText::Line& l) { return l.item == 0; });
        }
        return shows(shot, item);
    };
    QImage last;
    int still = 0;
    QElapsedTimer waited;
    waited.start();
    while (still < 2) {
        if (waited.elapsed() > 60000) {
            if (const QByteArray keep = qgetenv("ZENTU_TEST_KEEP_IMAGES"); !keep.isEmpty())
                last.save(QString::fromLocal8Bit(keep) + QStringLiteral("/content-not-shown.png"));
            return false;
        }
        QTest::qWait(500);
        const QImage shot = grabScreen(m_bounds.toAlignedRect());
        // The left third holds the coded items; a clock elsewhere may tick.
        const QRect codes(0, 0, shot.width() / 3, shot.height());
        still = !last.isNull() && shot.copy(codes) == last.copy(codes) && showsFirst(shot) ? still + 1 : 0;
        last = shot;
    }
    // Where the scrolling content begins: the sticky header's first row, or
    // the first row of the document's white page.
    const QImage& shot = last;
    const int x = shot.width() / 2;
    m_contentTop = 0;
    for (int y = 0; y < shot.height() / 2; ++y) {
        const QColor c = shot.pixelColor(x, y);
        if (((m_kind == Kind::chromium || m_kind == Kind::firefox) && c == stickyHeader)
            || (m_kind == Kind::evince && c == QColor(Qt::white))) {
            m_contentTop = y;
            break;
        }
    }
    return true;
}

QRect ScrollApp::contentArea() const
{
    const QRect r = m_bounds.toAlignedRect();
    // Down to the window's last row: the page's last rows show there at its end.
    return QRect(r.x() + 4, r.y() + m_contentTop, r.width() - 8, r.height() - m_contentTop);
}
