#include "Screenshot/WindowPicker.h"

#include "Platform/ScreenSource.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Ui/ExactPointer.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

const QColor PickerView::sectionColor = QColor::fromRgbF(0.204f, 0.780f, 0.349f);
const QColor PickerView::windowColor = QColor::fromRgbF(0.0f, 0.478f, 1.0f);

PickerView::PickerView(const QRect& screenFrame, QImage still, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                  | Qt::Tool)
    , m_origin(screenFrame.topLeft())
    , m_still(std::move(still))
    , m_pointer(new ExactPointer(*this))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setGeometry(screenFrame);
}

void PickerView::setHighlight(std::optional<QRectF> rect, bool isSection)
{
    m_highlight = rect;
    m_highlightIsSection = isSection;
    update();
}

void PickerView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragStart) {
        const QPointF p = global(m_pointer->position(*event));
        m_dragRect = QRectF(QPointF(qMin(p.x(), m_dragStart->x()), qMin(p.y(), m_dragStart->y())),
                            QSizeF(std::abs(p.x() - m_dragStart->x()), std::abs(p.y() - m_dragStart->y())));
        m_highlight.reset();
        update();
        return;
    }
    if (onMove)
        onMove();
}

void PickerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (onCancel)
            onCancel();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_dragStart = global(m_pointer->position(*event));
    m_dragRect.reset();
}

void PickerView::mouseReleaseEvent(QMouseEvent* event)
{
    // Only the release of a left press that began here counts: the release
    // of the click that opened the picker must not pick anything.
    if (event->button() != Qt::LeftButton || !m_dragStart)
        return;
    const std::optional<QRectF> rect = m_dragRect;
    m_dragStart.reset();
    m_dragRect.reset();
    update();
    if (rect && rect->width() > 20 && rect->height() > 20) {
        if (onDrag)
            onDrag(*rect);
    } else if (onPick) {
        onPick();
    }
}

void PickerView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && onCancel)
        onCancel();
    // Every other key stays here.
}

void PickerView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_still.isNull())
        p.drawImage(rect(), m_still);
    p.fillRect(rect(), QColor(0, 0, 0, 1));
    std::optional<QRectF> global;
    QColor color;
    if (m_dragRect) {
        global = m_dragRect;
        color = sectionColor;
    } else if (m_highlight) {
        global = m_highlight;
        color = m_highlightIsSection ? sectionColor : windowColor;
    }
    if (!global)
        return;
    const QRectF r = global->translated(-m_origin);
    QColor fill = color;
    fill.setAlphaF(0.15f);
    p.fillRect(r, fill);
    p.setPen(QPen(color, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(1.5, 1.5, -1.5, -1.5));
}

WindowPicker::WindowPicker(PickedWindowLookup& lookup, ScreenSource& screens, Backdrop::Source backdrop,
                           QObject* parent)
    : QObject(parent)
    , m_lookup(lookup)
    , m_screens(screens)
    , m_backdrop(std::move(backdrop))
{
}

WindowPicker::~WindowPicker()
{
    for (const QPointer<PickerView>& view : m_views)
        delete view.data();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

QCoro::Task<std::optional<PickedWindow>> WindowPicker::pick()
{
    const QList<ScreenInfo> screens = m_screens.screens();
    if (screens.isEmpty())
        co_return std::nullopt;
    m_done = false;
    m_result.reset();
    for (const ScreenInfo& screen : screens) {
        const QRect frame = screen.frame.toAlignedRect();
        QImage still = m_backdrop ? m_backdrop(frame) : QImage();
        auto* view = new PickerView(frame, std::move(still));
        QPointer<PickerView> weak(view);
        view->onMove = [this, weak] {
            if (weak)
                updateHighlight();
        };
        view->onPick = [this] { pickAtPointer(); };
        view->onDrag = [this](const QRectF& rect) { pickSection(rect); };
        view->onCancel = [this] { finish(std::nullopt); };
        m_views.append(weak);
    }
    // Escape anywhere in our process ends the picker.
    QCoreApplication::instance()->installEventFilter(this);
    for (const QPointer<PickerView>& view : m_views) {
        view->show();
        view->raise();
    }
    if (PickerView* first = m_views.first()) {
        first->activateWindow();
        first->setFocus();
        // Unmanaged windows get no focus from the window manager.
        first->grabKeyboard();
    }
    co_await qCoro(this, &WindowPicker::finished);
    co_return m_result;
}

bool WindowPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_done) {
        finish(std::nullopt);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void WindowPicker::finish(std::optional<PickedWindow> result)
{
    if (m_done)
        return;
    m_done = true;
    m_result = result;
    QCoreApplication::instance()->removeEventFilter(this);
    for (const QPointer<PickerView>& view : m_views) {
        if (!view)
            continue;
        view->releaseKeyboard();
        view->hide();
        view->deleteLater();
    }
    m_views.clear();
    Q_EMIT finished();
}

void WindowPicker::updateHighlight()
{
    const QPointF cursor = m_lookup.cursorTopLeft();
    std::optional<QRectF> rect;
    bool section = false;
    if (const std::optional<PickedWindow> w = m_lookup.windowUnderCursor(cursor)) {
        const std::optional<QRectF> area =
            m_lookup.scrollAreaUnder(cursor, w->bounds.width() * w->bounds.height(), w->pid);
        rect = area ? *area : w->bounds;
        section = area.has_value();
    }
    for (const QPointer<PickerView>& view : m_views)
        if (view)
            view->setHighlight(rect, section);
}

void WindowPicker::pickAtPointer()
{
    const QPointF cursor = m_lookup.cursorTopLeft();
    if (const std::optional<PickedWindow> w = m_lookup.windowUnderCursor(cursor))
        m_lookup.logAXChain(cursor, w->pid);
    std::optional<PickedWindow> w = m_lookup.windowUnderCursor(cursor);
    if (!w)
        return; // nothing to pick here; the picker stays
    w->scrollRegion = m_lookup.scrollAreaUnder(cursor, w->bounds.width() * w->bounds.height(), w->pid);
    finish(w);
}

void WindowPicker::pickSection(const QRectF& globalRect)
{
    std::optional<PickedWindow> w = m_lookup.windowUnderCursor(globalRect.center());
    if (w)
        w->scrollRegion = globalRect;
    finish(w);
}
