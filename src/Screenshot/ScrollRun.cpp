#include "Screenshot/ScrollRun.h"

#include "Localization/Localizer.h"
#include "Platform/CapturePermissions.h"
#include "Platform/InputSynthesis.h"
#include "Platform/ApplicationIdentity.h"
#include "Platform/ScreenSource.h"
#include "Platform/WindowActivation.h"
#include "Platform/WindowServer.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/ColumnColour.h"
#include "Screenshot/EndRowsWatch.h"
#include "Screenshot/FadingEdge.h"
#include "Screenshot/FixedBoxes.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/PlainCrossing.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollInputPolicy.h"
#include "Screenshot/StillOverBottom.h"
#include "Screenshot/WorkerTask.h"
#include "Debug/DebugLog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

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

// A step that moved, where the votes propose a shift, yet no cell column
// follows it: something standing over the rows in common (a banner across
// the view, content still moving below it) covers what moved in one frame.
bool coveredMoving(const FrameMatcher::Match& m)
{
    return m.moved && m.doubt == FrameMatcher::Doubt::littleContent && m.evidence == 0 && m.matchedRows == 0;
}

// A seam that may be stitched.
bool usable(const FrameMatcher::Match& m)
{
    return m.moved && m.confirmed && m.shift > 3;
}

// Nothing moved, or the shift is certain (if small).
bool decided(const FrameMatcher::Match& m)
{
    return !m.moved || m.confirmed;
}

// A seam not confirmed: what stood against it, and what comes `then`.
void log(const FrameMatcher::Match& m, const QString& then)
{
    const QString shift = QString::number(m.shift);
    const QString rows = QString::number(m.matchedRows);
    const QString common = QString::number(m.overlapRows);
    if (!m.moved) {
        log(QStringLiteral("Naht nicht bestätigt: Ansicht unverändert — %1").arg(then));
        return;
    }
    switch (m.doubt) {
    case FrameMatcher::Doubt::none:
        log(QStringLiteral("Naht nicht bestätigt: bei %1 px kaum bewegt — %2").arg(shift, then));
        return;
    case FrameMatcher::Doubt::noShift:
        log(QStringLiteral("Naht nicht bestätigt: kein Versatz mit gemeinsamen Zeilen gefunden — %1").arg(then));
        return;
    case FrameMatcher::Doubt::shortOverlap:
        log(QStringLiteral("Naht nicht bestätigt: bei %1 px nur %2 gemeinsame Zeilen — %3").arg(shift, common, then));
        return;
    case FrameMatcher::Doubt::littleContent:
        log(QStringLiteral("Naht nicht bestätigt: bei %1 px %2 von %3 Zeilen gleich, aber nur %4 Zellen belegen den Versatz — %5")
                .arg(shift, rows, common, QString::number(m.evidence), then));
        return;
    case FrameMatcher::Doubt::contradicted:
        log(QStringLiteral("Naht nicht bestätigt: bei %1 px %2 von %3 Zeilen gleich, aber %4 Zellen passen weder zum "
                           "Versatz noch zum Stillstand — %5")
                .arg(shift, rows, common, QString::number(m.contradicting), then));
        return;
    case FrameMatcher::Doubt::ambiguous:
        log(QStringLiteral("Naht nicht bestätigt: bei %1 px %2 von %3 Zeilen gleich, aber andere Versätze passen ebenso — %4")
                .arg(shift, rows, common, then));
        return;
    }
}

// Settling the frame of a step: the application needs a moment to react to
// the input before an unchanged view means anything.
constexpr int longerSettleMs = 600;
// A step that moved clearly less than expected is looked at again after at
// most this long.
constexpr int stillGlidingMs = 250;
// How long the view is watched at the end for the page to grow (a page that
// appends items once its end comes near does so within about a second).
constexpr int growthWatchMs = 1500;
// An overlay scrollbar over the view's bottom edge fades out within this long
// after the last scroll, even on a busy machine.
constexpr int overlayFadeMs = 3000;
// How often the edge is looked at meanwhile.
constexpr int fadeLookMs = 120;
// Rows around a box told over three views that count as its own.
constexpr int boxPadding = 8;
// Seam retries: each a step back and a smaller step.
constexpr int seamRetries = ScrollStops::seamRetries;
// Scrolling to the top ends after this long even on a view that keeps
// changing; the content is captured from where it then stands.
constexpr int topPhaseMs = 30000;
// How long a browser keeps sending wheel clicks to what it scrolled last.
constexpr int wheelTransactionMs = 1600;

} // namespace

ScrollRun::ScrollRun(const WindowScrollCapture::Backends& backends, WindowScrollCapture::Sleep sleep,
                     ScrollGuard guard, const PickedWindow& target, const QString& name)
    : m_b(backends)
    , m_sleep(std::move(sleep))
    , m_guard(std::move(guard))
    , m_target(target)
    , m_name(name)
    , m_section(target.scrollRegion.has_value())
    , m_settler([this] { return grabRows(); }, m_sleep, backends.clock, m_guard)
{
}

ScrollRun::~ScrollRun() = default;

QCoro::Task<CapturedScreenshot> ScrollRun::run()
{
    readScale();
    // (The capture that runs it begins the Escape watch and hides the cover
    // and the panel once its last run is over.)
    chooseRectangle();
    co_await bringToFront();
    // The pointer comes back where it was however the run ends.
    OnExit restorePointer([this] { putPointerBack(); });
    co_await takeFirstFrame();
    chooseInput();
    const qint64 start = m_b.clock.milliseconds();
    co_await scrollToTop();
    co_await takeWindowRows(true);
    const qint64 atTop = m_b.clock.milliseconds();
    m_lastStripMs = atTop; // the top frame's rows
    const ScrollStop stop = co_await scrollDown();
    co_await checkPageStayed();
    // The reason the scrolling ended comes first, before what it found on the way.
    note(stop);
    m_stops.move(m_stops.size() - 1, 0);
    co_await takeWindowRows(false);
    const qint64 atEnd = m_b.clock.milliseconds();
    co_await checkStartStayed();
    CapturedScreenshot shot = assemble();
    // Where the time went, whatever the machine's load.
    const qint64 lastStrip = qBound(atTop, m_lastStripMs, atEnd);
    log(QStringLiteral("Zeiten: nach oben %1 ms, abwärts %2 ms, Ende erkennen %3 ms, Rückweg zum Anfang %4 ms")
            .arg(atTop - start)
            .arg(lastStrip - atTop)
            .arg(atEnd - lastStrip)
            .arg(m_b.clock.milliseconds() - atEnd));
    co_return shot;
}

void ScrollRun::readScale()
{
    const QList<ScreenInfo> screens = m_b.screens.screens();
    m_scale = screens.isEmpty() ? 2.0 : screens.first().scale;
}

// The section, or the largest window of the application.
void ScrollRun::chooseRectangle()
{
    m_window = m_target.number;
    if (m_section) {
        // A section dragged past the window's edge shows only what the
        // window shows: beyond it lies another window or the desktop, which
        // does not scroll with the content.
        m_rect = *m_target.scrollRegion;
        if (!m_target.bounds.isEmpty() && m_target.bounds.intersects(m_rect))
            m_rect = m_rect.intersected(m_target.bounds);
        if (SectionSurroundings::mayHoldBox(m_target.bounds, m_rect, m_scale, &m_nearEdge))
            m_surroundings.emplace(m_target.bounds, m_rect, m_scale);
        log(QStringLiteral("Abschnitt gewählt: ") + whole(m_rect.width()) + QLatin1Char('x') + whole(m_rect.height())
            + QStringLiteral(" @ ") + whole(m_rect.x()) + QLatin1Char(',') + whole(m_rect.y()));
        return;
    }
    m_rect = m_target.bounds;
    if (const auto largest = WindowScrollCapture::largestWindow(m_b.windows, m_target.pid)) {
        m_window = largest->first;
        m_rect = largest->second;
    }
    if (m_rect != m_target.bounds)
        log(QStringLiteral("Größeres App-Fenster gewählt: ") + whole(m_rect.width()) + QLatin1Char('x')
            + whole(m_rect.height()) + QStringLiteral(" statt ") + whole(m_target.bounds.width()) + QLatin1Char('x')
            + whole(m_target.bounds.height()));
    if (m_b.lookup)
        if (const std::optional<QRectF> view = m_b.lookup->scrolledView(m_rect.center(), m_rect, m_target.pid)) {
            log(QStringLiteral("Ansicht laut Bedienungshilfen: ") + whole(view->width()) + QLatin1Char('x')
                + whole(view->height()) + QStringLiteral(" @ ") + whole(view->x()) + QLatin1Char(',') + whole(view->y()));
            narrowTo(*view);
        }
}

// From now on frames show the view only; the window's rows around it come
// once, from grabs of the whole window.
void ScrollRun::narrowTo(const QRectF& view)
{
    m_windowRect = m_rect;
    m_rect = view;
    if (m_surroundings)
        m_surroundings->setSection(view);
}

// The first step down tells which rows of the window (or of the section)
// move: only those are the view. The rows above them are the top frame's,
// at the top of the content; from here on frames show the view only.
FrameRows ScrollRun::narrowToMovingRows(const FrameRows& frame, QList<FrameRows>* earlier)
{
    if (!m_windowRect.isEmpty() || m_stitcher.started() || gone())
        return frame;
    const std::optional<ScrolledView::Rows> rows = ScrolledView::movingRows(m_previous, frame, m_settler.ignore());
    if (!rows)
        return frame;
    log(QStringLiteral("Ansicht: Zeilen ") + QString::number(rows->top) + QStringLiteral(" bis ")
        + QString::number(rows->bottom) + QStringLiteral(" von ") + QString::number(m_h)
        + QStringLiteral(" bewegen sich"));
    narrowTo(QRectF(m_rect.x(), m_rect.y() + rows->top / m_scale, m_rect.width(), (rows->bottom - rows->top) / m_scale));
    const int h = rows->bottom - rows->top;
    auto crop = [&](const FrameRows& f) { return FrameRows(f.image().copy(0, rows->top, m_w, h)); };
    m_windowAbove = m_top.image().copy(0, 0, m_w, rows->top);
    m_windowAtTop = m_top.image();
    m_top = crop(m_top);
    m_previous = crop(m_previous);
    m_last = crop(m_last);
    m_first = m_first.copy(0, rows->top, m_w, h);
    m_frameSize = m_first.size();
    m_h = h;
    // What it learned was in the window's rows.
    m_settler = FrameSettler([this] { return grabRows(); }, m_sleep, m_b.clock, m_guard);
    m_settler.setExpectedSize(m_frameSize);
    if (earlier)
        for (FrameRows& f : *earlier)
            f = crop(f);
    return crop(frame);
}

// The window's rows above the view (at the top of the content) or below it
// (at its end), as wide as the view; those above only where the view was
// known before the first frame.
QCoro::Task<void> ScrollRun::takeWindowRows(bool above)
{
    if (m_windowRect.isEmpty() || gone())
        co_return;
    const QImage window = co_await m_guard.grab(m_windowRect, m_scale);
    if (window.isNull())
        co_return;
    const int left = int(std::lround((m_rect.left() - m_windowRect.left()) * m_scale));
    const int top = int(std::lround((m_rect.top() - m_windowRect.top()) * m_scale));
    if (above)
        m_windowAtTop = window;
    else
        m_windowAtEnd = window;
    if (above && m_windowAbove.isNull())
        m_windowAbove = window.copy(left, 0, m_w, top);
    else
        m_windowBelow = window.copy(left, top + m_h, m_w, window.height() - top - m_h);
    if (!above && !m_aroundAtEnd.isNull()) {
        // The box ended with a step that moved the page: its rows below the
        // view as they were before that step.
        const QPointF origin = m_surroundings->window().topLeft();
        const QPoint at(int(std::lround((m_rect.left() - origin.x()) * m_scale)),
                        int(std::lround((m_rect.top() - origin.y()) * m_scale)) + m_h);
        m_windowBelow = m_aroundAtEnd.copy(at.x(), at.y(), m_w, m_windowBelow.height());
    }
}

// A section's own rows around the view, taken for standing still when the
// first step did not change them (they were plain then), changed since on
// the way down, before anything ended: they scroll with the view, no box's
// frame.
bool ScrollRun::rowsAroundScrolled() const
{
    if (m_surroundings || m_windowAtTop.isNull() || m_around.isNull() || m_windowAtTop.size() != m_around.size())
        return false;
    QImage top = m_windowAtTop.convertToFormat(QImage::Format_RGB32);
    const int y = int(std::lround((m_rect.top() - m_windowRect.top()) * m_scale));
    QPainter(&top).fillRect(QRect(0, y, top.width(), m_h), Qt::black);
    const FrameMatcher::Change change = FrameMatcher::change(FrameRows(top), FrameRows(m_around));
    return change.cells > 0 && !FrameMatcher::localChange(change);
}

// The rows of the section around the view (the view's rows blanked).
QCoro::Task<QImage> ScrollRun::grabAround()
{
    if (m_surroundings && !gone()) {
        const QImage window = co_await m_guard.grab(m_surroundings->window(), m_scale);
        co_return m_surroundings->blanked(window);
    }
    if (m_windowRect.isEmpty() || gone())
        co_return QImage();
    QImage whole = co_await m_guard.grab(m_windowRect, m_scale);
    if (whole.isNull())
        co_return QImage();
    whole = whole.convertToFormat(QImage::Format_RGB32);
    const int top = int(std::lround((m_rect.top() - m_windowRect.top()) * m_scale));
    QPainter(&whole).fillRect(QRect(0, top, whole.width(), m_h), Qt::black);
    co_return whole;
}

// Our application windows step aside so the target can come to the front.
// Unmanaged windows stay: the cover and the panel, and the tray icon's own
// embedded window, which would not come back.
void ScrollRun::hideOwnWindows() const
{
    const QWidget* cover = m_b.cover.window();
    const QWidget* panel = m_b.panel.panel();
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && w != cover && w != panel && !w->windowFlags().testFlag(Qt::BypassWindowManagerHint))
            w->hide();
}

bool ScrollRun::focusOnTarget()
{
    if (gone())
        return false;
    const std::optional<quint32> active = m_b.activation.activeWindow();
    if (!active)
        return false;
    const std::optional<qint32> owner = m_b.windows.ownerPID(*active);
    return owner && *owner == m_target.pid;
}

// Keys go to whichever window has the focus: each key step first makes sure
// that is still the target, else the scrolling ends there.
bool ScrollRun::keyGate()
{
    if (focusOnTarget())
        return true;
    if (!m_focusLost)
        log(QStringLiteral("Fokus nicht mehr beim Ziel — bis hier zusammensetzen"));
    m_focusLost = true;
    return false;
}

