#include "Screenshot/WindowScrollCapture.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/CapturePermissions.h"
#include "Platform/InputSynthesis.h"
#include "Platform/RunningApplications.h"
#include "Platform/ScreenSource.h"
#include "Platform/WindowActivation.h"
#include "Platform/WindowServer.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgress.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowShot.h"

#include <QApplication>
#include <QCoroFuture>
#include <QCoroTimer>
#include <QTimer>
#include <QWidget>
#include <QtConcurrent>
#include <chrono>
#include <cmath>

namespace {

void log(const QString& message)
{
    DebugLog::write(QStringLiteral("SCROLL ") + message);
}

// A number as the log writes decimals: always with a fraction ("1.0", "1.5").
QString decimal(qreal v)
{
    if (v == std::floor(v))
        return QString::number(v, 'f', 1);
    return QString::number(v);
}

QString whole(qreal v)
{
    return QString::number(qint64(v));
}

QString screenRecordingMessage()
{
    // One literal, so the translation table can be built from the source.
    return Localizer::t(QStringLiteral("Bildschirmaufnahme erlauben: Systemeinstellungen › Datenschutz & Sicherheit › Bildschirmaufnahme › Zentu einschalten. Danach Zentu über das Menü beenden und neu öffnen, dann erneut aufnehmen."));
}

QString accessibilityMessage()
{
    return Localizer::t(QStringLiteral("Bedienungshilfen erlauben: Systemeinstellungen › Datenschutz & Sicherheit › Bedienungshilfen › Zentu einschalten. Ohne diese Berechtigung kann Zentu das Fenster nicht scrollen. Danach erneut versuchen."));
}

// Runs its action when the scope ends, however it ends.
class OnExit {
public:
    explicit OnExit(std::function<void()> action) : m_action(std::move(action)) { }
    ~OnExit()
    {
        if (m_action)
            m_action();
    }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    std::function<void()> m_action;
};

// Our application windows step aside so the target can come to the front.
// Unmanaged windows stay: the cover and the panel, and the tray icon's own
// embedded window, which would not come back.
void hideOwnTopLevels()
{
    const QWidget* cover = ScrollCoverOverlay::shared().window();
    const QWidget* panel = ScrollProgressHUD::shared().panel();
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && w != cover && w != panel && !w->windowFlags().testFlag(Qt::BypassWindowManagerHint))
            w->hide();
}

} // namespace

WindowScrollCapture::WindowScrollCapture(Backends backends)
    : m_b(backends)
    , m_grab([](QRectF region, qreal scale) -> QCoro::Task<QImage> {
        co_return co_await QtConcurrent::run([region, scale] { return WindowShot::image(region, scale); });
    })
    , m_sleep([](int ms) -> QCoro::Task<void> { co_await QCoro::sleepFor(std::chrono::milliseconds(ms)); })
    , m_showCover([](const QRectF& rect) { ScrollCoverOverlay::shared().show(rect); })
    , m_hideOwnWindows(hideOwnTopLevels)
    , m_cleanup([] {
        ScrollCoverOverlay::shared().hide();
        ScrollProgressHUD::shared().hide();
        ScrollCancel::end();
    })
{
}

std::optional<std::pair<quint32, QRectF>> WindowScrollCapture::largestWindow(qint32 pid)
{
    const std::optional<QList<WindowInfo>> list = m_b.windows.windowList();
    if (!list)
        return std::nullopt;
    std::optional<std::pair<quint32, QRectF>> best;
    qreal bestArea = 0;
    for (const WindowInfo& w : *list) {
        if (!w.layer || *w.layer != 0 || !w.ownerPID || *w.ownerPID != pid)
            continue;
        const qreal area = w.bounds.width() * w.bounds.height();
        if (area > bestArea) {
            bestArea = area;
            best = std::make_pair(w.number, w.bounds);
        }
    }
    return best;
}

QCoro::Task<QImage> WindowScrollCapture::grab(const QRectF& region, qreal scale)
{
    co_return co_await m_grab(region, scale);
}

