#include "Screenshot/WindowScrollCapture.h"

#include "Storage/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/CapturePermissions.h"
#include "Platform/InputSynthesis.h"
#include "Platform/RunningApplications.h"
#include "Platform/ScreenSource.h"
#include "Platform/WindowActivation.h"
#include "Platform/WindowServer.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollStepper.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowShot.h"
#include "Screenshot/WorkerTask.h"

#include <QApplication>
#include <QCoroTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
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
    // Short: it ends as a toast.
    return Localizer::t(QStringLiteral("Der X-Server verweigert das Lesen des Bildschirms."));
}

QString accessibilityMessage()
{
    return Localizer::t(QStringLiteral("Ohne XTEST im X-Server kann Zentu.it das Fenster nicht scrollen."));
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

} // namespace

WindowScrollCapture::WindowScrollCapture(Backends backends)
    : m_b(backends)
    , m_sleep([](int ms) -> QCoro::Task<void> { co_await QCoro::sleepFor(std::chrono::milliseconds(ms)); })
{
}

// Our application windows step aside so the target can come to the front.
// Unmanaged windows stay: the cover and the panel, and the tray icon's own
// embedded window, which would not come back.
void WindowScrollCapture::hideOwnWindows() const
{
    const QWidget* cover = m_b.cover.window();
    const QWidget* panel = m_b.panel.panel();
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && w != cover && w != panel && !w->windowFlags().testFlag(Qt::BypassWindowManagerHint))
            w->hide();
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
    // The worker grabs from its own copy: it keeps the backends alive.
    const auto work = [grabber = m_b.grabber, region, scale] { return grabber.image(region, scale); };
    QImage image = co_await onWorker(work);
    co_return image;
}

// Arguments by reference: GCC 12 destroys the copy of a by-value argument
// to a coroutine twice when the call is co_awaited right away.
QCoro::Task<FrameRows> WindowScrollCapture::rowsOf(const QImage& image)
{
    // Named, not a temporary: GCC 12 may destroy temporaries of a co_await twice.
    const auto work = [image] { return FrameRows(image); };
    FrameRows rows = co_await onWorker(work);
    co_return rows;
}