QCoro::Task<void> ScrollRun::bringToFront()
{
    m_b.cover.show(m_rect);
    const std::optional<ApplicationIdentity::App> app = m_b.applications.applicationOfProcess(m_target.pid, m_window);
    m_inputKind = app ? ScrollInputPolicy::kindOf(app->id, app->windowClass) : ScrollInputPolicy::Kind::ordinary;
    hideOwnWindows();
    co_await m_sleep(150);
    if (gone())
        co_return;

    // Raise and focus the target window, then wait until it has the focus
    // (a moment more for it to draw itself in front).
    m_b.activation.activate(m_window);
    for (int waited = 0; waited < 600 && !focusOnTarget(); waited += 50)
        co_await m_sleep(50);
    co_await m_sleep(100);
    if (gone())
        co_return;

    QString frontName = QStringLiteral("?");
    qint64 frontPID = -1;
    if (const std::optional<quint32> active = m_b.activation.activeWindow()) {
        if (const std::optional<qint32> owner = m_b.windows.ownerPID(*active)) {
            frontPID = *owner;
            const auto front = m_b.applications.applicationOfProcess(*owner, *active);
            if (front && !front->name.isEmpty())
                frontName = front->name;
        }
    }
    log(QStringLiteral("Nach Aktivierung vorne: ") + frontName + QStringLiteral(" (pid ") + QString::number(frontPID)
        + QStringLiteral(", Ziel-pid ") + QString::number(m_target.pid) + QLatin1Char(')'));
    m_centre = m_rect.center();
    m_savedPointer = m_guard.pointerPosition();

    // The pointer waits hidden over the content while the wheel turns (from
    // the start for a section, from the moment the wheel takes over for a
    // whole window).
    if (m_section) {
        parkPointer();
        co_await m_sleep(50);
        if (!gone() && m_b.lookup) {
            if (const std::optional<PickedWindow> under = m_b.lookup->windowUnderCursor(m_centre)) {
                const auto underApp = m_b.applications.applicationOfProcess(under->pid, under->number);
                log(QStringLiteral("Unter Cursor bei (") + decimal(m_centre.x()) + QStringLiteral(", ")
                    + decimal(m_centre.y()) + QStringLiteral("): ")
                    + (underApp && !underApp->name.isEmpty() ? underApp->name : QStringLiteral("?"))
                    + QStringLiteral(" (pid ") + QString::number(under->pid) + QStringLiteral(", Ziel ")
                    + QString::number(m_target.pid) + QLatin1Char(')'));
            }
        }
    }
}

bool ScrollRun::parkPointer()
{
    if (m_pointerParked || gone())
        return false;
    m_guard.warpPointer(m_centre);
    m_guard.hidePointer();
    m_pointerParked = true;
    return true;
}

void ScrollRun::putPointerBack()
{
    if (!m_pointerParked || gone())
        return;
    m_guard.showPointer();
    if (m_savedPointer)
        m_guard.warpPointer(*m_savedPointer);
    m_pointerParked = false;
}

QCoro::Task<FrameRows> ScrollRun::grabRows()
{
    const QImage image = co_await m_guard.grab(m_rect, m_scale);
    const auto work = [image] { return FrameRows(image); };
    FrameRows rows = co_await onWorker(work);
    co_return rows;
}

QCoro::Task<FrameRows> ScrollRun::settled(const FrameRows& before, int reactMs)
{
    FrameRows frame = co_await m_settler.settle(before, reactMs, FrameSettler::maximumMs);
    co_return frame;
}

// The cells of `frame` no comparison looks at: those that change by
// themselves, the badges seen standing over the content (a clock's first
// digits change too seldom to be learned, and when they do, nothing moved),
// and the columns known to stand still beside the content (which
// may still move where the page ends, as a sticky column does at the bottom
// of its container: they show in the first frame only); with `covered`, also
// the rows where something stood over the content of the newest strip.
CellMask ScrollRun::leftOut(const FrameRows& frame, bool covered) const
{
    CellMask mask = m_settler.volatileCells();
    if (frame.isNull() || (m_fixed.empty() && m_badges.isEmpty() && m_boxes.isEmpty() && !covered))
        return mask;
    if (mask.rows() != frame.height() || mask.cells() != frame.cells())
        mask = CellMask(frame.height(), frame.cells());
    if (m_badges.rows() == frame.height() && m_badges.cells() == frame.cells())
        mask.unite(m_badges);
    if (m_boxes.rows() == frame.height() && m_boxes.cells() == frame.cells())
        mask.unite(m_boxes);
    for (int c = 0; c < frame.cells(); ++c)
        if (besideContent(frame, c))
            for (int y = 0; y < frame.height(); ++y)
                mask.insert(y, c);
    if (covered)
        for (int y = 0; y < int(m_lastFrame.covered.size()) && y < frame.height(); ++y)
            if (m_lastFrame.covered[size_t(y)])
                for (int c = 0; c < frame.cells(); ++c)
                    mask.insert(y, c);
    return mask;
}

// The content shows one colour only, apart from what stands over it or
// beside it: nothing in it tells whether it moved.
bool ScrollRun::plain(const FrameRows& frame) const
{
    const CellMask mask = leftOut(frame, true);
    return FrameMatcher::blank(frame, m_bands.value_or(FrameMatcher::Bands{}), mask.isEmpty() ? nullptr : &mask);
}

QCoro::Task<FrameMatcher::Match> ScrollRun::analyse(const FrameRows& a, const FrameRows& b, int expected,
                                                    bool trusted)
{
    // The worker works on copies.
    const CellMask mask = leftOut(a, false);
    const auto work = [a, b, expected, trusted, mask] {
        const FrameMatcher::Request request{expected, trusted, mask.isEmpty() ? nullptr : &mask};
        return FrameMatcher::match(a, b, request);
    };
    FrameMatcher::Match match = co_await onWorker(work);
    co_return match;
}

QCoro::Task<void> ScrollRun::takeFirstFrame()
{
    const FrameRows first = co_await grabRows();
    if (first.isNull() || gone())
        throw CaptureError(Localizer::t(QStringLiteral("Fenster konnte nicht abfotografiert werden. Bildschirmaufnahme erlaubt?")));
    m_first = first.image();
    m_frameSize = m_first.size();
    m_w = m_frameSize.width();
    m_h = m_frameSize.height();
    m_settler.setExpectedSize(m_frameSize);
    log(QStringLiteral("Fenster-Capture: ") + m_name + QStringLiteral(", Startbild ") + QString::number(m_w)
        + QLatin1Char('x') + QString::number(m_h) + QStringLiteral(", scale=") + decimal(m_scale));
    m_stepper = std::make_unique<ScrollStepper>(m_guard, m_sleep, [this] { return keyGate(); }, m_centre, m_h,
                                                m_section ? ScrollStepper::Mode::wheel : ScrollStepper::Mode::keys);
}

// Keys move a selection or a caret where the window shows a list, a table, a
// tree or an editable text, and a terminal hands them to its program: there
// the wheel scrolls, which leaves what the user had selected alone and
// sends no command. Neither is ever given a key.
void ScrollRun::chooseInput()
{
    if (m_section || gone())
        return;
    if (!ScrollInputPolicy::keysAllowed(m_inputKind)) {
        log(m_inputKind == ScrollInputPolicy::Kind::terminal ? QStringLiteral("Terminal — nur das Mausrad, keine Tasten")
                                                             : QStringLiteral("Texteditor — nur das Mausrad, keine Tasten"));
        m_stepper->useWheel();
        parkPointer();
        return;
    }
    if (m_b.lookup && m_b.lookup->keysMoveSelection(m_centre, m_target.pid)) {
        log(QStringLiteral("Liste oder Text unter dem Fenstermittelpunkt — Mausrad statt Tasten"));
        m_stepper->useWheel();
        parkPointer();
    }
}

// Keys that never move the view are tried against the wheel: either the view
// is at its top already, or the wheel moves it and does the scrolling from
// now on (a terminal hands the keys to its shell). The phase ends as soon as
// the view stops moving.
QCoro::Task<void> ScrollRun::scrollToTop()
{
    // The baseline is a settled frame: the first grab may come before the
    // window has redrawn itself for us (blank), which would look like movement.
    const FrameRows none;
    const FrameRows baseline = co_await settled(none);
    if (!baseline.isNull())
        m_top = baseline;
    else
        m_top = FrameRows(m_first);
    auto wheelTakesOver = [this] {
        m_stepper->useWheel();
        return parkPointer();
    };
    const bool keys = m_stepper->mode() == ScrollStepper::Mode::keys;
    FrameRows previous = m_top;
    int steps = 0;
    bool proceed = !gone();
    if (proceed && keys) {
        proceed = keyGate();
        if (proceed) {
            m_guard.pressKey(InputSynthesis::Key::home, true);
            const FrameRows home = co_await settled(previous);
            if (!home.isNull()) {
                m_keysMoved = !FrameMatcher::sameContent(previous, home, m_settler.ignore());
                previous = home;
                m_top = home;
            }
        }
    }
    if (proceed && m_surroundings) {
        co_await probeInnerBox();
        // Near the window's edge the window around shows too little of the
        // page to tell its moves from a section's own end: there it is
        // looked at only over a box found.
        if (!m_innerBox && m_nearEdge)
            m_surroundings.reset();
        previous = m_top;
    }
    QElapsedTimer phase;
    phase.start();
    int topShift = 0;
    bool boxMovedAlone = false;
    // A section over a plain stretch of the page shows nothing of a step up:
    // the thumb of the window's scrollbar tells whether the page moved.
    QImage windowBefore;
    bool thumbLogged = false;
    while (proceed && !gone() && !m_b.cancel.requested()) {
        // Over an inner box, steps small enough to be taken back when the
        // box is at its top and the page around it moved instead.
        QImage aroundBefore;
        bool sent = false;
        const int innerClicks = 1;
        const bool watchThumb = m_section && !m_innerBox && !m_target.bounds.isEmpty();
        if (watchThumb && windowBefore.isNull())
            windowBefore = co_await m_guard.grab(m_target.bounds, m_scale);
        if (m_innerBox) {
            aroundBefore = co_await grabAround();
            sent = co_await m_stepper->wheelAt(m_centre, innerClicks);
        } else {
            sent = co_await m_stepper->towardsTop();
        }
        if (!sent || gone())
            break;
        const FrameRows frame = co_await settled(previous);
        if (frame.isNull()) {
            m_top = previous;
            break;
        }
        if (m_innerBox) {
            const QImage aroundAfter = co_await grabAround();
            const int carried = pageMoveAtMost(innerClicks);
            const std::optional<QPointF> holder = m_surroundings->moved(aroundBefore, aroundAfter, carried);
            // A jump of the page that brought only new rows around shows no
            // move: any wider change around is taken back and looked at.
            const std::optional<QPointF> around =
                holder ? holder : m_surroundings->changed(aroundBefore, aroundAfter, carried);
            if (holder && !boxMovedAlone) {
                // The window around moves with the section from the first
                // step up: no box of its own after all (what stood still
                // before was plain or fixed).
                log(QStringLiteral("Nach oben: die Umgebung bewegt sich mit — kein innerer Bereich"));
                m_innerBox = false;
            } else if (around && FrameMatcher::sameContent(previous, frame, m_settler.ignore())) {
                // Nothing moved in the section: the page did not scroll (a
                // picture loaded around it); the box stands at its top.
                m_top = frame;
                break;
            } else if (around) {
                if (co_await takeBackHolderStep(*around, previous, innerClicks, aroundBefore))
                    break;
                previous = m_top;
                // The step moved the box after all; on from where it was.
                log(QStringLiteral("Nach oben: die Umgebung hat sich von selbst verschoben — weiter"));
                if (++steps >= 80) {
                    note(ScrollStop::sectionShifted);
                    break;
                }
                continue;
            } else if (!FrameMatcher::sameContent(previous, frame, m_settler.ignore())) {
                boxMovedAlone = true;
            }
        }
        m_top = frame;
        bool moved = !FrameMatcher::sameContent(previous, frame, m_settler.ignore());
        if (watchThumb && !m_innerBox) {
            const QImage windowAfter = co_await m_guard.grab(m_target.bounds, m_scale);
            if (!moved) {
                const std::optional<int> travel = KnownShift::edgeThumbTravel(windowBefore, windowAfter);
                if (travel && *travel < 0) {
                    if (!thumbLogged)
                        log(QStringLiteral("Nach oben: Abschnitt unverändert, die Bildlaufleiste des Fensters bewegt sich — weiter"));
                    thumbLogged = true;
                    moved = true;
                }
            }
            windowBefore = windowAfter;
        }
        if (!moved && m_stepper->mode() == ScrollStepper::Mode::keys && !m_keysMoved) {
            if (wheelTakesOver())
                co_await m_sleep(50);
            co_await m_stepper->towardsTop();
            const FrameRows probe = co_await settled(frame);
            if (!probe.isNull() && !FrameMatcher::sameContent(frame, probe, m_settler.ignore())) {
                log(QStringLiteral("Tasten bewegen die Ansicht nicht — weiter mit dem Mausrad"));
                previous = probe;
                m_top = probe;
                ++steps;
                continue;
            }
            // Nothing moves it: the top. The keys stay in charge.
            m_stepper->useKeys();
            if (!probe.isNull())
                m_top = probe;
            break;
        }
        if (!moved)
            break;
        if (m_section && !m_innerBox) {
            // A step that moved the content less than the one before met
            // the top of what scrolls under the section: one more would
            // scroll whatever holds it (the page around an inner box).
            const FrameMatcher::Match up = co_await analyse(frame, previous, 0, false);
            if (up.confirmed && up.shift > 0) {
                if (topShift > 0 && up.shift < topShift * 9 / 10) {
                    log(QStringLiteral("Nach oben: Schritt kürzer als der vorige — Anfang erreicht"));
                    break;
                }
                topShift = qMax(topShift, up.shift);
            }
        }
        if (m_stepper->mode() == ScrollStepper::Mode::keys)
            m_keysMoved = true;
        previous = frame;
        if (++steps >= (m_stepper->mode() == ScrollStepper::Mode::keys ? 120 : 80))
            break;
        if (phase.elapsed() > topPhaseMs) {
            log(QStringLiteral("Nach oben: Ansicht kommt nicht zur Ruhe — weiter von hier"));
            break;
        }
    }
    log(QStringLiteral("Nach oben gescrollt"));
    if (!gone()) {
        const FrameRows again = co_await settled(m_top);
        if (!again.isNull())
            m_top = again;
    }
    m_keysProven = m_keysMoved;
}

