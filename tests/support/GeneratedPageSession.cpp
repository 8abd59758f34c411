#include "support/GeneratedPageSession.h"

#include "helpers/CodedRows.h"
#include "support/AwaitTask.h"
#include "support/DebugLogMessages.h"
#include "support/ScreenDriver.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

QString program(GeneratedPageSession::Browser browser)
{
    return QStandardPaths::findExecutable(browser == GeneratedPageSession::Browser::chromium ? QStringLiteral("chromium")
                                                                                            : QStringLiteral("firefox-esr"));
}

// The bounding box of the pixels of one code in an image.
QRect boxOf(const QImage& image, int code)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (CodedRows::decode(line[x]) == code)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

} // namespace

QString GeneratedOutcome::summary() const
{
    if (!captured)
        return QStringLiteral("nothing captured");
    return QStringLiteral("%1 of %2 items, called %3%4, %5 s, %6 screens%7")
        .arg(verdict.found)
        .arg(verdict.total)
        .arg(calledComplete ? QStringLiteral("complete") : QStringLiteral("incomplete"))
        .arg(verdict.whole() ? QString() : QStringLiteral(" (") + verdict.problem + QLatin1Char(')'))
        .arg(seconds, 0, 'f', 1)
        .arg(screens, 0, 'f', 1)
        .arg(stopped ? QStringLiteral(", stopped with Escape") : QString());
}

GeneratedPageSession::GeneratedPageSession(Browser browser, BrowserLaunch::Options options, QRect window)
    : m_browser(browser)
    , m_options(options)
    , m_window(window)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

GeneratedPageSession::~GeneratedPageSession()
{
    BrowserLaunch::stop(m_process);
}

bool GeneratedPageSession::installed(Browser browser)
{
    return !program(browser).isEmpty();
}

bool GeneratedPageSession::start(ScrollEngineRig& rig)
{
    BrowserLaunch::stop(m_process);
    m_profile = std::make_unique<QTemporaryDir>();
    m_view = QRect();
    const QString profile = m_profile->filePath(QStringLiteral("profile"));
    const QString url = m_server.calibrationUrl().toString();
    const QStringList args = m_browser == Browser::chromium ? BrowserLaunch::chromium(profile, m_window, m_options, url)
                                                            : BrowserLaunch::firefox(profile, m_window, m_options, url);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_profile->path()); // fresh settings every time
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_profile->filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_profile->filePath(QStringLiteral("cache")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("GTK_A11Y"), m_options.accessibility ? QStringLiteral("atspi") : QStringLiteral("none"));
    m_process.setProcessEnvironment(env);
    m_server.navigate({});
    m_process.start(program(m_browser), args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("did not start");
        return false;
    }
    const auto window = BrowserLaunch::awaitWindow(rig.windows(), m_process.processId(), m_window,
                                                   m_browser == Browser::firefox);
    if (!window) {
        m_error = QStringLiteral("no window: ") + QString::fromLocal8Bit(m_process.readAll().right(2000));
        return false;
    }
    m_app = *window;
    // The calibration page fills the view with one colour.
    const QRect bounds = m_app.bounds.toAlignedRect();
    const bool measured = QTest::qWaitFor(
        [&] {
            if (m_server.loaded() != QLatin1String("/calibration"))
                return false;
            const QRect box = boxOf(grabScreen(bounds), GeneratedPageServer::calibrationCode);
            if (box.width() < bounds.width() / 2 || box != m_view.translated(-bounds.topLeft())) {
                m_view = box.translated(bounds.topLeft());
                return false;
            }
            return true;
        },
        60000);
    if (!measured)
        m_error = QStringLiteral("the calibration page did not show");
    return measured;
}

bool GeneratedPageSession::go(const QUrl& url)
{
    m_server.navigate(url);
    const QString path = url.path();
    return QTest::qWaitFor([&] { return m_server.loaded() == path; }, 30000);
}

bool GeneratedPageSession::show(ScrollEngineRig& rig, const GeneratedPage& page, bool innerBox)
{
    const int firstMark = innerBox ? GeneratedPage::innerCodes : 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if ((attempt > 0 || m_process.state() != QProcess::Running) && !start(rig))
            continue;
        QUrl url = m_server.pageUrl(page.seed());
        if (innerBox)
            url.setQuery(QStringLiteral("inner=1"));
        if (!go(url)) {
            m_error = QStringLiteral("the page did not load");
            m_process.kill();
            continue;
        }
        // In front of the other browsers of the run (they lie at the same place).
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(m_app.number)});
        // The first item's top mark shows, in the same place twice.
        QRect last;
        const bool shown = QTest::qWaitFor(
            [&] {
                const QRect mark = boxOf(grabScreen(m_view), firstMark);
                const bool same = mark.isValid() && mark == last;
                last = mark;
                return same;
            },
            20000);
        if (shown)
            return true;
        m_error = QStringLiteral("the first item did not show");
    }
    return false;
}