QCoro::Task<QImage> WindowScrollCapture::stableFrame(QRectF region, qreal scale, QSize expected)
{
    auto fits = [&](const QImage& image) { return !image.isNull() && image.size() == expected; };
    // Settle: two grabs a quarter second apart that agree.
    QImage a = co_await grab(region, scale);
    QImage b;
    QImage reference;
    bool settled = false;
    for (int attempt = 0; attempt < 12; ++attempt) {
        co_await m_sleep(250);
        b = co_await grab(region, scale);
        if (fits(a) && fits(b) && WindowShot::framesEqual(a, b)) {
            reference = b;
            settled = true;
            break;
        }
        a = b;
    }
    if (!settled)
        co_return b;
    // Confirm: the content stays put for at least 0.8 s (late repaints,
    // smooth scrolling, lazy loading), waiting at most 1.6 s.
    int waited = 0;
    for (;;) {
        co_await m_sleep(200);
        QImage next = co_await grab(region, scale);
        if (!fits(next))
            co_return reference;
        if (waited >= 800 && WindowShot::framesEqual(reference, next))
            co_return next;
        if (waited >= 1600)
            co_return next;
        waited += 200;
        reference = next;
    }
}

QCoro::Task<void> WindowScrollCapture::scrollStep(QPointF centre, int pixels)
{
    // The pointer cannot be decoupled from the mouse on X11: it is put back
    // over the section before every step, so the wheel reaches the section.
    m_b.input.warpPointer(centre);
    if (pixels == 0)
        co_return;
    const int clicks = qMax(1, int(std::lround(std::abs(pixels) / double(wheelPixelsPerClick))));
    for (int i = 0; i < clicks; ++i) {
        m_b.input.scrollWheel(pixels > 0 ? 1 : -1);
        co_await m_sleep(20);
    }
}

bool WindowScrollCapture::focusOnTarget(qint32 pid)
{
    const std::optional<quint32> active = m_b.activation.activeWindow();
    if (!active)
        return false;
    const std::optional<qint32> owner = m_b.windows.ownerPID(*active);
    return owner && *owner == pid;
}