// A section over a box that scrolls inside the window: one click each way
// tells, as the section moves and the window around it stands still. A click
// that moved the window around instead (the page, the box being at that end)
// is taken back where the page moved.
QCoro::Task<void> ScrollRun::probeInnerBox()
{
    for (const int clicks : {-1, 1}) {
        const QImage aroundBefore = co_await grabAround();
        if (m_aroundAtStart.isNull())
            m_aroundAtStart = aroundBefore;
        const FrameRows before = m_top;
        if (gone())
            co_return;
        const bool sent = co_await m_stepper->wheelAt(m_centre, clicks);
        if (!sent)
            co_return;
        const FrameRows frame = co_await settled(before);
        if (frame.isNull())
            co_return;
        const QImage aroundAfter = co_await grabAround();
        // Near the window's edge what the page moved goes mostly under the
        // section or out of the window: any wider change around counts.
        const int carried = pageMoveAtMost(clicks);
        const std::optional<QPointF> moved = m_nearEdge ? m_surroundings->changed(aroundBefore, aroundAfter, carried)
                                                        : m_surroundings->moved(aroundBefore, aroundAfter, carried);
        if (!moved) {
            m_top = frame;
            if (!FrameMatcher::sameContent(before, frame, m_settler.ignore())) {
                // The page may have gone on past the section's edge by more
                // than the window shows of it there: no proof of a box, and
                // the page is taken to scroll under the section.
                if (m_surroundings->changedAlongEdge(aroundBefore, aroundAfter)) {
                    log(QStringLiteral("Abschnitt: am Rand ändert sich die Seite — kein Beweis für einen inneren Bereich"));
                    m_pageUnder = m_pageUnder || clicks < 0;
                    continue;
                }
                // What shows around repeats too much to tell a move of its
                // own, yet moved as far as the section's content did.
                // (No co_await inside a conditional expression: the compiler
                // may destroy its temporaries twice.)
                const FrameRows& upper = clicks < 0 ? before : frame;
                const FrameRows& lower = clicks < 0 ? frame : before;
                const FrameMatcher::Match step = co_await analyse(upper, lower, 0, false);
                if (step.moved && step.confirmed && step.shift > 0
                    && (clicks < 0 ? SectionSurroundings::followsShift(aroundBefore, aroundAfter, step.shift)
                                   : SectionSurroundings::followsShift(aroundAfter, aroundBefore, step.shift))) {
                    log(QStringLiteral("Abschnitt: die Umgebung bewegt sich wie der Inhalt — kein innerer Bereich"));
                    m_pageUnder = m_pageUnder || clicks < 0;
                    continue;
                }
                m_innerBox = true;
                log(QStringLiteral("Abschnitt über einem inneren Bereich: die Umgebung steht still"));
                co_return;
            }
            continue;
        }
        // The window around moved with the section: the wheel there scrolls
        // the page itself.
        if (clicks < 0 && !FrameMatcher::sameContent(before, frame, m_settler.ignore()))
            m_pageUnder = true;
        co_await m_stepper->wheelAt(*moved, -clicks);
        const FrameRows back = co_await settled(frame);
        if (!back.isNull())
            m_top = back;
        // A browser sends the wheel to what it scrolled last for a while
        // (Firefox for 1.5 s), even under another point: the other way is
        // tried once that has passed.
        if (clicks < 0)
            co_await m_sleep(wheelTransactionMs);
    }
}

// Over an inner box the page around the section stands, at the end, as it
// stood at the start. If it changed on the way (a picture above the box
// loaded and pushed it down, which may not show as a move when most of what
// moved went under the section), the section may have shown other rows than
// the box's for a while.
QCoro::Task<void> ScrollRun::checkPageStayed()
{
    if (!m_innerBox || m_aroundAtStart.isNull() || gone())
        co_return;
    const QImage now = m_surroundings->blanked(co_await grabAround(), true);
    if (now.isNull() || now.size() != m_aroundAtStart.size())
        co_return;
    const FrameMatcher::Change change = FrameMatcher::change(FrameRows(m_aroundAtStart), FrameRows(now));
    if (change.cells > 0 && !FrameMatcher::localChange(change) && !m_stops.contains(ScrollStop::sectionShifted))
        note(ScrollStop::sectionShifted);
}

// A picture that loads above the view while the page keeps the view's
// content in place lengthens the page where no later frame shows it, and
// where no scrollbar's thumb tells, the result lacks those rows unnoticed.
// There, at the end, the view goes back up by what the input moved the
// content on the way down, to a quarter frame below the start: the top
// frame's content must show where that distance puts it. (A terminal's or a
// text editor's lines load nothing late; their long content would make the
// way back long.)
QCoro::Task<void> ScrollRun::checkStartStayed()
{
    if (gone() || m_innerBox || m_holderMoved || m_inputKind != ScrollInputPolicy::Kind::ordinary
        || !m_stitcher.started() || m_stitcher.frames() < 2
        || std::any_of(m_stops.cbegin(), m_stops.cend(), ScrollStops::incomplete) || grownAbove())
        co_return;
    const bool keys = m_stepper->mode() == ScrollStepper::Mode::keys;
    const double unit = keys ? double(m_stepper->keyShift()) : m_stepper->pixelsPerClick();
    if (unit <= 0)
        co_return;
    // Where the view stands against the newest strip's frame (a blank end
    // was measured from somewhere else).
    m_previous = m_last;
    const FrameRows here = co_await settled(m_last, 0);
    if (here.isNull() || gone())
        co_return;
    FrameMatcher::Match found;
    const Place place = co_await locate(here, found);
    if (place == Place::unknown)
        co_return;
    const int at = m_offset + (place == Place::below ? found.shift : place == Place::above ? -found.shift : 0);
    const int count = int(std::floor((at - m_h / 4) / unit));
    if (count < 1)
        co_return;
    const qint64 from = m_b.clock.milliseconds();
    if (keys) {
        for (int i = 0; i < count; ++i)
            if (!co_await m_stepper->back())
                co_return;
    } else {
        co_await m_stepper->wheelBack(count);
    }
    const qint64 sent = m_b.clock.milliseconds();
    const int expected = at - int(std::lround(count * unit));
    // A click or a key measured to a pixel or so: that much either way for each.
    const int tolerance = 8 + count;
    FrameRows landed = co_await settled(here);
    log(QStringLiteral("Zurück zum Anfang: %1 %2 in %3 ms, Ansicht still nach %4 ms")
            .arg(count)
            .arg(keys ? QStringLiteral("Tasten") : QStringLiteral("Klicks"))
            .arg(sent - from)
            .arg(m_b.clock.milliseconds() - sent));
    // Only a view that came to rest tells: a long smooth scroll that stalls
    // on a busy machine is looked at again while it still moves, and one
    // that keeps moving tells nothing.
    for (int look = 0;; ++look) {
        if (landed.isNull() || gone() || co_await showsTopAt(landed, expected, tolerance) || look == 3)
            co_return;
        co_await m_sleep(longerSettleMs);
        const FrameRows later = co_await settled(landed, 0);
        if (later.isNull())
            co_return;
        if (FrameMatcher::sameContent(landed, later, m_settler.ignore()))
            break;
        landed = later;
    }
    log(QStringLiteral("Zurück am Anfang: Inhalt nicht an seinem Platz (") + QString::number(expected)
        + QStringLiteral(" px unter dem Anfang erwartet)"));
    note(ScrollStop::grewAbove);
}

// Whether `frame` shows the top frame's content `expected` rows further
// down, give or take `tolerance` rows.
QCoro::Task<bool> ScrollRun::showsTopAt(const FrameRows& frame, int expected, int tolerance)
{
    const FrameMatcher::Match match = co_await analyse(m_top, frame, 0, false);
    // (At that shift every row alike, only a few cells against it, such as
    // a shadow over the content, is the same place.)
    const bool alike = match.moved && match.shift > 0 && match.overlapRows > 0
        && match.matchedRows * 10 >= match.overlapRows * 9;
    const int shift = match.moved ? match.shift : 0;
    if ((usable(match) || alike || !match.moved) && std::abs(shift - expected) <= tolerance)
        co_return true;
    // Where too little shows to measure, nothing in the rows both frames
    // share may stand against the distance.
    const CellMask mask = leftOut(m_top, false);
    const FrameMatcher::Bands bands = m_bands.value_or(FrameMatcher::Bands{});
    for (int s = qMax(0, expected - tolerance); s <= expected + tolerance; ++s)
        if (KnownShift::fitAt(m_top, frame, s, bands, mask.isEmpty() ? nullptr : &mask).agrees())
            co_return true;
    co_return false;
}

// Rows `clicks` wheel clicks may have moved the page around an inner box
// (an unmeasured click taken for a generous one).
int ScrollRun::pageMoveAtMost(int clicks) const
{
    const double click = m_stepper->pixelsPerClick() > 0 ? m_stepper->pixelsPerClick()
                                                          : ScrollStepper::generousClickPixels * m_scale;
    return int(std::lround(click * clicks));
}

// A step up over an inner box at its top moved the window around the
// section instead: scrolled back at `at`, where it moved. Whether the page
// moved with the step shows once it is back: the window around is as before
// it. If not, it moved by itself (a picture loaded) and the step, taken back
// too, moved the box, which is not at its top yet: false, with m_top what the
// section shows now.
QCoro::Task<bool> ScrollRun::takeBackHolderStep(QPointF at, const FrameRows& before, int clicks,
                                                const QImage& aroundBefore)
{
    log(QStringLiteral("Nach oben: die Umgebung des Abschnitts bewegt sich — zurück, Anfang erreicht"));
    co_await m_stepper->wheelAt(at, -clicks);
    const FrameRows back = co_await settled(before);
    m_top = before;
    const bool same = !back.isNull() && FrameMatcher::sameContent(before, back, m_settler.ignore());
    const bool aroundBack = !m_surroundings->changed(aroundBefore, co_await grabAround());
    if (!back.isNull() && !same) {
        m_top = back;
        // The box took the click back (a browser sends the wheel to what it
        // scrolled last) and shows rows further down than before, while the
        // page around stayed changed: the page changed by itself, and the
        // box went up and down. It is not known to be at its top.
        FrameMatcher::Match down;
        if (!aroundBack)
            down = co_await analyse(before, back, 0, false);
        if (down.moved && down.confirmed && down.shift > 0) {
            co_await m_sleep(wheelTransactionMs);
            co_return false;
        }
        note(ScrollStop::sectionShifted);
    }
    const bool pageBack = !same || aroundBack;
    // The next click over the section must reach the box again, not what
    // the browser scrolled last.
    co_await m_sleep(wheelTransactionMs);
    co_return pageBack;
}

// One step down (`direction` 1) or back up (-1), counted against the
// newest strip.
QCoro::Task<bool> ScrollRun::scrollStep(int direction)
{
    const bool keys = m_stepper->mode() == ScrollStepper::Mode::keys;
    const int clicks = m_stepper->clicks();
    bool sent = false;
    if (direction > 0) {
        const bool down = co_await m_stepper->forward();
        sent = down;
    } else {
        const bool up = co_await m_stepper->back();
        sent = up;
    }
    if (sent) {
        m_lastInputMs = m_b.clock.milliseconds();
        m_pagesSinceStrip += keys ? direction : 0;
        m_clicksSinceStrip += keys ? 0 : direction * clicks;
    }
    co_return sent;
}