GeneratedOutcome GeneratedPageSession::capture(ScrollEngineRig& rig, const X11Probe& mouse, const GeneratedPage& page,
                                               Pick pick, int pastBottom)
{
    // A section: the view, a little in from the window's sides.
    return captureSection(rig, mouse, page,
                          pick == Pick::section ? std::optional<QRect>(m_view.adjusted(4, 0, -4, pastBottom)) : std::nullopt,
                          false);
}

GeneratedOutcome GeneratedPageSession::captureInnerBox(ScrollEngineRig& rig, const X11Probe& mouse,
                                                       const GeneratedPage& page)
{
    // Inside the box's border, which has a colour of its own.
    const QRect box = boxOf(grabScreen(m_view), GeneratedPage::innerCodes - 1).translated(m_view.topLeft());
    const int border = 4 * page.scale();
    return captureSection(rig, mouse, page, box.adjusted(border, border, -border, -border), true);
}

GeneratedOutcome GeneratedPageSession::captureSection(ScrollEngineRig& rig, const X11Probe& mouse,
                                                      const GeneratedPage& page, std::optional<QRect> section,
                                                      bool innerBox)
{
    GeneratedOutcome out;
    m_lastSection = section;
    m_lastInner = innerBox;
    auto run = rig.startRun();
    QElapsedTimer timer;
    timer.start();
    if (section)
        mouse.drag(section->topLeft(), section->bottomRight());
    else
        mouse.click(m_view.center());
    // A capture that goes on and on is stopped as the user would stop it.
    QTimer escape;
    escape.setSingleShot(true);
    QObject::connect(&escape, &QTimer::timeout, [&rig, &out] {
        out.stopped = true;
        rig.keys().pressEscape();
    });
    escape.start(maximumSeconds * 1000);
    const std::optional<CapturedScreenshot> shot = awaitTask(std::move(run), (maximumSeconds + 120) * 1000);
    out.seconds = timer.elapsed() / 1000.0;
    if (!shot)
        return out;
    out.captured = true;
    m_lastImage = shot->image;
    out.calledComplete = !shot->incomplete;
    out.verdict = innerBox ? page.checkInner(shot->image) : page.check(shot->image);
    const double frame = section ? section->height() : m_app.bounds.height();
    out.screens = shot->image.height() / frame;
    // The picture and the capture's log, for a look afterwards.
    if (const QByteArray keep = qgetenv("ZENTU_TEST_KEEP_IMAGES"); !keep.isEmpty()) {
        const QString stem = QStringLiteral("%1/seed%2-%3-%4")
                                 .arg(QString::fromLocal8Bit(keep))
                                 .arg(page.seed())
                                 .arg(m_browser == Browser::chromium ? QStringLiteral("chromium") : QStringLiteral("firefox"))
                                 .arg(innerBox  ? QStringLiteral("inner")
                                      : section ? QStringLiteral("section")
                                                : QStringLiteral("window"));
        shot->image.save(stem + QStringLiteral(".png"));
        QFile log(stem + QStringLiteral(".log"));
        if (log.open(QIODevice::WriteOnly))
            log.write(debugLogMessages().join(QLatin1Char('\n')).toUtf8());
    }
    return out;
}

GeneratedOutcome GeneratedPageSession::captureAgain(ScrollEngineRig& rig, const X11Probe& mouse,
                                                    const GeneratedPage& page)
{
    return captureSection(rig, mouse, page, m_lastSection, m_lastInner);
}

GeneratedPageRuns::GeneratedPageRuns(GeneratedPageSession::Browser browser, QRect window)
    : m_browser(browser)
    , m_window(window)
{
}

GeneratedPageSession& GeneratedPageRuns::session(const GeneratedPage& page)
{
    auto& session = m_sessions[page.scale()];
    if (!session) {
        BrowserLaunch::Options options;
        options.scale = page.scale();
        session = std::make_unique<GeneratedPageSession>(m_browser, options, m_window);
    }
    return *session;
}

std::optional<GeneratedOutcome> GeneratedPageRuns::capture(ScrollEngineRig& rig, const X11Probe& mouse,
                                                           const GeneratedPage& page, Pick pick, QString* error,
                                                           int pastBottom)
{
    GeneratedPageSession& browser = session(page);
    if (!browser.show(rig, page)) {
        if (error)
            *error = browser.error();
        return std::nullopt;
    }
    return browser.capture(rig, mouse, page, pick, pastBottom);
}

std::optional<GeneratedOutcome> GeneratedPageRuns::captureInnerBox(ScrollEngineRig& rig, const X11Probe& mouse,
                                                                   const GeneratedPage& page, QString* error)
{
    GeneratedPageSession& browser = session(page);
    if (!page.hasInner() || !browser.show(rig, page, true)) {
        if (error)
            *error = page.hasInner() ? browser.error() : QStringLiteral("no inner box");
        return std::nullopt;
    }
    return browser.captureInnerBox(rig, mouse, page);
}