QCoro::Task<QImage> WindowScrollCapture::captureWindowScrolling(PickedWindow target, QString name)
{
    const qint32 pid = target.pid;
    const bool sectionMode = target.scrollRegion.has_value();

    // 1. Screen recording. A negative answer of the system is not trusted on
    //    its own: a small test capture decides.
    {
        const ShareableDisplays content = m_b.screens.shareableDisplays();
        bool allowed = content.ok && m_b.permissions.preflightScreenCapture();
        if (!allowed && content.ok && !content.displays.isEmpty())
            allowed = !m_b.screens.captureDisplay(content.displays.first(), QSize(32, 20), false).isNull();
        if (!allowed) {
            m_b.permissions.requestScreenCapture();
            log(QStringLiteral("Bildschirmaufnahme fehlt — Zugriff angefragt"));
            throw CaptureError(screenRecordingMessage());
        }
    }
    // 2. Synthetic input.
    if (!m_b.permissions.isAccessibilityTrusted()) {
        log(QStringLiteral("Bedienungshilfen fehlen — Scroll-Events würden verworfen"));
        m_b.permissions.promptAccessibility();
        throw CaptureError(accessibilityMessage());
    }

    // 3. From here on every end of the run hides the cover and the panel and
    //    ends the Escape watch, after the caller has the result.
    const QList<ScreenInfo> screens = m_b.screens.screens();
    const qreal scale = screens.isEmpty() ? 2.0 : screens.first().scale;
    ScrollCancel::begin();
    const std::function<void()> cleanup = m_cleanup;
    OnExit scheduleCleanup([cleanup] {
        if (cleanup)
            QTimer::singleShot(0, QCoreApplication::instance(), cleanup);
    });

    // 4. The rectangle to scroll.
    QRectF rect;
    quint32 window = target.number;
    if (sectionMode) {
        rect = *target.scrollRegion;
        log(QStringLiteral("Abschnitt gewählt: ") + whole(rect.width()) + QLatin1Char('x') + whole(rect.height())
            + QStringLiteral(" @ ") + whole(rect.x()) + QLatin1Char(',') + whole(rect.y()));
    } else {
        rect = target.bounds;
        if (const auto largest = largestWindow(pid)) {
            window = largest->first;
            rect = largest->second;
        }
        if (rect != target.bounds)
            log(QStringLiteral("Größeres App-Fenster gewählt: ") + whole(rect.width()) + QLatin1Char('x')
                + whole(rect.height()) + QStringLiteral(" statt ") + whole(target.bounds.width()) + QLatin1Char('x')
                + whole(target.bounds.height()));
    }

    // 5. Cover the target, get our own windows out of the way.
    m_showCover(rect);
    const std::optional<RunningApplications::App> app = m_b.applications.application(pid, window);
    const QString bundleID = app ? app->id : QString();
    if (m_hideOwnWindows)
        m_hideOwnWindows();
    co_await m_sleep(150);

    // 6. Raise and focus the target window.
    m_b.activation.activate(window);
    co_await m_sleep(500);

    // 7. Who has the focus now (the application of the active window).
    {
        QString frontName = QStringLiteral("?");
        qint64 frontPID = -1;
        if (const std::optional<quint32> active = m_b.activation.activeWindow()) {
            if (const std::optional<qint32> owner = m_b.windows.ownerPID(*active)) {
                frontPID = *owner;
                const auto front = m_b.applications.application(*owner, *active);
                if (front && !front->name.isEmpty())
                    frontName = front->name;
            }
        }
        log(QStringLiteral("Nach Aktivierung vorne: ") + frontName + QStringLiteral(" (pid ") + QString::number(frontPID)
            + QStringLiteral(", Ziel-pid ") + QString::number(pid) + QLatin1Char(')'));
    }
    const QPointF centre = rect.center();
    const std::optional<QPointF> savedPointer = m_b.input.pointerPosition();

    // 8. Section mode: the pointer waits hidden over the section; it comes
    //    back where it was however the run ends.
    std::optional<OnExit> restorePointer;
    if (sectionMode) {
        InputSynthesis& input = m_b.input;
        m_b.input.warpPointer(centre);
        m_b.input.hidePointer();
        restorePointer.emplace([&input, savedPointer] {
            input.showPointer();
            if (savedPointer)
                input.warpPointer(*savedPointer);
        });
        co_await m_sleep(50);
        if (m_b.lookup) {
            if (const std::optional<PickedWindow> under = m_b.lookup->windowUnderCursor(centre)) {
                const auto underApp = m_b.applications.application(under->pid, under->number);
                log(QStringLiteral("Unter Cursor bei (") + decimal(centre.x()) + QStringLiteral(", ")
                    + decimal(centre.y()) + QStringLiteral("): ")
                    + (underApp && !underApp->name.isEmpty() ? underApp->name : QStringLiteral("?"))
                    + QStringLiteral(" (pid ") + QString::number(under->pid) + QStringLiteral(", Ziel ")
                    + QString::number(pid) + QLatin1Char(')'));
            }
        }
    }

    // 9. First frame.
    const QImage first = co_await grab(rect, scale);
    if (first.isNull())
        throw CaptureError(Localizer::t(QStringLiteral("Fenster konnte nicht abfotografiert werden. Bildschirmaufnahme erlaubt?")));
    const QSize frameSize = first.size();
    const int w = frameSize.width();
    const int h = frameSize.height();
    log(QStringLiteral("Fenster-Capture: ") + name + QStringLiteral(", Startbild ") + QString::number(w)
        + QLatin1Char('x') + QString::number(h) + QStringLiteral(", scale=") + decimal(scale));

    const int wheelStep = int(rect.height() * 0.5);
    // Keys go to whichever window has the focus: each key step first makes
    // sure that is still the target, else the scrolling ends here.
    bool focusLost = false;
    auto keyStep = [&](InputSynthesis::Key key, bool control) {
        if (!focusOnTarget(pid)) {
            if (!focusLost)
                log(QStringLiteral("Fokus nicht mehr beim Ziel — bis hier zusammensetzen"));
            focusLost = true;
            return false;
        }
        m_b.input.pressKey(key, control);
        return true;
    };

    // 10. Scroll to the top.
    QImage top = first;
    {
        QImage previous = first;
        int steps = 0;
        bool proceed = true;
        if (!sectionMode && bundleID != QLatin1String("com.apple.finder")) {
            proceed = keyStep(InputSynthesis::Key::home, true);
            if (proceed)
                co_await m_sleep(200);
        }
        const int limit = sectionMode ? 80 : 120;
        while (proceed && !ScrollCancel::requested()) {
            if (sectionMode) {
                co_await scrollStep(centre, wheelStep);
            } else if (!keyStep(InputSynthesis::Key::pageUp, false)) {
                break;
            }
            const QImage frame = co_await stableFrame(rect, scale, frameSize);
            if (frame.isNull()) {
                top = previous;
                break;
            }
            top = frame;
            if (WindowShot::framesEqual(previous, frame))
                break;
            previous = frame;
            if (++steps >= limit)
                break;
        }
        log(QStringLiteral("Nach oben gescrollt"));
        const QImage settled = co_await stableFrame(rect, scale, frameSize);
        if (!settled.isNull())
            top = settled;
    }

    // 11.
    const int expected = sectionMode ? h / 2 : h * 88 / 100;
    const int largestShift = sectionMode ? h * 72 / 100 : h * 98 / 100;
    QList<StitchStrip> strips;
    qint64 accumulated = h;
    QImage previous = top;
    QImage last = top;
    int smallShifts = 0;
    bool bandsMeasured = false;
    bool scrollbarMeasured = false;
    bool noMovementBefore = false;
    int fixedTop = 0;
    int fixedBottom = 0;
    int scrollbar = 0;

    // 12. Scroll down step by step.
    if (h <= maxHeightPx - 1) {
        while (strips.size() < maxStrips) {
            if (ScrollCancel::requested()) {
                log(QStringLiteral("Abgebrochen (ESC) — bis hier zusammensetzen"));
                break;
            }
            if (sectionMode) {
                co_await scrollStep(centre, -wheelStep);
            } else if (!keyStep(InputSynthesis::Key::pageDown, false)) {
                break;
            }
            const QImage frame = co_await stableFrame(rect, scale, frameSize);
            if (frame.isNull() || frame.size() != frameSize)
                break;
            if (WindowShot::framesEqual(previous, frame)) {
                if (noMovementBefore) {
                    log(QStringLiteral("Fensterende erreicht"));
                    break;
                }
                noMovementBefore = true;
                previous = frame;
                continue;
            }
            if (!bandsMeasured) {
                if (!sectionMode) {
                    const WindowShot::Edges edges = WindowShot::fixedEdges(previous, frame);
                    fixedTop = edges.top;
                    fixedBottom = edges.bottom;
                }
                log(QStringLiteral("Feste Ränder: oben ") + QString::number(fixedTop) + QStringLiteral(", unten ")
                    + QString::number(fixedBottom) + QStringLiteral(" px"));
            }
            const int shift = WindowShot::contentShift(previous, frame, fixedTop, fixedBottom, largestShift, expected);
            log(QStringLiteral("Schritt → Verschiebung=") + QString::number(shift) + QStringLiteral(" px"));
            if (shift <= 3) {
                if (smallShifts >= 7) {
                    log(QStringLiteral("Kein sauberer Versatz mehr — Ende (Sicherheitsnetz)"));
                    break;
                }
                ++smallShifts;
                bandsMeasured = true;
                noMovementBefore = false;
                previous = frame;
                continue;
            }
            if (!scrollbarMeasured) {
                // Measured on the scrolling band only: header and footer do
                // not move with the content and would hide the bar.
                const int band = h - fixedTop - fixedBottom;
                scrollbar = band > 0 ? WindowShot::scrollbarWidth(previous.copy(0, fixedTop, w, band),
                                                                  frame.copy(0, fixedTop, w, band), shift)
                                     : 0;
                log(QStringLiteral("Scrollleiste erkannt: ") + QString::number(scrollbar) + QStringLiteral(" px"));
            }
            const int available = h - fixedBottom - fixedTop;
            const int take = qMin(available, shift);
            if (available >= 1) {
                // copy(): the strip owns its rows, the frame can go.
                const QImage strip = frame.copy(0, h - fixedBottom - take, w, take);
                if (!strip.isNull()) {
                    strips.append({strip, take});
                    accumulated += take;
                }
            }
            log(QStringLiteral("Streifen ") + QString::number(strips.size()) + QStringLiteral(": +")
                + QString::number(take) + QStringLiteral(" px"));
            ScrollProgress::shared().setStrips(int(strips.size()));
            ScrollProgress::shared().setHeightPx(int(qMin<qint64>(accumulated, INT_MAX)));
            if (accumulated >= maxHeightPx) {
                last = frame;
                break;
            }
            smallShifts = 0;
            bandsMeasured = true;
            scrollbarMeasured = true;
            noMovementBefore = false;
            previous = frame;
            last = frame;
        }
    }

    // 13. Header (once, with the top frame), strips, footer (once).
    if (strips.isEmpty())
        log(QStringLiteral("WARNUNG: kein Streifen — Fenster reagierte evtl. nicht auf synthetisches Scrollen"));
    QList<StitchStrip> pieces;
    pieces.append({top.copy(0, 0, w, h - fixedBottom), h - fixedBottom});
    pieces.append(strips);
    if (fixedBottom > 0)
        pieces.append({last.copy(0, h - fixedBottom, w, fixedBottom), fixedBottom});
    qint64 total = 0;
    for (const StitchStrip& piece : pieces)
        total += piece.height;
    log(QStringLiteral("Fenster-Capture fertig: ") + QString::number(pieces.size()) + QStringLiteral(" Streifen, ")
        + QString::number(total) + QStringLiteral(" px hoch"));
    QImage result = stitchStrips(pieces, qMax(1, w - scrollbar), int(qMin<qint64>(total, INT_MAX)));
    result.setDevicePixelRatio(1);
    // 14. The pointer comes back and the clean-up is posted as the guards end.
    co_return result;
}