// Scrolls down step by step; every seam is confirmed before it is stitched.
QCoro::Task<ScrollStop> ScrollRun::scrollDown()
{
    m_previous = m_top;
    m_last = m_top;
    m_offset = 0;
    if (m_h > WindowScrollCapture::maxHeightPx - 1)
        co_return ScrollStop::heightLimit;
    int smallShifts = 0;
    // Steps taken again since the newest strip: a seam that keeps failing
    // ends the run (marked incomplete) instead of stepping forever.
    int stepsAgain = 0;
    bool noMovementBefore = false;
    int heightBefore = m_stitcher.height();
    int barren = 0;
    double shortfall = 0; // rows the wheel sent that the content did not move
    // The view stood still since the newest strip (at an end, perhaps one
    // that grows): the steps that came short before say nothing more.
    bool stoodStill = false;
    while (m_stitcher.frames() <= WindowScrollCapture::maxStrips) {
        if (gone())
            co_return ScrollStop::captureGone;
        if (m_b.cancel.requested())
            co_return ScrollStop::cancelled;
        // Steps that bring no new rows (back and forth around a seam that
        // will not hold) end the run instead of going on for ever.
        if (m_stitcher.height() != heightBefore) {
            heightBefore = m_stitcher.height();
            barren = 0;
        } else if (++barren > ScrollStops::barrenSteps) {
            co_return ScrollStop::stepLimit;
        }
        const bool usedKeys = m_stepper->mode() == ScrollStepper::Mode::keys;
        const bool sent = co_await scrollStep(1);
        if (!sent)
            co_return ScrollStop::focusLost;
        FrameRows settledFrame = co_await settled(m_previous);
        if (settledFrame.isNull())
            co_return gone() ? ScrollStop::captureGone : ScrollStop::noFrame;
        settledFrame = narrowToMovingRows(settledFrame);
        if (!m_around.isNull()) {
            // The last step went short of its size: the end of what scrolls
            // under the section. Rows around it moving now means the wheel
            // moves what holds it: that is no more of its content.
            const QImage around = co_await grabAround();
            const FrameMatcher::Change change = FrameMatcher::change(FrameRows(m_around), FrameRows(around));
            // (A scrollbar beside it moves anyway, a clock changes alone.)
            const bool moved = change.cells > 0 && !FrameMatcher::localChange(change);
            if (moved && !m_innerBox && (m_pageUnder || rowsAroundScrolled())) {
                // The wheel there scrolls the page itself, which went short
                // and moves on now: it grew at its end (items appended as
                // its end came near), or content moved by itself on the way
                // (what fell short counts against the next steps). On from
                // here.
                log(QStringLiteral("Abschnitt: Rahmen bewegt sich mit der Seite — Seite gewachsen, weiter"));
                m_mayHaveGrown = true;
                m_around = QImage();
            } else if (moved) {
                log(QStringLiteral("Abschnitt: Rahmen bewegt sich — Ende des inneren Bereichs"));
                m_holderMoved = true;
                // Back where it was, for the rows around the view and for the user.
                if (m_surroundings) {
                    m_aroundAtEnd = m_around;
                    // A jump of the page that brought only new rows around
                    // shows no move: it is taken back the same way, and must
                    // then leave the window around as it was.
                    const int carried = -pageMoveAtMost(m_stepper->clicks());
                    const std::optional<QPointF> moved = m_surroundings->moved(m_around, around, carried);
                    const std::optional<QPointF> at =
                        moved ? moved : m_surroundings->changed(m_around, around, carried);
                    if (at) {
                        co_await m_stepper->wheelAt(*at, m_stepper->clicks());
                        const FrameRows back = co_await settled(settledFrame);
                        const QImage aroundBack = co_await grabAround();
                        if (moved && !back.isNull() && FrameMatcher::sameContent(m_previous, back, m_settler.ignore())
                            && m_surroundings->moved(m_around, aroundBack)) {
                            // The window around is not back as it was: it
                            // moved by itself (a picture loaded), and the step
                            // and its taking back moved the box. On from here,
                            // once the next click reaches the box again.
                            log(QStringLiteral("Abschnitt: die Umgebung hat sich von selbst verschoben — weiter"));
                            m_around = aroundBack;
                            co_await m_sleep(wheelTransactionMs);
                            continue;
                        }
                        if (!moved && m_surroundings->changed(m_around, aroundBack)) {
                            // Not the page, or not back: what the section
                            // showed on the way is not known.
                            note(ScrollStop::sectionShifted);
                            co_return ScrollStop::contentEnd;
                        }
                        // The step may have taken the box to its end before
                        // the page moved: that last part, once the page is back.
                        FrameMatcher::Match last;
                        if (!back.isNull())
                            last = co_await analyse(m_previous, back, 0, false);
                        if (usable(last)) {
                            stitch(Step{back, last, false});
                            m_aroundAtEnd = co_await grabAround();
                        } else if (back.isNull() || !FrameMatcher::sameContent(m_previous, back, m_settler.ignore())) {
                            // Neither the box's end nor where it was: what
                            // the step brought of the box is not known.
                            note(ScrollStop::sectionShifted);
                        }
                    } else if (!FrameMatcher::sameContent(m_previous, settledFrame, m_settler.ignore())) {
                        // The window around changed only next to the
                        // section, and the section moved: whether the box or
                        // the page did is not known.
                        note(ScrollStop::sectionShifted);
                    }
                }
                co_return ScrollStop::contentEnd;
            }
        }
        int expected = m_stepper->expected();
        const bool trustedBefore = m_stepper->mode() == ScrollStepper::Mode::wheel && m_stepper->expectedTrusted();
        if (usedKeys && !expected)
            expected = m_h * 88 / 100;
        const FrameMatcher::Match first = co_await analyse(m_previous, settledFrame, expected,
                                                           m_stepper->expectedTrusted());
        Step step{settledFrame, first, true};
        if (m_stepper->expectedTrusted() && first.moved && first.shift < expected * 9 / 10) {
            // Clearly short of what such a step does: perhaps still on its
            // way (a smooth scroll held up on a busy machine), one more look.
            const FrameRows later = co_await settled(settledFrame, stillGlidingMs);
            if (!later.isNull() && !FrameMatcher::sameContent(settledFrame, later, m_settler.ignore())) {
                const FrameMatcher::Match further = co_await analyse(m_previous, later, expected,
                                                                     m_stepper->expectedTrusted());
                step = Step{later, further, true};
            }
        }
        // A seam the frames could not measure: the next strip is checked
        // for rows the page grew into, also where it is taken at the known
        // distance.
        if (!step.match.moved || !step.match.confirmed)
            m_mayHaveGrown = true;
        if (!usable(step.match))
            assumeKnownShift(step);
        if (!usable(step.match) && !m_stitcher.started() && co_await crossPlainStart(step))
            continue;
        if (!step.match.moved)
            stoodStill = true;
        if (!step.match.moved) {
            if (usedKeys && !m_keysProven) {
                log(QStringLiteral("Tasten bewegen die Ansicht nicht — weiter mit dem Mausrad"));
                co_await onWithTheWheel();
                continue;
            }
            if (!noMovementBefore) {
                // A slow application: a second look after a longer wait.
                co_await m_sleep(longerSettleMs);
                const FrameRows later = co_await settled(m_previous, 0);
                if (later.isNull()) {
                    noMovementBefore = true;
                    continue;
                }
                const FrameMatcher::Match again = co_await analyse(m_previous, later, expected,
                                                                   m_stepper->expectedTrusted());
                if (!again.moved) {
                    noMovementBefore = true;
                    continue;
                }
                step = Step{later, again, true};
            } else {
                const bool afterAssumed = m_beforeAssumed.has_value();
                withdrawAssumed();
                const ScrollStop end = co_await endOrPlain(settledFrame);
                if (std::exchange(m_crossedPlain, false) || std::exchange(m_heldUp, false)) {
                    noMovementBefore = false;
                    continue;
                }
                // A shift of a few rows since the last strip was taken for a
                // change in place: at the end, those may be the page's last
                // rows, and the result would lack them.
                if (smallShifts > 0 && end == ScrollStop::contentEnd && !m_stops.contains(ScrollStop::changesInPlace))
                    note(ScrollStop::changesInPlace);
                // Standing still right after a seam nothing pinned: a step
                // back shows content move both at the end and where a plain
                // stretch taller than the view begins, so this end is not
                // known to be the page's end.
                if (afterAssumed && end == ScrollStop::contentEnd)
                    note(ScrollStop::assumedSeamAtEnd);
                // Likewise after a seam over repeated content that only the
                // step size settled: the step before the end may have fallen
                // short, and a shorter shift fitted as well.
                else if (m_settledByStep && end == ScrollStop::contentEnd)
                    note(ScrollStop::assumedSeamAtEnd);
                if (end != ScrollStop::contentEnd || m_innerBox)
                    co_return end;
                std::optional<Step> grown = co_await watchForGrowth();
                if (!grown)
                    co_return gone() ? ScrollStop::captureGone : end;
                if (m_growths > ScrollStops::growthLimit)
                    co_return ScrollStop::grewAtEnd;
                noMovementBefore = false;
                if (!grown->match.moved)
                    continue; // on from the new rows
                step = *grown;
            }
        }
        if (usedKeys)
            m_keysProven = true;
        noMovementBefore = false;
        log(QStringLiteral("Schritt → Verschiebung=") + QString::number(step.match.shift) + QStringLiteral(" px"));
        // (Before any step was measured nothing could tell that blank from
        // the end: a step back and smaller ones below try to keep something
        // of the last view in the next one.)
        if (!step.match.confirmed && plain(step.frame) && m_stitcher.started() && m_stepper->expectedTrusted()) {
            // Nothing but one colour came into view: no picture can tell
            // how far it moved.
            log(QStringLiteral("Nur noch leere Fläche im Bild"));
            const ScrollStop end = co_await endOnBlank(step.frame);
            if (std::exchange(m_crossedPlain, false))
                continue;
            co_return end;
        }
        if (!step.match.confirmed) {
            const Retry retry = co_await retrySeam(step);
            if (retry == Retry::stepAgain && ++stepsAgain > seamRetries)
                co_return ScrollStop::seamRetriesSpent;
            if (retry == Retry::stepAgain)
                continue;
            if (retry == Retry::failed && !(co_await assumeInSection(step)))
                co_return ScrollStop::seamUnconfirmed;
        }
        const int band = m_h - step.match.bands.top - step.match.bands.bottom;
        if (m_stepper->mode() == ScrollStepper::Mode::keys && step.learn && usable(step.match)
            && band - step.match.shift < ScrollStepper::keyOverlapNeeded(band)) {
            // A page key that leaves hardly any rows in both frames (a
            // browser keeps two lines) puts this and every later seam at
            // risk, and brings what stands over the top of the content (a
            // fixed badge) into the strips: back, and on with the wheel,
            // whose steps can be sized.
            log(QStringLiteral("Seitenschritt lässt nur ") + QString::number(band - step.match.shift)
                + QStringLiteral(" Zeilen Überlappung — zurück, weiter mit dem Mausrad"));
            const Retry back = co_await backToSmallerSteps(step);
            if (back == Retry::failed)
                co_return ScrollStop::seamUnconfirmed;
            if (back == Retry::stepAgain)
                continue;
        }
        // (From the first frame, a step of one click cannot be made smaller:
        // what it leaves under a box counts against the result instead.)
        const bool smallest = m_stepper->mode() == ScrollStepper::Mode::wheel && m_clicksSinceStrip <= 1;
        if (usable(step.match) && (m_stitcher.started() || !smallest)
            && m_stitcher.unseenCovered(m_stitcher.started()
                                            ? stitchFrame(step.frame, m_offset + step.match.shift, step.match)
                                            : stitchFrame(m_top, 0, step.match, true),
                                        step.match.shift) > 0) {
            // The step went so far that rows it brings lie under something
            // standing over the upper part of the view (a fixed clock), never
            // seen uncovered, or, from the first frame, past rows it showed
            // under something lower down (a box at the side): back, and
            // smaller steps.
            log(QStringLiteral("Neue Zeilen lägen unter einem festen Element — zurück, kleinere Schritte"));
            const Retry back = co_await backToSmallerSteps(step);
            if (back == Retry::failed)
                co_return ScrollStop::seamUnconfirmed;
            if (++stepsAgain > seamRetries)
                co_return ScrollStop::seamRetriesSpent;
            continue;
        }
        if (step.match.shift <= 3) {
            // The content changed in place (an animation) instead of moving.
            if (smallShifts >= 7) {
                log(QStringLiteral("Kein sauberer Versatz mehr — Ende (Sicherheitsnetz)"));
                co_return ScrollStop::changesInPlace;
            }
            ++smallShifts;
            // Rows changed in place (perhaps the page's end, grown): the
            // wheel sent moved nothing, and the next strip is checked.
            stoodStill = true;
            m_mayHaveGrown = true;
            // (A view that really moved those few rows is still measured
            // from the frame before: taken as the new start, the rows it
            // moved would be missing from the result.)
            if (!(step.match.confirmed && step.match.moved && step.match.shift > 0))
                m_previous = step.frame;
            continue;
        }
        smallShifts = 0;
        stepsAgain = 0;
        // Moved on after a step that stopped at the page's end: it grew there.
        m_grewAtEnd = m_grewAtEnd || (m_shortAtEnd && step.match.shift > 0);
        // What the clicks sent since the last strip should have moved.
        const double asked = m_clicksSinceStrip * m_stepper->pixelsPerClick();
        // Steps that stay short of what the wheel sent, a step after the
        // shortfall: the content moved by itself on the way (a picture above
        // the view loaded and pushed it down), so rows the result holds may
        // no longer be where they are. (A smooth scroll that stalled makes
        // up for it with the next step; the end of the content ends it.)
        if (trustedBefore && step.learn && !stoodStill) {
            const double before = shortfall;
            const double tolerance = qMax(8.0, m_stepper->pixelsPerClick() / 2);
            // A step whose thumb came to the end of its track stopped at the
            // end of the page as it then was: it fell short for that, not for
            // content that moved (the page may grow on at its end). What fell
            // short before still counts.
            // (Or the thumb before it told that no more rows than it moved
            // lay below the view: the page grew at its end before the
            // step's frame was taken.)
            const bool fellShort = asked - step.match.shift > tolerance && m_scrollbar > 0;
            const std::optional<KnownShift::Reach> reach = fellShort
                    && m_previous.image().cacheKey() == m_last.image().cacheKey()
                ? KnownShift::rowsBelow(m_top.image(), m_last.image(), m_scrollbar, step.match.bands.top, m_offset)
                : std::nullopt;
            const bool atEnd = fellShort
                && ((reach && std::abs(step.match.shift - reach->rows) <= reach->tolerance)
                    || KnownShift::thumbAtEnd(m_previous.image(), step.frame.image(), m_scrollbar,
                                              step.match.bands.top));
            if (atEnd) {
                log(QStringLiteral("Schritt kürzer am Seitenende (Scrollleiste am Ende)"));
                m_shortAtEnd = true;
            } else {
                shortfall += asked - step.match.shift;
            }
            if (before > tolerance && shortfall > tolerance && !m_stops.contains(ScrollStop::contentMoved))
                note(ScrollStop::contentMoved);
        } else if (!step.assumed) {
            shortfall = 0; // (an assumed step moved as asked: what fell short before still counts)
        }
        if (step.learn)
            m_known.measured(m_previous, step.frame, step.match.shift, trustedBefore ? knownDistance() : 0, m_scrollbar,
                             step.match.bands);
        // The view moved on: an earlier seam nothing pinned holds. (Not
        // after a step where the view looked the same: taken back, it goes
        // with them.)
        if (step.assumed && m_known.lastStill() && m_beforeAssumed) {
            m_beforeAssumed->clicks += m_clicksSinceStrip;
            m_beforeAssumed->pages += m_pagesSinceStrip;
        } else {
            m_beforeAssumed.reset();
            if (step.unpinned)
                m_beforeAssumed = BeforeAssumed{m_stitcher, m_offset, m_last, m_lastFrame, m_bands, m_clicksSinceStrip,
                                                m_pagesSinceStrip};
        }
        stoodStill = false;
        stitch(step);
        if (m_growths > ScrollStops::growthLimit)
            co_return ScrollStop::grewAtEnd;
        m_around = QImage();
        // Over an inner box every step; else after one that went short.
        if (m_innerBox
            || (m_section && !m_windowRect.isEmpty() && trustedBefore && step.learn && step.match.shift < asked * 9 / 10))
            m_around = co_await grabAround();
        if (m_stitcher.height() >= WindowScrollCapture::maxHeightPx)
            co_return ScrollStop::heightLimit;
    }
    co_return ScrollStop::stripLimit;
}

// A seam that cannot be confirmed is looked at again before it is given up:
// first the same view after a longer wait (it may still have been moving, or
// something in it changing), then back towards the last confirmed frame and
// forward with smaller steps, each looked at twice as well.
QCoro::Task<ScrollRun::Retry> ScrollRun::retrySeam(Step& step)
{
    const int failedClicks = m_stepper->clicks();
    // A view that changed in place says nothing about the step's size.
    const bool tooFar = step.match.doubt != FrameMatcher::Doubt::contradicted;
    log(step.match, QStringLiteral("länger warten"));
    if (co_await lookAgain(step))
        co_return Retry::confirmed;
    // (Once strips are taken, only when smaller steps did not help either.)
    if (!m_stitcher.started() && co_await throughFixedBoxes(step))
        co_return Retry::confirmed;
    for (int round = 0; round < seamRetries && !gone(); ++round) {
        log(step.match, QStringLiteral("Schritt zurück"));
        const Retry back = co_await stepBack(step);
        if (back != Retry::stepAgain)
            co_return back;
        if (m_stepper->mode() == ScrollStepper::Mode::keys) {
            log(QStringLiteral("Seitenschritt zu weit — weiter mit dem Mausrad"));
            co_await onWithTheWheel();
            co_return Retry::stepAgain;
        }
        // At one click already the same step is tried again.
        if (m_stepper->shrink())
            log(QStringLiteral("Kleinere Schritte: ") + QString::number(m_stepper->clicks()) + QStringLiteral(" Klicks"));
        if (!(co_await scrollStep(1)))
            co_return Retry::failed;
        const FrameRows smaller = co_await settled(m_previous);
        if (smaller.isNull())
            co_return Retry::failed;
        const FrameMatcher::Match m = co_await analyse(m_previous, smaller, m_stepper->expected(),
                                                       m_stepper->expectedTrusted());
        log(QStringLiteral("Schritt → Verschiebung=") + QString::number(m.shift) + QStringLiteral(" px"));
        step = Step{smaller, m, true};
        if (!decided(m)) {
            log(m, QStringLiteral("länger warten"));
            if (!(co_await lookAgain(step)))
                continue;
        }
        if (tooFar && usable(step.match) && m_stepper->clicks() < failedClicks)
            m_stepper->keepBelow(failedClicks);
        co_return Retry::confirmed;
    }
    if (m_stitcher.started() && co_await throughFixedBoxes(step))
        co_return Retry::confirmed;
    co_return Retry::failed;
}

// Takes the last step back and finds where the view then stands: showing
// content further down than the newest strip (confirmed: the step shows
// it), back there or above it (stepAgain: the seams are measured from there
// now), or nowhere the seams can tell (failed).
QCoro::Task<ScrollRun::Retry> ScrollRun::stepBack(Step& step)
{
    if (!(co_await scrollStep(-1)))
        co_return Retry::failed;
    const FrameRows back = co_await settled(step.frame);
    if (back.isNull())
        co_return Retry::failed;
    FrameMatcher::Match found;
    Place place = co_await locate(back, found);
    FrameRows at = back;
    if (place == Place::unknown && !gone()) {
        // Perhaps still on its way back.
        co_await m_sleep(longerSettleMs);
        const FrameRows later = co_await settled(back, 0);
        if (!later.isNull()) {
            at = later;
            place = co_await locate(later, found);
        }
    }
    switch (place) {
    case Place::below:
        // Not back where it was: what it shows continues the content.
        log(QStringLiteral("Naht nach dem Schritt zurück bestätigt"));
        step = Step{at, found, false};
        co_return Retry::confirmed;
    case Place::above:
        log(QStringLiteral("Zu weit zurück: ") + QString::number(found.shift)
            + QStringLiteral(" px über dem letzten Streifen"));
        rebase(at, found.shift);
        co_return Retry::stepAgain;
    case Place::there:
        // Back where the strip was taken: what changed since in one small
        // place changes by itself.
        m_settler.learnInPlace(m_previous, at);
        co_return Retry::stepAgain;
    case Place::unknown:
        break;
    }
    log(QStringLiteral("Ansicht nach dem Schritt zurück nicht wiedergefunden"));
    co_return Retry::failed;
}

