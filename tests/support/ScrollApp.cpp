#include "support/ScrollApp.h"
#include "support/ScreenDriver.h"

#include "Platform/WindowServer.h"
#include "helpers/CodedRows.h"
#include "support/PdfFixtures.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

namespace {
constexpr int pageSections = 40;
constexpr int pdfPages = 5;
constexpr int pdfLinesPerPage = 40;
constexpr int terminalLines = 2000;
const QColor stickyHeader(0x1e, 0x2a, 0x3a);

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// A long page: a sticky header, then sections of a coded block beside a
// heading and a paragraph.
QByteArray page()
{
    QString html = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Lange Seite</title><style>"
        "body{margin:0;font:15px 'DejaVu Sans',sans-serif;color:#222;background:#fff}"
        "header{position:sticky;top:0;height:64px;line-height:64px;padding-left:16px;font-size:22px;"
        "color:#fff;background:%1;z-index:1}"
        "section{display:flex;height:180px}.code{width:64px;flex:none}.text{padding:12px 20px}"
        "h2{margin:0 0 8px;font-size:18px}</style></head><body>"
        "<header>Lange Seite — die Kopfzeile bleibt stehen</header>")
                       .arg(rgb(stickyHeader));
    for (int i = 0; i < pageSections; ++i)
        html += QStringLiteral("<section><div class=\"code\" style=\"background:%1\"></div><div class=\"text\">"
                               "<h2>Abschnitt %2</h2><p>Dieser Abschnitt trägt die Nummer %2. Ein Absatz Text, "
                               "wie er auf langen Seiten steht, damit jede Zeile anders aussieht.</p></div></section>")
                    .arg(rgb(CodedRows::colour(i)))
                    .arg(i);
    html += QStringLiteral("</body></html>");
    return html.toUtf8();
}

// Terminal output: numbered lines, each with a coded block of four cells.
QByteArray terminalText()
{
    QByteArray out;
    for (int i = 0; i < terminalLines; ++i) {
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

bool shows(const QImage& image, int item)
{
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (CodedRows::decode(image.pixel(x, y)) == item)
                return true;
    return false;
}
} // namespace

ScrollApp::ScrollApp(Kind kind)
    : m_kind(kind)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

ScrollApp::~ScrollApp()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString ScrollApp::executable(Kind kind)
{
    switch (kind) {
    case Kind::chromium:
        return QStandardPaths::findExecutable(QStringLiteral("chromium"));
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
        return pageSections;
    case Kind::evince:
        return pdfPages * pdfLinesPerPage;
    case Kind::xterm:
        return terminalLines;
    }
    return 0;
}

int ScrollApp::pageBreakEvery() const
{
    return m_kind == Kind::evince ? pdfLinesPerPage : 0;
}

bool ScrollApp::writeContent()
{
    if (!m_dir.isValid())
        return false;
    switch (m_kind) {
    case Kind::chromium: {
        m_document = m_dir.filePath(QStringLiteral("lange-seite.html"));
        QFile f(m_document);
        return f.open(QIODevice::WriteOnly) && f.write(page()) > 0;
    }
    case Kind::evince:
        // No ".pdf" in the name, as with many downloads: a PDF by its content.
        m_document = m_dir.filePath(QStringLiteral("bericht"));
        return PdfFixtures::writeCodedLines(m_document, pdfPages, pdfLinesPerPage);
    case Kind::xterm: {
        m_document = m_dir.filePath(QStringLiteral("ausgabe.txt"));
        QFile f(m_document);
        return f.open(QIODevice::WriteOnly) && f.write(terminalText()) > 0;
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
    case Kind::chromium:
        // As root Chromium needs --no-sandbox; the rest keeps a first start
        // quiet and offline.
        args = {QStringLiteral("--no-sandbox"), QStringLiteral("--test-type"), QStringLiteral("--no-first-run"),
                QStringLiteral("--no-default-browser-check"), QStringLiteral("--disable-background-networking"),
                QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                QStringLiteral("--disable-default-apps"), QStringLiteral("--disable-extensions"),
                QStringLiteral("--password-store=basic"), QStringLiteral("--disable-gpu"),
                QStringLiteral("--force-device-scale-factor=1"),
                QStringLiteral("--disable-features=Translate,MediaRouter,OptimizationHints"),
                QStringLiteral("--user-data-dir=") + m_dir.filePath(QStringLiteral("profile")),
                QStringLiteral("--window-position=%1,%2").arg(rect.x()).arg(rect.y()),
                QStringLiteral("--window-size=%1,%2").arg(rect.width()).arg(rect.height())};
        if (accessibility)
            args.append(QStringLiteral("--force-renderer-accessibility"));
        args.append(QUrl::fromLocalFile(m_document).toString());
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
                QStringLiteral("sh"), QStringLiteral("-c"),
                QStringLiteral("stty -echo; cat '%1'; exec sleep 100000").arg(m_document)};
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
    auto find = [&] {
        m_window = 0;
        for (const WindowInfo& w : windows.windowList().value_or(QList<WindowInfo>()))
            if (w.ownerPID && *w.ownerPID == pid() && w.layer && *w.layer == 0 && w.bounds.width() > 200
                && w.bounds.height() > 200
                && (!m_window || w.bounds.width() * w.bounds.height() > m_bounds.width() * m_bounds.height())) {
                m_window = w.number;
                m_bounds = w.bounds;
            }
        return m_window != 0;
    };
    if (!QTest::qWaitFor(find, 30000))
        return false;
    if (m_kind == Kind::evince) {
        // Evince has no geometry option: the window manager places it.
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowsize"), QString::number(m_window), QString::number(rect.width()),
                           QString::number(rect.height()), QStringLiteral("windowmove"), QString::number(m_window),
                           QString::number(rect.x()), QString::number(rect.y())});
        return QTest::qWaitFor(
            [&] { return find() && qAbs(m_bounds.height() - rect.height()) < 60 && qAbs(m_bounds.x() - rect.x()) < 60; },
            15000);
    }
    return true;
}

bool ScrollApp::waitForContent()
{
    // Chromium and Evince open at the top, xterm shows its last lines.
    const int item = m_kind == Kind::xterm ? terminalLines - 1 : 0;
    if (!QTest::qWaitFor([&] { return shows(grabScreen(m_bounds.toAlignedRect()), item); }, 30000))
        return false;
    // Where the scrolling content begins: the sticky header's first row, or
    // the first row of the document's white page.
    const QImage shot = grabScreen(m_bounds.toAlignedRect());
    const int x = shot.width() / 2;
    m_contentTop = 0;
    for (int y = 0; y < shot.height() / 2; ++y) {
        const QColor c = shot.pixelColor(x, y);
        if ((m_kind == Kind::chromium && c == stickyHeader) || (m_kind == Kind::evince && c == QColor(Qt::white))) {
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