QCoro::Task<FrameRows> WindowScrollCapture::stableFrame(QRectF region, qreal scale, QSize expected)
{
    auto fits = [&](const FrameRows& frame) { return !frame.isNull() && frame.image().size() == expected; };
    // Dense comparisons: sparse samples miss sparse content (a terminal's
    // text) and would take a frame still moving for a settled one.
    auto same = [](const FrameRows& a, const FrameRows& b) { return FrameMatcher::sameContent(a, b); };
    // Settle: two grabs a quarter second apart that agree. (Each co_await
    // initialises a fresh local: GCC 12 mishandles co_await in assignments.)
    QImage firstGrab = co_await grab(region, scale);
    FrameRows a = co_await rowsOf(firstGrab);
    FrameRows b;
    FrameRows reference;
    bool settled = false;
    for (int attempt = 0; attempt < 12; ++attempt) {
        co_await m_sleep(250);
        QImage grabbed = co_await grab(region, scale);
        FrameRows next = co_await rowsOf(grabbed);
        b = next;
        if (fits(a) && fits(b) && same(a, b)) {
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
        QImage grabbed = co_await grab(region, scale);
        FrameRows next = co_await rowsOf(grabbed);
        if (!fits(next))
            co_return reference;
        if (waited >= 800 && same(reference, next))
            co_return next;
        if (waited >= 1600)
            co_return next;
        waited += 200;
        reference = next;
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

QCoro::Task<CapturedScreenshot> WindowScrollCapture::captureWindowScrolling(PickedWindow target, QString name)
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
    m_b.cancel.begin();
    OnExit scheduleCleanup([cancel = QPointer<ScrollCancel>(&m_b.cancel), cover = QPointer<ScrollCoverOverlay>(&m_b.cover),
                            panel = QPointer<ScrollProgressHUD>(&m_b.panel)] {
        QTimer::singleShot(0, QCoreApplication::instance(), [cancel, cover, panel] {
            if (cover)
                cover->hide();
            if (panel)
                panel->hide();
            if (cancel)
                cancel->end();
        });
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
    m_b.cover.show(rect);
    const std::optional<RunningApplications::App> app = m_b.applications.application(pid, window);
    const QString bundleID = app ? app->id : QString();
    hideOwnWindows();
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

    // 8. The pointer waits hidden over the content while the wheel turns (from
    //    the start for a section, from the moment the wheel takes over for a
    //    whole window); it comes back where it was however the run ends.
    std::optional<OnExit> restorePointer;
    auto parkPointer = [&] {
        if (restorePointer)
            return false;
        InputSynthesis& input = m_b.input;
        input.warpPointer(centre);
        input.hidePointer();
        restorePointer.emplace([&input, savedPointer] {
            input.showPointer();
            if (savedPointer)
                input.warpPointer(*savedPointer);
        });
        return true;
    };
    if (sectionMode) {
        parkPointer();
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

    // Keys go to whichever window has the focus: each key step first makes
    // sure that is still the target, else the scrolling ends here.
    bool focusLost = false;
    auto keyGate = [&] {
        if (focusOnTarget(pid))
            return true;
        if (!focusLost)
            log(QStringLiteral("Fokus nicht mehr beim Ziel — bis hier zusammensetzen"));
        focusLost = true;
        return false;
    };
    ScrollStepper stepper(m_b.input, m_sleep, keyGate, centre, h,
                          sectionMode ? ScrollStepper::Mode::wheel : ScrollStepper::Mode::keys);
    // The keys reach nothing that scrolls (a terminal hands them to its
    // shell): the wheel under the parked pointer takes over.
    auto wheelTakesOver = [&]() -> bool {
        stepper.useWheel();
        return parkPointer();
    };

    // 10. Scroll to the top. Keys that never move the view are tried against
    //     the wheel: either the view is at its top already, or the wheel
    //     moves it and does the scrolling from now on.
    // The baseline is a settled frame: the first grab may come before the
    // window has redrawn itself for us (blank), which would look like movement.
    FrameRows top = co_await stableFrame(rect, scale, frameSize);
    if (top.isNull()) {
        FrameRows firstRows = co_await rowsOf(first);
        top = firstRows;
    }
    bool keysMoved = false;
    {
        FrameRows previous = top;
        int steps = 0;
        bool proceed = true;
        if (!sectionMode && bundleID != QLatin1String("com.apple.finder")) {
            proceed = keyGate();
            if (proceed) {
                m_b.input.pressKey(InputSynthesis::Key::home, true);
                co_await m_sleep(200);
            }
        }
        while (proceed && !m_b.cancel.requested()) {
            const bool sent = co_await stepper.towardsTop();
            if (!sent)
                break;
            FrameRows frame = co_await stableFrame(rect, scale, frameSize);
            if (frame.isNull()) {
                top = previous;
                break;
            }
            top = frame;
            const bool moved = !FrameMatcher::sameContent(previous, frame);
            if (!moved && stepper.mode() == ScrollStepper::Mode::keys && !keysMoved) {
                if (wheelTakesOver())
                    co_await m_sleep(50);
                co_await stepper.towardsTop();
                FrameRows probe = co_await stableFrame(rect, scale, frameSize);
                if (!probe.isNull() && !FrameMatcher::sameContent(frame, probe)) {
                    log(QStringLiteral("Tasten bewegen die Ansicht nicht — weiter mit dem Mausrad"));
                    previous = probe;
                    top = probe;
                    ++steps;
                    continue;
                }
                // Nothing moves it: the top. The keys stay in charge.
                stepper.useKeys();
                if (!probe.isNull())
                    top = probe;
                break;
            }
            if (!moved)
                break;
            if (stepper.mode() == ScrollStepper::Mode::keys)
                keysMoved = true;
            previous = frame;
            if (++steps >= (stepper.mode() == ScrollStepper::Mode::keys ? 120 : 80))
                break;
        }
        log(QStringLiteral("Nach oben gescrollt"));
        FrameRows settled = co_await stableFrame(rect, scale, frameSize);
        if (!settled.isNull())
            top = settled;
    }

    // 11.
    QList<StitchStrip> strips;
    qint64 accumulated = h;
    FrameRows previous = top;
    FrameRows last = top;
    int smallShifts = 0;
    bool noMovementBefore = false;
    bool keysProven = keysMoved;
    std::optional<FrameMatcher::Bands> bands; // of the last stitched step
    // Rows of the top frame in the result (all of it until a step shows its
    // footer), and the row of the last frame down to which the result holds
    // its content.
    int topCut = h;
    int stitchedEnd = h;
    bool scrollbarMeasured = false;
    int scrollbar = 0;
    // The result may lack content; each cause is logged where it arises.
    bool incomplete = false;
    auto analyse = [](const FrameRows& a, const FrameRows& b,
                      FrameMatcher::Request request) -> QCoro::Task<FrameMatcher::Match> {
        const auto work = [a, b, request] { return FrameMatcher::match(a, b, request); };
        FrameMatcher::Match match = co_await onWorker(work);
        co_return match;
    };

    // 12. Scroll down step by step; every seam is confirmed before it is stitched.
    if (h <= maxHeightPx - 1) {
        while (strips.size() < maxStrips) {
            if (m_b.cancel.requested()) {
                log(QStringLiteral("Abgebrochen (ESC) — bis hier zusammensetzen"));
                break;
            }
            const bool usedKeys = stepper.mode() == ScrollStepper::Mode::keys;
            const bool sent = co_await stepper.forward();
            if (!sent) {
                log(QStringLiteral("Unvollständig: Fokus verloren"));
                incomplete = true;
                break;
            }
            FrameRows frame = co_await stableFrame(rect, scale, frameSize);
            if (frame.isNull()) {
                log(QStringLiteral("Unvollständig: kein Bild"));
                incomplete = true;
                break;
            }
            FrameMatcher::Request request{stepper.expected(), stepper.expectedTrusted()};
            if (usedKeys && !request.expected)
                request.expected = h * 88 / 100;
            FrameMatcher::Match match = co_await analyse(previous, frame, request);
            if (!match.moved) {
                if (usedKeys && !keysProven) {
                    log(QStringLiteral("Tasten bewegen die Ansicht nicht — weiter mit dem Mausrad"));
                    if (wheelTakesOver())
                        co_await m_sleep(50);
                    continue;
                }
                if (noMovementBefore) {
                    log(QStringLiteral("Fensterende erreicht"));
                    // Over a stretch of nothing the view may move unseen.
                    if (FrameMatcher::blank(frame, bands.value_or(FrameMatcher::Bands{}))) {
                        log(QStringLiteral("Unvollständig: Ende auf leerer Fläche nicht sicher"));
                        incomplete = true;
                    }
                    break;
                }
                noMovementBefore = true;
                previous = frame;
                continue;
            }
            if (usedKeys)
                keysProven = true;
            noMovementBefore = false;
            log(QStringLiteral("Schritt → Verschiebung=") + QString::number(match.shift) + QStringLiteral(" px"));
            bool learnFromStep = true;
            if (!match.confirmed) {
                log(QStringLiteral("Naht nicht bestätigt: ") + QString::number(match.matchedRows)
                    + QStringLiteral(" von ") + QString::number(match.overlapRows) + QStringLiteral(" Zeilen gleich")
                    + (match.ambiguous ? QStringLiteral(", mehrdeutig") : QString())
                    + QStringLiteral(" — Schritt zurück"));
                // Back to the last confirmed frame, then smaller steps.
                FrameRows again;
                const bool back = co_await stepper.back();
                if (back) {
                    const FrameRows settledBack = co_await stableFrame(rect, scale, frameSize);
                    again = settledBack;
                }
                if (!again.isNull() && FrameMatcher::sameContent(previous, again)) {
                    if (stepper.mode() == ScrollStepper::Mode::keys) {
                        log(QStringLiteral("Seitenschritt zu weit — weiter mit dem Mausrad"));
                        if (wheelTakesOver())
                            co_await m_sleep(50);
                        continue;
                    }
                    if (stepper.shrink()) {
                        log(QStringLiteral("Kleinere Schritte: ") + QString::number(stepper.clicks())
                            + QStringLiteral(" Klicks"));
                        continue;
                    }
                    log(QStringLiteral("Unvollständig: Naht nicht bestätigt"));
                    incomplete = true;
                    break;
                }
                // Not back where it was: the frame it shows now may still
                // continue the content.
                if (!again.isNull()) {
                    const FrameMatcher::Match onward = co_await analyse(previous, again, FrameMatcher::Request{});
                    match = onward;
                    frame = again;
                    learnFromStep = false;
                }
                if (again.isNull() || !match.confirmed || match.shift <= 3) {
                    log(QStringLiteral("Unvollständig: Naht nicht bestätigt"));
                    incomplete = true;
                    break;
                }
                log(QStringLiteral("Schritt → Verschiebung=") + QString::number(match.shift) + QStringLiteral(" px"));
            }
            if (match.shift <= 3) {
                // The content changed in place (an animation) instead of moving.
                if (smallShifts >= 7) {
                    log(QStringLiteral("Kein sauberer Versatz mehr — Ende (Sicherheitsnetz)"));
                    log(QStringLiteral("Unvollständig: Inhalt ändert sich ohne zu scrollen"));
                    incomplete = true;
                    break;
                }
                ++smallShifts;
                previous = frame;
                continue;
            }
            const FrameMatcher::Bands now = match.bands;
            const int band = h - now.top - now.bottom;
            if (learnFromStep)
                stepper.learn(match.shift, band);
            if (stepper.mode() == ScrollStepper::Mode::wheel && learnFromStep)
                log(QStringLiteral("Mausrad: ") + QString::number(stepper.pixelsPerClick(), 'f', 1)
                    + QStringLiteral(" px pro Klick, nächster Schritt ") + QString::number(stepper.clicks())
                    + QStringLiteral(" Klicks"));
            if (!bands || *bands != now)
                log(QStringLiteral("Feste Ränder: oben ") + QString::number(now.top) + QStringLiteral(", unten ")
                    + QString::number(now.bottom) + QStringLiteral(" px"));
            log(QStringLiteral("Naht bestätigt: ") + QString::number(match.matchedRows) + QStringLiteral(" von ")
                + QString::number(match.overlapRows) + QStringLiteral(" Zeilen gleich"));
            if (!scrollbar) {
                // Measured on the scrolling band only: header and footer do
                // not move with the content and would hide the bar. A thin
                // thumb escapes the sparse rows; the shared rows are compared
                // densely too, on every step until a bar shows.
                const int sparse = band > 0 ? WindowShot::scrollbarWidth(previous.image().copy(0, now.top, w, band),
                                                                         frame.image().copy(0, now.top, w, band),
                                                                         match.shift)
                                            : 0;
                scrollbar = qMax(sparse, FrameMatcher::scrollbarWidth(previous, frame, match.shift, now));
                if (!scrollbarMeasured || scrollbar)
                    log(QStringLiteral("Scrollleiste erkannt: ") + QString::number(scrollbar) + QStringLiteral(" px"));
                scrollbarMeasured = true;
            }
            // The rows that came into view: from below what the result holds
            // down to this frame's footer. (Footers differ from step to step
            // where blank content next to them is taken for part of them.)
            if (!bands) {
                topCut = h - now.bottom;
                stitchedEnd = topCut;
            }
            bands = now;
            stitchedEnd -= match.shift;
            if (stitchedEnd < now.top) {
                // Rows went under the header before they were seen whole.
                log(QStringLiteral("Unvollständig: Inhalt unter der Kopfzeile verpasst"));
                incomplete = true;
                stitchedEnd = now.top;
            }
            const int take = h - now.bottom - stitchedEnd;
            if (take > 0) {
                // copy(): the strip owns its rows, the frame can go.
                const QImage strip = frame.image().copy(0, stitchedEnd, w, take);
                if (!strip.isNull()) {
                    strips.append({strip, take});
                    accumulated += take;
                }
                stitchedEnd += take;
            }
            log(QStringLiteral("Streifen ") + QString::number(strips.size()) + QStringLiteral(": +")
                + QString::number(take) + QStringLiteral(" px"));
            m_b.panel.progress().setStrips(int(strips.size()));
            m_b.panel.progress().setHeightPx(int(qMin<qint64>(accumulated, INT_MAX)));
            smallShifts = 0;
            previous = frame;
            last = frame;
            if (accumulated >= maxHeightPx) {
                log(QStringLiteral("Unvollständig: Höhengrenze erreicht"));
                incomplete = true;
                break;
            }
        }
        if (strips.size() >= maxStrips) {
            log(QStringLiteral("Unvollständig: Streifengrenze erreicht"));
            incomplete = true;
        }
    } else {
        log(QStringLiteral("Unvollständig: Höhengrenze erreicht"));
        incomplete = true;
    }

    // 13. Header (once, with the top frame), strips, footer (once).
    if (strips.isEmpty()) {
        log(QStringLiteral("WARNUNG: kein Streifen — Fenster reagierte evtl. nicht auf synthetisches Scrollen"));
        if (!incomplete && !m_b.cancel.requested()) {
            log(QStringLiteral("Unvollständig: nichts gescrollt"));
            incomplete = true;
        }
    }
    // The last frame's rows below what the result holds: its footer (and
    // content next to it that was taken for part of it).
    QList<StitchStrip> pieces;
    pieces.append({top.image().copy(0, 0, w, topCut), topCut});
    pieces.append(strips);
    if (stitchedEnd < h)
        pieces.append({last.image().copy(0, stitchedEnd, w, h - stitchedEnd), h - stitchedEnd});
    qint64 total = 0;
    for (const StitchStrip& piece : pieces)
        total += piece.height;
    log(QStringLiteral("Fenster-Capture fertig: ") + QString::number(pieces.size()) + QStringLiteral(" Streifen, ")
        + QString::number(total) + QStringLiteral(" px hoch"));
    QImage result = stitchStrips(pieces, qMax(1, w - scrollbar), int(qMin<qint64>(total, INT_MAX)));
    // 14. The pointer comes back and the clean-up is posted as the guards end.
    co_return CapturedScreenshot::make(std::move(result), CaptureKind::scrolling, incomplete);
}