// A step that brought a badge over the content into its rows, or left too
// few rows in both frames, is taken back; the next ones are smaller: the
// wheel instead of page keys, or fewer clicks than this one.
QCoro::Task<ScrollRun::Retry> ScrollRun::backToSmallerSteps(Step& step)
{
    rememberBadges(step.match);
    const int clicks = m_stepper->clicks();
    const Retry back = co_await stepBack(step);
    if (m_stepper->mode() == ScrollStepper::Mode::keys)
        co_await onWithTheWheel();
    else
        m_stepper->keepBelow(clicks);
    co_return back;
}

// From now on the wheel, under the pointer parked over the content.
QCoro::Task<void> ScrollRun::onWithTheWheel()
{
    m_stepper->useWheel();
    if (parkPointer())
        co_await m_sleep(50);
}

// The step's view once more after a longer wait (the step then shows it);
// true when that settles the seam.
QCoro::Task<bool> ScrollRun::lookAgain(Step& step)
{
    co_await m_sleep(longerSettleMs);
    if (gone())
        co_return false;
    const FrameRows later = co_await settled(step.frame, 0);
    if (later.isNull())
        co_return false;
    // What changed meanwhile in one small place changes by itself: a dot
    // that blinks more seldom than the settling looks.
    m_settler.learnInPlace(step.frame, later);
    const FrameMatcher::Match again = co_await analyse(m_previous, later, m_stepper->expected(),
                                                       m_stepper->expectedTrusted());
    step.frame = later;
    step.match = again;
    if (usable(again))
        log(QStringLiteral("Naht nach längerem Warten bestätigt"));
    co_return decided(again);
}

// A seam contradicted by cells that fit neither the step nor standing still
// may lie under a box fixed over the content: one step further shows
// whether the same box stands still over a third view. Once told, the boxes
// are left out of every seam and their rows count as covered in every
// frame; the view goes back to the step's, and true when the seam holds
// there. Strips taken before may hold the box's rows as content (its
// shadow over plain rows fit the steps): those rows are taken again from
// the views kept where they show clear of it, or count as covered.
QCoro::Task<bool> ScrollRun::throughFixedBoxes(Step& step)
{
    // (Boxes told once are told again, once, over three later views: a
    // shadow that fell on plain rows then may darken content now.)
    const bool toldBefore = !m_boxes.isEmpty();
    // (After strips whose seams were taken at the measured distance, not
    // seen: a box told now would take the run on past rows nothing pinned.)
    if (gone() || (toldBefore && m_boxesToldAgain) || (m_stitcher.started() && m_known.assumed() > 0) || !step.match.moved
        || step.match.shift <= 3
        || (step.match.doubt != FrameMatcher::Doubt::contradicted && !coveredMoving(step.match)))
        co_return false;
    if (!(co_await scrollStep(1)))
        co_return false;
    const FrameRows further = co_await settled(step.frame);
    if (further.isNull())
        co_return false;
    const FrameMatcher::Match next = co_await analyse(step.frame, further, step.match.shift, false);
    if (!next.moved)
        co_return false; // still where the step left it
    m_boxesToldAgain = toldBefore;
    const bool across = coveredMoving(step.match);
    CellMask found;
    if (next.shift > 3) {
        // (The boxes told before are no cells left out here: they are told
        // whole again, with what lies around them now.)
        const CellMask known = std::exchange(m_boxes, CellMask());
        const CellMask mask = leftOut(m_previous, false);
        m_boxes = known;
        const auto work = [a = m_previous, b = step.frame, further, first = step.match.shift, second = next.shift,
                           bands = step.match.bands, mask] {
            return FixedBoxes::confirmed(a, b, further, first, second, bands, mask.isEmpty() ? nullptr : &mask);
        };
        found = co_await onWorker(work);
    }
    if (!found.isEmpty()) {
        // (A box across the view told where nothing moving was left to
        // measure: its soft shadow fades out over rows whose cells no
        // longer tell it, and those count as the box's, as a badge's
        // padding does.)
        if (m_boxes.isEmpty())
            m_boxes = CellMask(found.rows(), found.cells());
        m_boxes.unite(found, across ? boxPadding : 0);
        log(QStringLiteral("Feste Box über drei Ansichten bestätigt: ") + QString::number(m_boxes.count())
            + QStringLiteral(" Zellen"));
    }
    if (!found.isEmpty() && m_stitcher.started())
        coverBoxesAgain();
    if (!(co_await scrollStep(-1)))
        co_return false;
    const FrameRows back = co_await settled(further);
    if (back.isNull())
        co_return false;
    const FrameMatcher::Match again = co_await analyse(m_previous, back, m_stepper->expected(),
                                                       m_stepper->expectedTrusted());
    step.frame = back;
    step.match = again;
    if (!found.isEmpty() && usable(again))
        log(QStringLiteral("Naht ohne die festen Boxen bestätigt"));
    co_return !found.isEmpty() && usable(again);
}

// The boxes just told stood over the strips taken before as well: rows the
// result took from under them are taken again from the views kept, or
// count as covered.
void ScrollRun::coverBoxesAgain()
{
    std::vector<bool> over(size_t(m_h), false);
    for (int y = 0; y < m_boxes.rows() && y < m_h; ++y)
        for (int c = 0; c < m_boxes.cells(); ++c)
            if (m_boxes.contains(y, c) && !besideContent(m_previous, c)) {
                over[size_t(y)] = true;
                break;
            }
    for (int y = 0; y < m_h && y < int(m_lastFrame.covered.size()); ++y)
        if (over[size_t(y)])
            m_lastFrame.covered[size_t(y)] = true;
    const int left = m_stitcher.coverAgain(over, m_kept);
    log(QStringLiteral("Zeilen unter der Box aus früheren Ansichten neu genommen, ") + QString::number(left)
        + QStringLiteral(" noch verdeckt"));
}

// Where `frame` stands against the frame of the newest strip: there still,
// further down (`match` is the seam from there), further up (`match` is the
// seam from `frame` to there), or nowhere the seams can tell.
QCoro::Task<ScrollRun::Place> ScrollRun::locate(const FrameRows& frame, FrameMatcher::Match& match)
{
    const FrameMatcher::Match below = co_await analyse(m_previous, frame, 0, false);
    if (!below.moved || (below.confirmed && below.shift <= 3))
        co_return Place::there;
    // Only cells next to what changes by itself changed meanwhile (the
    // slower digits of a clock whose faster ones the settler knows): the
    // view is back. (A small change elsewhere may be a sparse page moved a
    // few rows.)
    if (const CellMask* changing = m_settler.ignore()) {
        const FrameMatcher::Change change = FrameMatcher::change(m_previous, frame, changing);
        CellMask near(changing->rows(), changing->cells());
        near.unite(*changing, 4, 4);
        bool beside = FrameMatcher::localChange(change);
        for (int y = 0; beside && y < change.changed.rows(); ++y)
            for (int c = 0; beside && c < change.changed.cells(); ++c)
                beside = !change.changed.contains(y, c) || near.contains(y, c);
        if (beside)
            co_return Place::there;
    }
    if (usable(below)) {
        match = below;
        co_return Place::below;
    }
    const FrameMatcher::Match above = co_await analyse(frame, m_previous, 0, false);
    if (usable(above)) {
        match = above;
        co_return Place::above;
    }
    match = below;
    co_return Place::unknown;
}

// The view went back above the frame of the newest strip: from now on the
// seams are measured from `frame`, where the content the result holds ends
// `rowsAbove` rows further down.
void ScrollRun::rebase(const FrameRows& frame, int rowsAbove)
{
    m_previous = frame;
    m_last = frame;
    m_offset -= rowsAbove;
    m_lastFrame.image = frame.image();
    m_lastFrame.offset = m_offset;
    m_clicksSinceStrip = 0;
    m_pagesSinceStrip = 0;
}

// What the input sent since the newest strip moves the content, as earlier
// steps measured it; 0 while that is not known.
int ScrollRun::knownDistance() const
{
    if (m_stepper->mode() == ScrollStepper::Mode::keys)
        return m_pagesSinceStrip * m_stepper->keyShift();
    return int(std::lround(m_clicksSinceStrip * m_stepper->pixelsPerClick()));
}

// A step whose shift the frames cannot measure (too little in them shows
// where it went) is taken at the distance its input moved the content on
// the measured steps, where neither the pixels nor the scrollbar stand
// against it. True when the step now holds that seam.
bool ScrollRun::assumeKnownShift(Step& step)
{
    // Measured from the newest strip's frame, after at least one measured
    // seam; not in a section, which may lie over an inner box whose end only
    // the page around it tells.
    if (m_section || !m_bands || !m_stitcher.started() || !m_stepper->expectedTrusted()
        || m_previous.image().cacheKey() != m_last.image().cacheKey())
        return false;
    const int distance = knownDistance();
    const CellMask mask = leftOut(m_previous, true);
    const std::optional<FrameMatcher::Match> assumed = m_known.assume(
        m_previous, step.frame, distance, m_scrollbar, *m_bands, mask.isEmpty() ? nullptr : &mask, step.match);
    if (!assumed)
        return false;
    log(QStringLiteral("Naht angenommen: ") + QString::number(distance) + QStringLiteral(" px wie gemessen (")
        + QString::number(m_known.assumed()) + QStringLiteral(". Mal)")
        + (m_known.lastStill() ? QStringLiteral(", Ansicht unverändert") : QString()));
    step = Step{step.frame, *assumed, false, true, m_known.lastUnverified()};
    return true;
}

// A section's step that its frames could not measure, after every retry
// (nothing but a plain stretch in it, or rows that repeat): the window's own
// scrollbar around the section tells how far the page moved. The step is
// taken back and made again, the window grabbed before and after it, and
// the seam is taken at the known distance where KnownShift allows it. Not
// over an inner box, whose steps the window's thumb does not show. True when
// the step now holds that seam.
QCoro::Task<bool> ScrollRun::assumeInSection(Step& step)
{
    const int clicks = m_clicksSinceStrip;
    if (!m_section || m_innerBox || m_target.bounds.isEmpty() || !m_bands || !m_stitcher.started() || gone()
        || m_stepper->mode() != ScrollStepper::Mode::wheel || !m_stepper->expectedTrusted() || m_pagesSinceStrip != 0
        || clicks <= 0 || clicks != m_stepper->clicks() || m_previous.image().cacheKey() != m_last.image().cacheKey()
        || !step.match.moved || step.match.doubt == FrameMatcher::Doubt::contradicted)
        co_return false;
    const int distance = knownDistance();
    if (!(co_await scrollStep(-1)))
        co_return false;
    const FrameRows back = co_await settled(step.frame);
    const QImage before = co_await m_guard.grab(m_target.bounds, m_scale);
    if (back.isNull() || !FrameMatcher::sameContent(narrowToMovingRows(back), m_previous, m_settler.ignore()))
        co_return false;
    if (!(co_await scrollStep(1)))
        co_return false;
    FrameRows again = co_await settled(back);
    const QImage after = co_await m_guard.grab(m_target.bounds, m_scale);
    if (again.isNull())
        co_return false;
    again = narrowToMovingRows(again);
    const FrameMatcher::Match seen = co_await analyse(m_previous, again, m_stepper->expected(), true);
    step = Step{again, seen, true};
    if (usable(seen))
        co_return true;
    const CellMask mask = leftOut(m_previous, true);
    const std::optional<FrameMatcher::Match> assumed = m_known.assumeByWindowThumb(
        m_previous, again, distance, before, after, m_offset, *m_bands, mask.isEmpty() ? nullptr : &mask, seen);
    if (!assumed)
        co_return false;
    log(QStringLiteral("Abschnitt: Naht angenommen: ") + QString::number(distance)
        + QStringLiteral(" px wie gemessen, Bildlaufleiste des Fensters bestätigt (")
        + QString::number(m_known.assumed()) + QStringLiteral(". Mal)"));
    step = Step{again, *assumed, false, true, true};
    co_return true;
}

// The first step from the top could not be measured (the view starts over
// a plain stretch, and nothing measured yet how far a click moves it): on
// with the same clicks until a step is measured, and the steps before it are
// taken at its distance where KnownShift allows. Only where the view moves
// on after it: a step that met the end of the page may have stopped short.
// Otherwise the view goes back to the first step's frame and the seam is
// retried there. True when the seams are stitched.
QCoro::Task<bool> ScrollRun::crossPlainStart(const Step& first)
{
    const int clicks = m_clicksSinceStrip;
    // A section shows nothing else of the page: the window's scrollbar
    // around it tells how far the page moved (not over a box of its own).
    if ((m_section && (m_innerBox || m_target.bounds.isEmpty())) || m_stepper->mode() != ScrollStepper::Mode::wheel
        || m_pagesSinceStrip != 0 || clicks <= 0 || clicks != m_stepper->clicks()
        || !FrameMatcher::sameContent(m_previous, m_top, m_settler.ignore()))
        co_return false;
    QList<FrameRows> frames{m_previous, first.frame};
    QList<QImage> window; // a section's: the window with each frame
    if (m_section) {
        // Grabbed right after a step each (an overlay scrollbar shows only
        // then): the first step once more from the top.
        co_await m_stepper->wheelBack(clicks);
        const FrameRows back = co_await settled(first.frame);
        window.append(co_await m_guard.grab(m_target.bounds, m_scale));
        if (!co_await m_stepper->forward())
            co_return false;
        const FrameRows again = co_await settled(back.isNull() ? m_previous : back);
        window.append(co_await m_guard.grab(m_target.bounds, m_scale));
        if (back.isNull() || again.isNull() || !FrameMatcher::sameContent(back, m_previous, m_settler.ignore())
            || !FrameMatcher::sameContent(again, first.frame, m_settler.ignore()))
            co_return false;
    }
    QList<FrameMatcher::Match> found{first.match};
    std::optional<FrameMatcher::Match> measured;
    int sent = 0;
    int stillInRow = 0;
    bool movedOn = false;
    bool edgeMoved = m_section; // the window's right edge changed on every step
    while (found.size() <= (edgeMoved ? KnownShift::thumbStartStepsMax : KnownShift::startStepsMax) && !gone()
           && !m_b.cancel.requested()) {
        if (!co_await m_stepper->forward())
            break;
        ++sent;
        FrameRows next = co_await settled(frames.last());
        if (next.isNull())
            break;
        if (m_section)
            window.append(co_await m_guard.grab(m_target.bounds, m_scale));
        if (measured) {
            // (Not narrowed now: the measured step's rows stay those it was
            // measured on.)
            movedOn = !FrameMatcher::sameContent(frames.last(), next, m_settler.ignore());
            break;
        }
        next = narrowToMovingRows(next, &frames);
        const FrameMatcher::Match m = co_await analyse(frames.last(), next, 0, false);
        frames.append(next);
        if (usable(m)) {
            measured = m;
            rememberFixed(m); // left out when the view is compared after the next step
            continue;
        }
        found.append(m);
        // (A view standing still for longer, its thumb too, is the end, or a
        // stretch no rule crosses: no use going on. One changed in place may
        // still be measured at the distance later.)
        // (In a section, the window around tells: its scrollbar moves.)
        const bool windowStill = !m_section || window.size() < 2 || window.last() == window[window.size() - 2];
        if (m_section && window.size() >= 2) {
            const QImage& before = window[window.size() - 2];
            const QRect edge(before.width() - 48, 0, 48, before.height());
            edgeMoved = edgeMoved && before.copy(edge) != window.last().copy(edge);
        }
        stillInRow = !m.moved && windowStill && KnownShift::looksSame(frames[frames.size() - 2], next, nullptr)
            ? stillInRow + 1
            : 0;
        if (stillInRow > KnownShift::stillStepsMax)
            break;
    }
    std::optional<QList<FrameMatcher::Match>> seams;
    if (measured && movedOn) {
        const FrameRows& a = frames[found.size()];
        const FrameRows& b = frames[found.size() + 1];
        const int bar = scrollbarBetween(a, b, *measured);
        const FrameMatcher::Bands bands = measured->bands;
        m_known.measured(a, b, measured->shift, 0, bar, bands);
        // Each step is measured again, now that its distance is known (as
        // any later step is): one measured otherwise ends it.
        for (qsizetype i = 0; i < found.size(); ++i) {
            const FrameMatcher::Match again = co_await analyse(frames[i], frames[i + 1], measured->shift, true);
            if (usable(again) && again.shift != measured->shift) {
                found.clear();
                break;
            }
            if (usable(again))
                found[i] = again;
        }
        CellMask mask = leftOut(m_previous, true);
        KnownShift::OutsideThumb outside;
        if (m_section) {
            window.resize(qMin(window.size(), found.size() + 2));
            outside.images = window;
            // What stood in the section through all of it, the measured
            // step included, is no content (an edge, a box over it).
            const CellMask standing = KnownShift::standing(frames);
            if (standing.rows() == mask.rows() && standing.cells() == mask.cells())
                mask.unite(standing);
            if (window.size() == found.size() + 2)
                outside.column = KnownShift::thumbColumn(window[found.size()], window.last(), measured->shift);
            log(QStringLiteral("Anfang: Bildlaufleiste des Fensters ")
                + (outside.column >= 0 ? QStringLiteral("in Spalte ") + QString::number(outside.column)
                                       : QStringLiteral("nicht gefunden")));
        }
        seams = m_known.acrossStart(frames.mid(0, found.size() + 1), found, measured->shift, bar, bands,
                                    mask.isEmpty() ? nullptr : &mask, measured->badges,
                                    m_section ? &outside : nullptr);
    }
    if (!seams) {
        log(QStringLiteral("Anfang: keine gemessene Schrittweite für die ersten Schritte — zurück"));
        if (sent > 0 && !gone()) {
            co_await m_stepper->wheelBack(sent * clicks);
            co_await settled(frames.last());
        }
        co_return false;
    }
    log(QStringLiteral("Anfang: ") + QString::number(seams->size()) + QStringLiteral(" Nähte angenommen: ")
        + QString::number(measured->shift) + QStringLiteral(" px wie danach gemessen"));
    // What stands over the content showed where the step was measured.
    for (FrameMatcher::Match& m : *seams) {
        if (m.fixedColumns.isEmpty())
            m.fixedColumns = measured->fixedColumns;
        if (m.badges.isEmpty())
            m.badges = measured->badges;
    }
    m_previous = frames.first();
    for (qsizetype i = 0; i < seams->size(); ++i) {
        m_clicksSinceStrip = clicks;
        stitch(Step{frames[i + 1], (*seams)[i], false, true});
    }
    m_clicksSinceStrip = clicks;
    stitch(Step{frames.last(), *measured, true});
    // Back to the measured step's frame, which the next step is measured from.
    co_await m_stepper->wheelBack(clicks);
    co_await settled(frames.last());
    co_return true;
}

// The view stood still after a seam taken at the known distance that
// nothing pinned: it may have stopped short at the end. The seam is taken
// back; the end is found from the frame before it, with everything sent
// since.
void ScrollRun::withdrawAssumed()
{
    if (!m_beforeAssumed)
        return;
    log(QStringLiteral("Angenommene Naht zurückgenommen — Ansicht steht"));
    BeforeAssumed& b = *m_beforeAssumed;
    m_stitcher = std::move(b.stitcher);
    m_offset = b.offset;
    m_last = b.last;
    m_lastFrame = b.lastFrame;
    m_bands = b.bands;
    m_clicksSinceStrip += b.clicks;
    m_pagesSinceStrip += b.pages;
    m_known.withdraw();
    m_beforeAssumed.reset();
    m_kept.clear();
}

// The view did not move after a step, twice: the end of the content, or a
// stretch where nothing shows the movement (plain content beside a sticky
// column or under a banner). A step back tells: from the end it shows the
// content move; inside a plain stretch it shows the same.
QCoro::Task<ScrollStop> ScrollRun::endOrPlain(const FrameRows& frame)
{
    if (!m_stitcher.started())
        co_return ScrollStop::contentEnd; // nothing scrolled at all: the result says so
    if (!plain(frame)) {
        if (!(co_await scrollStep(-1)))
            co_return ScrollStop::focusLost;
        const FrameRows back = co_await settled(frame);
        if (back.isNull())
            co_return gone() ? ScrollStop::captureGone : ScrollStop::noFrame;
        if (!FrameMatcher::sameContent(frame, back, m_settler.ignore())) {
            // An application held up (a busy machine) that followed the
            // steps only now shows a change too, but further down: it stood
            // short of where they sent it, not at the end.
            const FrameMatcher::Match on = co_await analyse(frame, back, 0, false);
            if (on.moved && on.shift > 0 && usable(on)) {
                log(QStringLiteral("Ansicht nach dem Schritt zurück weiter unten — aufgehalten, kein Ende"));
                m_heldUp = true;
                co_return ScrollStop::contentEnd;
            }
            // The end: back there, for the window's rows around the view.
            if (co_await scrollStep(1))
                co_await settled(back);
            co_return ScrollStop::contentEnd;
        }
        log(QStringLiteral("Ansicht auch nach einem Schritt zurück unverändert — gleichförmige Strecke"));
    }
    log(ScrollStops::logLine(ScrollStop::contentEnd));
    const ScrollStop end = co_await endOnBlank(frame);
    co_return end;
}

// The view stands at what looks like the end: whether the page grows there
// (items appended as its end comes near). Frames are watched for a while,
// each wait ending as soon as the view changes. New rows in place of the
// page's end (the view stayed) are taken into the result and the run goes
// on from there; a view that moved on is the next step. Nothing when the
// page stayed as it was, or changed in a way no seam follows (the run then
// says so).
QCoro::Task<std::optional<ScrollRun::Step>> ScrollRun::watchForGrowth()
{
    // (Counted from the newest strip: the steps that found the end took
    // their part of it already.)
    const qint64 until = m_lastStripMs + growthWatchMs;
    // The first look is at once: the view may not be back where the newest
    // strip's frame was (a wheel that goes further up than down), and then
    // nothing here tells growth from that; from then on the page is watched
    // against that view, where a change is growth no seam follows.
    FrameRows reference = m_previous;
    bool away = false;
    std::optional<FadingEdge> edge;
    const QImage topEdge = edgeRows(m_windowAtTop, m_top.image());
    // Also while what lies over the view's bottom edge may still fade.
    // Rows near the bottom that the last frame alone showed, and only under
    // something standing over them: an overlay scrollbar shows over the
    // view's bottom rows while it scrolls and fades a while after the last
    // step. They are taken from a look after that (a fixed box stays, and
    // shows there once).
    const auto [coveredFrom, covered] = m_stitcher.coveredBelow(m_lastFrame);
    const bool coveredAtEnd = covered > 0;
    if (coveredAtEnd)
        log(QStringLiteral("Letzte Zeilen nur verdeckt gesehen (%1) — warten, bis ein Überblendbalken verblasst")
                .arg(covered));
    // And while the last frame's rows in the lower quarter of the view (the
    // page's last rows, which no later view shows higher up) were not looked
    // at again that late: a thumb may have shown over them in that frame
    // only. Only where something showed over the view's bottom rows before:
    // the wait costs every capture the whole fade time.
    const int bar = m_scrollbar > 0 ? m_scrollbar : ScrolledView::unmeasuredBarColumns(m_scale);
    const bool overlaid = m_overlaySeen || coveredAtEnd;
    EndRowsWatch bottom(m_lastFrame.image, m_lastFrame.contentTop, m_lastFrame.contentEnd, overlaid ? m_w - bar : 0);
    auto watching = [this, until, &edge, coveredAtEnd, &bottom, &away] {
        const qint64 now = m_b.clock.milliseconds();
        return now < until || (edge && edge->suspect() && !edge->faded() && now < m_lastInputMs + overlayFadeMs)
            || (((coveredAtEnd && !m_coverSeenFaded) || (!bottom.settled() && !away))
                && now < m_lastInputMs + overlayFadeMs + 4 * fadeLookMs);
    };
    m_coverSeenFaded = false;
    for (bool first = true; !gone() && (first || watching()); first = false) {
        // (Once only the edge is waited for, it is looked at more often.)
        const int react = first ? 0 : m_b.clock.milliseconds() < until ? FrameSettler::reactMs : fadeLookMs;
        const qint64 lookedAt = m_b.clock.milliseconds();
        const FrameRows frame = co_await settled(reference, react);
        if (frame.isNull())
            co_return std::nullopt;
        m_newestLook = frame;
        QImage window;
        if (!m_windowRect.isEmpty())
            window = co_await m_guard.grab(m_windowRect, m_scale);
        if (!edge) {
            edge.emplace(topEdge, edgeRows(window, frame.image()));
            if (edge->suspect()) {
                log(QStringLiteral("Unterer Rand anders als am Anfang — warten, bis ein Überblendbalken verblasst"));
                m_overlaySeen = true;
            }
        } else {
            const bool before = edge->faded();
            edge->look(edgeRows(window, frame.image()));
            if (edge->faded() && !before)
                log(QStringLiteral("Unterer Rand verblasst, %1 ms nach dem letzten Schritt")
                        .arg(m_b.clock.milliseconds() - m_lastInputMs));
        }
        if (!away)
            bottom.look(frame.image(), lookedAt >= m_lastInputMs + overlayFadeMs);
        const FrameMatcher::Change change = FrameMatcher::change(reference, frame, m_settler.ignore());
        if (change.cells == 0 && !away) {
            // The view as the last strip took it. What stands over its edges
            // may look otherwise by now (an overlay scrollbar fades out a
            // moment after the scrolling, over the page's last rows): the
            // footer is taken from the newest look.
            m_lastFrame.image = frame.image();
            m_coverSeenFaded = lookedAt >= m_lastInputMs + overlayFadeMs;
            continue;
        }
        if (coveredAtEnd && !away && change.changed.boundingBox().top() >= coveredFrom) {
            // Only those rows changed: the newest look at them.
            m_lastFrame.image = frame.image();
            m_coverSeenFaded = lookedAt >= m_lastInputMs + overlayFadeMs;
            continue;
        }
        if (change.cells == 0 || FrameMatcher::localChange(change))
            continue;
        if (away) {
            // Back where the newest strip's frame was, or still on its way
            // (the content moved as a whole): watched on from there.
            if (FrameMatcher::sameContent(m_previous, frame, m_settler.ignore())) {
                reference = m_previous;
                away = false;
                continue;
            }
            const FrameMatcher::Match down = co_await analyse(reference, frame, 0, false);
            const FrameMatcher::Match up = co_await analyse(frame, reference, 0, false);
            if (usable(down) || usable(up)) {
                reference = frame;
                continue;
            }
            note(ScrollStop::grewAtEnd);
            co_return std::nullopt;
        }
        const FrameMatcher::Match match = co_await analyse(m_previous, frame, 0, false);
        if (match.moved && usable(match)) {
            m_mayHaveGrown = true;
            co_return Step{frame, match, false};
        }
        ScrollStitcher::Frame here = m_lastFrame;
        here.image = frame.image();
        const int changed = match.moved ? -1 : m_stitcher.firstChanged(here, m_w - m_scrollbar);
        if (changed < 0 && !match.moved)
            continue; // only what stands over the content changed
        if (changed <= here.contentTop) {
            if (!first) {
                note(ScrollStop::grewAtEnd);
                co_return std::nullopt;
            }
            reference = frame;
            away = true;
            continue;
        }
        // The view stayed; new rows below `changed`.
        log(QStringLiteral("Seite wächst am Ende: neu ab Zeile ") + QString::number(here.offset + changed));
        m_stitcher.retake(here, changed);
        ++m_growths;
        m_stitcher.add(here);
        m_kept.clear(); // (views before show the end as it was)
        keep(here);
        m_lastStripMs = m_b.clock.milliseconds();
        m_lastFrame = here;
        m_previous = frame;
        m_last = frame;
        co_return Step{frame, match, false};
    }
    if (!bottom.settled() && away && !gone() && co_await scrollStep(1)) {
        // The view stands short of the end (a click up goes further than one
        // down): back there, and looked at once what the step showed faded.
        log(QStringLiteral("Zurück ans Ende, um die untersten Zeilen anzusehen"));
        const FrameRows back = co_await settled(reference);
        if (!back.isNull() && FrameMatcher::sameContent(m_previous, back, m_settler.ignore()))
            while (!gone() && !bottom.settled()
                   && m_b.clock.milliseconds() < m_lastInputMs + overlayFadeMs + 4 * fadeLookMs) {
                const qint64 lookedAt = m_b.clock.milliseconds();
                const FrameRows look = co_await settled(m_previous, fadeLookMs);
                if (look.isNull())
                    break;
                bottom.look(look.image(), lookedAt >= m_lastInputMs + overlayFadeMs);
            }
    }
    takeEndRows(bottom);
    co_return std::nullopt;
}

// The last frame's bottom rows as the looks at the end settled them: from a
// look after what stood over them faded, or as the frame had them; unsettled,
// the result may hold something over the page's last rows.
void ScrollRun::takeEndRows(const EndRowsWatch& bottom)
{
    if (gone() || !bottom.watching())
        return;
    if (!bottom.settled()) {
        log(QStringLiteral("Unterste Zeilen nicht nach dem Verblassen gesehen"));
        note(ScrollStop::coverRepeated);
        return;
    }
    if (bottom.taken().isNull())
        return;
    ScrollStitcher::Frame seen = m_lastFrame;
    seen.image = bottom.taken();
    for (int y = bottom.first(); y < bottom.end(); ++y) {
        m_stitcher.distrust(seen.offset + y);
        m_stitcher.take(seen, y);
    }
    log(QStringLiteral("Unterste Zeilen nach dem Verblassen neu genommen: ") + QString::number(bottom.end() - bottom.first()));
}

// The rows along the view's bottom edge that did not move with the content:
// the window's below the view, and the view's bottom band (left of the
// scrollbar), one above the other; with them the view's rows where
// something may stand over the content's last rows.
QImage ScrollRun::edgeRows(const QImage& window, const QImage& view) const
{
    const std::vector<int>& over = m_overBottom;
    const int band = (m_bands ? m_bands->bottom : 0) + int(over.size());
    int below = 0;
    int left = 0;
    int top = 0;
    if (!m_windowRect.isEmpty() && !window.isNull()) {
        left = int(std::lround((m_rect.left() - m_windowRect.left()) * m_scale));
        top = int(std::lround((m_rect.top() - m_windowRect.top()) * m_scale));
        below = qMax(0, window.height() - top - m_h);
    }
    const int width = qMax(1, m_w - m_scrollbar);
    if (below + band <= 0 || view.isNull())
        return QImage();
    QImage rows(width, below + band, QImage::Format_RGB32);
    QPainter painter(&rows);
    const int bottom = band - int(over.size());
    if (bottom > 0)
        painter.drawImage(QPoint(0, 0), view, QRect(0, m_h - bottom, width, bottom));
    for (size_t i = 0; i < over.size(); ++i)
        painter.drawImage(QPoint(0, bottom + int(i)), view, QRect(0, over[i], width, 1));
    if (below > 0)
        painter.drawImage(QPoint(0, band), window, QRect(left, top + m_h, width, below));
    return rows;
}

// The view shows a stretch of one colour, where movement cannot be seen. A
// probe tells whether it is the end of the content: a few frames further on
// it must still be blank, and going back by everything sent since the last
// strip must show more than that strip's frame did (the view stood at the
// end and could not move as far as asked); the difference is the blank
// tail's height. A view that moved all the way comes back to exactly that
// frame: the stretch may go on, and the result says it may be incomplete.
QCoro::Task<ScrollStop> ScrollRun::endOnBlank(const FrameRows& frame)
{
    const bool keys = m_stepper->mode() == ScrollStepper::Mode::keys;
    const double perClick = m_stepper->pixelsPerClick();
    const int perPage = m_stepper->keyShift();
    if ((keys ? perPage <= 0 : perClick <= 0) || !m_stitcher.started()) {
        co_return ScrollStop::blankEndUncertain;
    }
    const FrameMatcher::Bands bands = m_bands.value_or(FrameMatcher::Bands{});
    // On towards the end, three frames' worth.
    const int extra = keys ? 3 : qMax(1, int(std::ceil(3.0 * m_h / perClick)));
    int pressed = 0;
    if (keys) {
        for (; pressed < extra && keyGate(); ++pressed)
            m_guard.pressKey(InputSynthesis::Key::pageDown, false);
    } else {
        co_await m_stepper->wheelBack(-extra);
    }
    // What everything sent since the newest strip moves the content, where
    // nothing stops it.
    const double sentRows = keys ? double(m_pagesSinceStrip + pressed) * perPage
                                 : (m_clicksSinceStrip + extra) * perClick;
    const FrameRows further = co_await settled(frame);
    if (!keys && !further.isNull() && !plain(further) && !FrameMatcher::sameContent(frame, further, m_settler.ignore())) {
        // Content again beyond the stretch: no end.
        m_crossedPlain = co_await crossPlain(m_clicksSinceStrip + extra);
        co_return ScrollStop::blankEndUncertain;
    }
    if (further.isNull() || !plain(further)) {
        co_return ScrollStop::blankEndUncertain;
    }
    // Back in half frames until content shows again; where it stands
    // against the last strip's frame tells how far the view had come.
    const int back = keys ? 1 : qMax(1, int(m_h / 2 / perClick));
    const double stepPixels = keys ? double(perPage) : back * perClick;
    double total = 0;
    int backClicks = 0;
    std::optional<int> tail;
    int unplaced = 0;
    constexpr int unplacedLooks = 3;
    FrameRows shown = further;
    for (int i = 0; i < 60 && !gone() && !tail; ++i) {
        if (keys) {
            if (!keyGate())
                break;
            m_guard.pressKey(InputSynthesis::Key::pageUp, false);
        } else {
            co_await m_stepper->wheelBack(back);
            backClicks += back;
        }
        total += stepPixels;
        const FrameRows returned = co_await settled(shown);
        if (returned.isNull())
            break;
        shown = returned;
        if (plain(returned))
            continue;
        const FrameMatcher::Match below = co_await analyse(m_last, returned, 0, false);
        if (below.moved && below.confirmed && below.shift > 0) {
            tail = int(std::lround(total)) + below.shift;
            break;
        }
        const FrameMatcher::Match above = co_await analyse(returned, m_last, 0, false);
        if (!above.moved)
            tail = int(std::lround(total));
        else if (above.confirmed && above.shift > 0)
            tail = int(std::lround(total)) - above.shift;
        // Too little of the content in view to place it against the
        // newest strip: further back, where more of it shows (enough to
        // tell a stretch that goes on, not to prove an end).
        if (tail || ++unplaced > unplacedLooks)
            break;
    }
    if (!tail || *tail < 0) {
        co_return ScrollStop::blankEndUncertain;
    }
    // Only a view that stopped short of what was sent stood at the end; one
    // that went all the way may stand inside a stretch that goes on (its
    // frames look the same whether the content moved or not).
    if (*tail >= sentRows - qMax(4.0, sentRows / 50)) {
        log(QStringLiteral("Leere Fläche: Ansicht ging so weit wie geschickt — kein Ende"));
        if (!keys)
            m_crossedPlain = co_await crossPlain(m_clicksSinceStrip + extra - backClicks);
        else if (FrameMatcher::sameContent(m_last, shown, m_settler.ignore()))
            m_crossedPlain = co_await wheelFromNewestStrip();
        co_return ScrollStop::blankEndUncertain;
    }
    // A tail measured only further back, where the content first seen could
    // not be placed, proves no end: the view may have been caught between
    // paints on the way.
    if (unplaced > 0) {
        log(QStringLiteral("Leere Fläche: Ende nur weiter oben gemessen — nicht sicher"));
        co_return ScrollStop::blankEndUncertain;
    }
    m_blankTail = *tail;
    log(QStringLiteral("Leeres Ende des Inhalts: ") + QString::number(*tail) + QStringLiteral(" px"));
    m_blankColour = frame.image().pixel(0, qBound(0, m_h - bands.bottom - 1, m_h - 1));
    co_return ScrollStop::blankEnd;
}

// Page keys went into a stretch of one colour that goes on, and back to
// the newest strip's frame: their steps cannot be sized to keep a frame's
// rows in the next one, nor be counted across the stretch. On from there
// with the wheel, whose clicks the next steps measure and which may cross
// the stretch.
QCoro::Task<bool> ScrollRun::wheelFromNewestStrip()
{
    if (m_innerBox || gone())
        co_return false;
    log(QStringLiteral("Leere Fläche mit Seitentasten nicht zu überqueren — weiter mit dem Mausrad"));
    co_await onWithTheWheel();
    m_previous = m_last;
    m_clicksSinceStrip = 0;
    m_pagesSinceStrip = 0;
    co_return true;
}

// The view stands `sent` clicks below the newest strip's frame (above it
// where negative), in or past a stretch of one colour that is no end. The
// stretch is crossed from that frame in steps of whole rows, every frame on
// the way seen, up to the first that shows content; it holds where the
// wheel proves steady over the stretch: all the clicks back in one go show
// the newest strip's frame again, and all of them forward in one go the
// frame the steps came to. True when the frames on the way are stitched;
// else the view stands anywhere and the run ends there.
QCoro::Task<bool> ScrollRun::crossPlain(int sent)
{
    const double perClick = m_stepper->pixelsPerClick();
    const std::optional<int> clicks = m_bands ? PlainCrossing::stepClicks(m_h - m_bands->top - m_bands->bottom, perClick)
                                              : std::nullopt;
    const std::optional<int> rows = clicks ? PlainCrossing::rows(*clicks, perClick) : std::nullopt;
    // (Not over an inner box, whose wheel may go on to scroll the page
    // around it at its end.)
    if (m_innerBox || !rows || gone())
        co_return false;
    log(QStringLiteral("Nach der leeren Fläche wieder Inhalt — zurück, in Schritten von ") + QString::number(*rows)
        + QStringLiteral(" px hinüber"));
    if (sent != 0)
        co_await m_stepper->wheelBack(sent);
    FrameRows shown = co_await reached(m_last);
    if (!FrameMatcher::sameContent(m_last, shown, m_settler.ignore())) {
        log(QStringLiteral("Leere Fläche: zurück nicht beim letzten Streifen angekommen"));
        co_return false;
    }
    // Rows that still show content before the stretch are measured as any
    // seam; from the first plain frame on, the steps go up to one that shows
    // content again.
    std::vector<FrameRows> walked;
    bool inStretch = false;
    int total = 0;
    // Something fixed over a view that shows nothing else of the stretch
    // (a box not known as such): those cells, as a view of the stretch
    // shows them, stand over every frame across it, and their rows count
    // as covered there.
    std::optional<CellMask> standing;
    FrameRows standingIn;
    auto plainBut = [&](const FrameRows& frame) {
        if (plain(frame))
            return true;
        if (!standing || !PlainCrossing::alikeIn(frame, standingIn, *standing))
            return false;
        CellMask mask = *standing;
        const CellMask more = leftOut(frame, true);
        if (more.rows() == mask.rows() && more.cells() == mask.cells())
            mask.unite(more);
        return FrameMatcher::blank(frame, *m_bands, &mask);
    };
    // (Up to six frames past where the view was.)
    const int most = qMax(0, sent) + int(std::ceil(6.0 * m_h / perClick));
    while (total < most && !gone()) {
        co_await m_stepper->wheelBack(-*clicks);
        total += *clicks;
        const FrameRows frame = co_await settled(shown);
        if (frame.isNull())
            co_return false;
        // Learned from the first frame that shows nothing else, where
        // those cells stood as they stand in the frame before (the content
        // around them moved or was plain in both).
        if (!standing && !inStretch && !plain(frame)) {
            const CellMask known = leftOut(frame, true);
            std::optional<CellMask> over
                = PlainCrossing::standingOver(frame, *m_bands, known.isEmpty() ? nullptr : &known);
            if (over && PlainCrossing::alikeIn(shown, frame, *over)) {
                standing = over;
                standingIn = frame;
                log(QStringLiteral("Leere Fläche: nur Festes im Bild, ") + QString::number(over->count())
                    + QStringLiteral(" Zellen"));
            }
        }
        if (plainBut(frame)) {
            inStretch = true;
        } else if (inStretch) {
            walked.push_back(frame);
            break;
        } else {
            const FrameMatcher::Match m = co_await analyse(shown, frame, *rows, true);
            // Where only a few rows of content are left above the
            // stretch the measurement may not pin the step: it is taken at
            // the clicks' distance where those rows fit it and nothing fits
            // better; the trips over the whole stretch below prove the
            // wheel steady.
            const CellMask leftOutShown = leftOut(shown, false);
            if ((!usable(m) || m.shift != *rows)
                && !PlainCrossing::stepFits(shown, frame, *rows, *m_bands, &leftOutShown, m)) {
                log(QStringLiteral("Leere Fläche: Schritt vor der Fläche ") + QString::number(m.shift)
                    + QStringLiteral(" px statt ") + QString::number(*rows));
                co_return false;
            }
        }
        walked.push_back(frame);
        shown = frame;
    }
    if (!inStretch || walked.empty() || plain(walked.back()) || gone()) {
        log(QStringLiteral("Leere Fläche: auf dem Weg hinüber kein Inhalt dahinter gesehen"));
        co_return false;
    }
    const FrameRows beyond = walked.back();
    co_await m_stepper->wheelBack(total);
    const FrameRows back = co_await reached(m_last);
    if (!FrameMatcher::sameContent(m_last, back, m_settler.ignore())) {
        log(QStringLiteral("Leere Fläche: in einem Zug zurück nicht beim letzten Streifen"));
        co_return false;
    }
    co_await m_stepper->wheelBack(-total);
    const FrameRows again = co_await reached(beyond);
    if (!FrameMatcher::sameContent(beyond, again, m_settler.ignore())) {
        log(QStringLiteral("Leere Fläche: in einem Zug vor nicht beim Bild hinter der Fläche"));
        co_return false;
    }
    log(QStringLiteral("Leere Fläche überquert: ") + QString::number(total * int(std::lround(perClick)))
        + QStringLiteral(" px"));
    m_beforeAssumed.reset();
    for (const FrameRows& frame : walked) {
        FrameMatcher::Match m;
        m.moved = true;
        m.confirmed = true;
        m.shift = *rows;
        m.bands = *m_bands;
        m.overlapRows = m_h - m_bands->top - m_bands->bottom - *rows;
        m.matchedRows = m.overlapRows;
        if (standing)
            m.badges = *standing;
        m_clicksSinceStrip = *clicks;
        m_pagesSinceStrip = 0;
        stitch(Step{frame, m, false});
    }
    co_return true;
}

// The view after input that should bring it to `wanted`, once it shows
// that or a few longer looks later: over a plain stretch a view still
// gliding looks settled.
QCoro::Task<FrameRows> ScrollRun::reached(const FrameRows& wanted)
{
    FrameRows frame = co_await settled(FrameRows());
    for (int look = 0; look < 4 && !frame.isNull() && !gone()
         && !FrameMatcher::sameContent(wanted, frame, m_settler.ignore());
         ++look) {
        co_await m_sleep(longerSettleMs);
        const FrameRows later = co_await settled(frame, 0);
        if (later.isNull())
            break;
        frame = later;
    }
    co_return frame;
}

// The frame's rows as the stitcher sees them: its content between the
// bands, and the rows where something stands over it (what the seam found
// standing still or changing over the moving content, cells that fit neither
// the shift nor standing still, and the cells that change by themselves),
// apart from the columns standing still beside it; `fixedOnly`: only where
// something fixed stands over it.
ScrollStitcher::Frame ScrollRun::stitchFrame(const FrameRows& frame, int offset, const FrameMatcher::Match& match,
                                             bool fixedOnly) const
{
    ScrollStitcher::Frame out{frame.image(), offset, match.bands.top, m_h - match.bands.bottom, {}};
    out.covered.assign(size_t(m_h), false);
    const CellMask& changing = m_settler.volatileCells();
    for (int c = 0; c < frame.cells(); ++c) {
        if (besideContent(frame, c))
            continue;
        for (int y = 0; y < m_h; ++y)
            if (match.badges.contains(y, c) || m_badges.contains(y, c) || m_boxes.contains(y, c)
                || (!fixedOnly && (match.unsettled.contains(y, c) || changing.contains(y, c))))
                out.covered[size_t(y)] = true;
    }
    return out;
}

// Whether all of cell column c lies in the columns standing still beside the
// content.
bool ScrollRun::besideContent(const FrameRows& frame, int c) const
{
    if (m_fixed.empty())
        return false;
    for (int x = frame.cellLeft(c); x < frame.cellRight(c); ++x)
        if (x >= int(m_fixed.size()) || !m_fixed[size_t(x)])
            return false;
    return true;
}

// The width of the scrollbar at the right that the step from `a` to `b`
// (`match`) shows: 0 where none does.
int ScrollRun::scrollbarBetween(const FrameRows& a, const FrameRows& b, const FrameMatcher::Match& match) const
{
    const FrameMatcher::Bands now = match.bands;
    const int band = m_h - now.top - now.bottom;
    const int sparse = band > 0 ? WindowShot::scrollbarWidth(a.image().copy(0, now.top, m_w, band),
                                                             b.image().copy(0, now.top, m_w, band), match.shift)
                                : 0;
    const int bar = qMax(sparse, FrameMatcher::scrollbarWidth(a, b, match.shift, now));
    return ScrolledView::scrollbarWithTrack(b.image(), bar, now.top, m_h - now.bottom);
}

void ScrollRun::keep(const ScrollStitcher::Frame& frame)
{
    constexpr size_t kept = 8;
    if (m_kept.size() >= kept)
        m_kept.erase(m_kept.begin());
    m_kept.push_back(frame);
}

void ScrollRun::stitch(const Step& step)
{
    m_settledByStep = step.match.settledByStep;
    const FrameRows& frame = step.frame;
    const FrameMatcher::Match& match = step.match;
    const FrameMatcher::Bands now = match.bands;
    if (!m_bands || *m_bands != now)
        log(QStringLiteral("Feste Ränder: oben ") + QString::number(now.top) + QStringLiteral(", unten ")
            + QString::number(now.bottom) + QStringLiteral(" px"));
    log(QStringLiteral("Naht bestätigt: ") + QString::number(match.matchedRows) + QStringLiteral(" von ")
        + QString::number(match.overlapRows) + QStringLiteral(" Zeilen gleich"));
    if (!m_scrollbar) {
        // Measured on the scrolling band only: header and footer do not move
        // with the content and would hide the bar. A thin thumb escapes the
        // sparse rows; the shared rows are compared densely too, on every
        // step until a bar shows.
        m_scrollbar = scrollbarBetween(m_previous, frame, match);
        if (!m_scrollbarMeasured || m_scrollbar)
            log(QStringLiteral("Scrollleiste erkannt: ") + QString::number(m_scrollbar) + QStringLiteral(" px"));
        m_scrollbarMeasured = true;
    }
    rememberFixed(match);
    if (!m_stitcher.started()) {
        // The top frame, with what stands over it where this seam found it.
        ScrollStitcher::Frame top = stitchFrame(m_top, 0, match);
        top.image = m_top.image();
        m_stitcher.begin(top, stitchFrame(m_top, 0, match, true).covered);
        keep(top);
        m_offset = 0;
    }
    // Rows the result took as content that now stand still at the bottom:
    // perhaps a band that came in, perhaps the page's end pushed down by
    // rows it grew above it while the view moved just as far. The seam
    // leaves them out; the next strip is checked against the result.
    const bool bottomGrew = m_bands && now.bottom > m_bands->bottom;
    m_bands = now;
    // Something stood over the bottom rows of the frame before (where this
    // one shows them higher up and clean): it may stand over this frame's
    // bottom rows too, which no later frame shows higher up.
    m_overBottom.clear();
    for (int y = 0; y < match.unsettled.rows(); ++y) {
        const int below = y + match.shift;
        if (below >= m_h || below < m_h - match.shift || below < m_h * 3 / 4)
            continue;
        for (int c = 0; c < match.unsettled.cells(); ++c)
            if (match.unsettled.contains(y, c) && !besideContent(frame, c)) {
                m_overBottom.push_back(below);
                break;
            }
    }
    // The frame before's bottom rows, shown otherwise higher up here, where
    // this frame shows what the frame before showed at those rows of the
    // view (an overlay thumb over both, or this frame's own change over
    // plain rows): neither frame's rows count as clean until a later view
    // shows them uncovered, or a later look at this view tells.
    const std::vector<int> stillOver = StillOverBottom::rows(m_previous, frame, match,
                                                             [&](int c) { return besideContent(frame, c); });
    if (!stillOver.empty())
        log(QStringLiteral("Über den untersten Zeilen stand etwas still: ") + QString::number(stillOver.size())
            + QStringLiteral(" Zeilen ungewiss"));
    for (int below : stillOver)
        m_stitcher.distrust(m_offset + below);
    m_overlaySeen = m_overlaySeen || !stillOver.empty();
    m_offset += match.shift;
    ScrollStitcher::Frame next = stitchFrame(frame, m_offset, match);
    for (int below : stillOver)
        next.covered[size_t(below)] = true;
    m_stillOver = stillOver;
    m_stillOverShift = match.shift;
    m_newestLook = FrameRows();
    // Steps no longer than the rows above what covers the lower half: the
    // rows they bring are seen uncovered.
    if (step.learn)
        m_stepper->learn(match.shift, ScrollStitcher::stepRows(next), m_clicksSinceStrip);
    if (m_stepper->mode() == ScrollStepper::Mode::wheel && step.learn)
        log(QStringLiteral("Mausrad: ") + QString::number(m_stepper->pixelsPerClick(), 'f', 1)
            + QStringLiteral(" px pro Klick, nächster Schritt ") + QString::number(m_stepper->clicks())
            + QStringLiteral(" Klicks"));
    // (A frame short of the end the result holds, after a step back, does
    // not show that end yet: the next ones are checked as well.)
    const bool toTheEnd = next.offset + next.contentEnd >= m_stitcher.height();
    // (Only where the strip brings nothing below the result's end: a box
    // coming into the bottom band mid-page is no reason to retake.)
    const bool nothingNew = next.offset + next.contentEnd <= m_stitcher.height();
    if (m_mayHaveGrown || (bottomGrew && nothingNew)) {
        // What ended the page before (its last rows, a footer) may now hold
        // items that came in its place: taken again from where they differ.
        // (Before a step showed the scrollbar, its thumb may stand in the
        // rightmost columns, moved by the step: no change of the page.)
        const int bar = m_scrollbar > 0 ? m_scrollbar : ScrolledView::unmeasuredBarColumns(m_scale);
        if (const int changed = m_stitcher.firstChanged(next, qMax(1, m_w - bar)); changed >= 0) {
            log(QStringLiteral("Seitenende neu: ab Zeile ") + QString::number(next.offset + changed));
            m_stitcher.retake(next, changed);
            m_kept.clear(); // (views before show the end as it was)
            ++m_growths;
            if (m_again && !m_stops.contains(ScrollStop::contentMoved))
                note(ScrollStop::contentMoved);
        }
    }
    const int before = m_stitcher.height();
    if (!m_stitcher.add(next) && !m_stops.contains(ScrollStop::missedUnderHeader))
        note(ScrollStop::missedUnderHeader); // rows went under the header before they were seen whole
    keep(next);
    const int take = m_stitcher.height() - before;
    if (take > 0) {
        m_lastStripMs = m_b.clock.milliseconds();
        log(QStringLiteral("Streifen ") + QString::number(m_stitcher.frames() - 1) + QStringLiteral(": +")
            + QString::number(take) + QStringLiteral(" px"));
    }
    if (m_section && take > 0 && !m_stops.contains(ScrollStop::coverRepeated)) {
        // A section's edge may cut what stands over the page (a box, a
        // column) so that too little of it shows for the seams to leave it
        // out: the rows this strip brings would hold it once more.
        const int width = qMax(1, m_w - m_scrollbar);
        const CellMask skip = leftOut(frame, false);
        if (SectionSurroundings::standsStill(m_previous.image().copy(0, 0, width, m_h),
                                             frame.image().copy(0, 0, width, m_h), match.shift,
                                             next.contentEnd - take, next.contentEnd, skip.isEmpty() ? nullptr : &skip,
                                             &next.covered)) {
            log(QStringLiteral("Abschnitt: in den neuen Zeilen steht etwas still"));
            note(ScrollStop::coverRepeated);
        }
    }
    m_lastFrame = next;
    if (!gone()) {
        m_b.panel.progress().setStrips(m_stitcher.frames() - 1);
        m_b.panel.progress().setHeightPx(m_stitcher.height());
    }
    m_previous = frame;
    m_last = frame;
    m_clicksSinceStrip = 0;
    m_pagesSinceStrip = 0;
    m_mayHaveGrown = m_mayHaveGrown && !toTheEnd;
}

// Rows the last two frames disagreed on under what stood still over the
// bottom of the view (StillOverBottom): a look at the same view after that
// faded tells. Where the rows at the bottom changed while those the last
// frame showed higher up stayed as they were, the last frame's are the
// content, and the rows at the bottom come from that look.
void ScrollRun::settleStillOver()
{
    const std::vector<int> rows = std::exchange(m_stillOver, {});
    const FrameRows look = std::exchange(m_newestLook, FrameRows());
    if (rows.empty() || look.isNull() || m_previous.isNull() || look.height() != m_h || m_previous.height() != m_h
        || look.width() != m_previous.width())
        return;
    const QImage now = look.image().convertToFormat(QImage::Format_RGB32);
    const QImage then = m_previous.image().convertToFormat(QImage::Format_RGB32);
    const size_t bytes = size_t(qMax(1, m_w - m_scrollbar)) * 4;
    auto same = [&](int y) { return std::memcmp(now.constScanLine(y), then.constScanLine(y), bytes) == 0; };
    for (int below : rows)
        if (same(below) || !same(below - m_stillOverShift))
            return;
    ScrollStitcher::Frame seen = m_lastFrame;
    seen.image = look.image();
    for (int below : rows)
        m_stitcher.take(seen, below - m_stillOverShift);
    m_lastFrame.image = look.image();
    log(QStringLiteral("Unterste Zeilen nach dem Verblassen genommen: ") + QString::number(rows.size()));
}

// What a confirmed seam found standing over the content and beside it.
void ScrollRun::rememberFixed(const FrameMatcher::Match& match)
{
    rememberBadges(match);
    const FrameMatcher::Bands now = match.bands;
    // Columns standing still beside the content, once they are known: their
    // colour below the first frame is the one they show most in it.
    if (!match.fixedColumns.isEmpty()) {
        if (m_fixed.empty()) {
            m_fixed.assign(size_t(m_w), false);
            m_fill.assign(size_t(m_w), 0);
        }
        int added = 0;
        for (const auto& [left, right] : match.fixedColumns)
            for (int x = left; x < right && x < m_w; ++x)
                if (!m_fixed[size_t(x)]) {
                    m_fixed[size_t(x)] = true;
                    m_fill[size_t(x)] = commonColour(m_top.image(), x, now.top, m_h - now.bottom);
                    ++added;
                }
        if (added) {
            log(QStringLiteral("Feste Spalten: ") + QString::number(added) + QStringLiteral(" px breit"));
            m_stitcher.setFixedColumns(m_fixed, m_fill);
        }
    }
}

// The badges a confirmed seam found over the content, as long as they stay
// small beside it.
void ScrollRun::rememberBadges(const FrameMatcher::Match& match)
{
    if (match.badges.isEmpty())
        return;
    CellMask badges = m_badges.rows() == match.badges.rows() && m_badges.cells() == match.badges.cells()
        ? m_badges
        : CellMask(match.badges.rows(), match.badges.cells());
    badges.unite(match.badges);
    if (qint64(badges.count()) * 8 <= qint64(badges.rows()) * badges.cells())
        m_badges = badges;
}

void ScrollRun::note(ScrollStop stop)
{
    const QString line = ScrollStops::logLine(stop);
    if (!line.isEmpty())
        log(line);
    m_stops.append(stop);
}

// Rows above the view that grew while the view kept its content in place
// show in no frame; only the scrollbar tells, from the top frame to the
// newest strip's: over the whole window where it was grabbed with the view
// where that strip found it (the bar may reach past the view). Nothing where
// the thumb does not tell.
std::optional<int> ScrollRun::grownAbove() const
{
    // (A page that also grew at its end, where the run took the new rows in,
    // shows both in one thumb: the thumb does not tell them apart well
    // enough.)
    if (m_scrollbar <= 0 || !m_stitcher.started() || m_growths > 0 || m_grewAtEnd)
        return std::nullopt;
    QImage top = m_top.image();
    QImage end = m_last.image();
    if (!m_windowAtTop.isNull() && m_windowAtEnd.size() == m_windowAtTop.size()) {
        const int left = int(std::lround((m_rect.left() - m_windowRect.left()) * m_scale));
        const int y = int(std::lround((m_rect.top() - m_windowRect.top()) * m_scale));
        const QImage view = m_windowAtEnd.copy(left, y, m_w, m_h).convertToFormat(QImage::Format_RGB32);
        const QImage newest = end.convertToFormat(QImage::Format_RGB32);
        const qsizetype bytes = qsizetype(m_w - m_scrollbar) * 4;
        int same = 0;
        if (view.size() == newest.size())
            for (int row = 0; row < m_h; ++row)
                same += std::memcmp(view.constScanLine(row), newest.constScanLine(row), size_t(bytes)) == 0;
        if (same * 4 >= m_h * 3) {
            top = m_windowAtTop.copy(left, 0, m_w, m_windowAtTop.height());
            end = m_windowAtEnd.copy(left, 0, m_w, m_windowAtEnd.height());
        }
    }
    // (Where the view stood still at the end, the thumb stands at the end
    // of its track.)
    const bool atEnd = !m_stops.isEmpty() && m_stops.first() == ScrollStop::contentEnd;
    return KnownShift::grownAbove(top, end, m_offset, m_scrollbar, atEnd);
}

// The window's rows above the view, the stitched content (header once, every
// row, a blank end, the footer once), the window's rows below it.
CapturedScreenshot ScrollRun::assemble()
{
    if (m_known.assumed() > 0)
        log(QStringLiteral("Nähte auf angenommener Schrittweite: ") + QString::number(m_known.assumed()));
    if (m_known.contradicted())
        note(ScrollStop::assumedSeamWrong);
    else if (m_beforeAssumed)
        note(ScrollStop::assumedSeamAtEnd);
    if (const int grown = grownAbove().value_or(0); grown > 0 && !m_stops.contains(ScrollStop::grewAbove)) {
        log(QStringLiteral("Laut Scrollleiste über der Ansicht um etwa ") + QString::number(grown)
            + QStringLiteral(" px gewachsen"));
        note(ScrollStop::grewAbove);
    }
    if (!m_stitcher.started() || m_stitcher.frames() < 2) {
        log(QStringLiteral("WARNUNG: kein Streifen — Fenster reagierte evtl. nicht auf synthetisches Scrollen"));
        const bool incomplete = std::any_of(m_stops.cbegin(), m_stops.cend(), ScrollStops::incomplete);
        if (!incomplete && !m_stops.contains(ScrollStop::cancelled))
            note(ScrollStop::nothingScrolled);
    }
    if (!m_stitcher.started()) {
        m_lastFrame = ScrollStitcher::Frame{m_top.image(), 0, 0, m_h, {}};
        m_stitcher.begin(m_lastFrame);
    }
    settleStillOver();
    if (m_stitcher.frames() >= 2 && !m_coverSeenFaded && m_stitcher.coveredBelow(m_lastFrame).second > 0
        && !m_stops.contains(ScrollStop::coverRepeated)) {
        // Seen in the last frame only, covered, and not looked at again once
        // what stood over them would have faded.
        log(QStringLiteral("Letzte Zeilen nur verdeckt und nicht nach dem Verblassen gesehen"));
        note(ScrollStop::coverRepeated);
    }
    m_stitcher.addBlank(m_blankTail, m_blankColour);
    QList<StitchStrip> pieces;
    if (!m_windowAbove.isNull() && m_windowAbove.height() > 0)
        pieces.append({m_windowAbove, m_windowAbove.height()});
    pieces.append(m_stitcher.finish(m_lastFrame));
    if (m_stitcher.holes() > 0 && !m_stops.contains(ScrollStop::missedUnderHeader))
        note(ScrollStop::missedUnderHeader);
    if (m_stitcher.coverInside() > 0) {
        log(QStringLiteral("Festes Element in ") + QString::number(m_stitcher.coverInside())
            + QStringLiteral(" Zeilen mitten im Bild"));
        note(ScrollStop::coverRepeated);
    }
    if (!m_windowBelow.isNull() && m_windowBelow.height() > 0)
        pieces.append({m_windowBelow, m_windowBelow.height()});
    qint64 total = 0;
    for (const StitchStrip& piece : pieces)
        total += piece.height;
    log(QStringLiteral("Fenster-Capture fertig: ") + QString::number(pieces.size()) + QStringLiteral(" Streifen, ")
        + QString::number(total) + QStringLiteral(" px hoch"));
    QImage result = stitchStrips(pieces, qMax(1, m_w - m_scrollbar), int(qMin<qint64>(total, INT_MAX)));
    CapturedScreenshot shot = CapturedScreenshot::make(
        std::move(result), CaptureKind::scrolling,
        std::any_of(m_stops.cbegin(), m_stops.cend(), ScrollStops::incomplete));
    shot.scrollStops = m_stops;
    return shot;
}
