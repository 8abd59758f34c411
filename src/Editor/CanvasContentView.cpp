#include "Editor/CanvasContentView.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/EditorSession.h"
#include "Editor/LiveTextOverlay.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

CanvasContentView::CanvasContentView(EditorSession& session, QWidget* parent)
    : QWidget(parent)
    , m_vm(session.model())
    , m_painter(session)
    , m_gestures(session)
    , m_textFields(m_vm, session.textEntry(), *this)
{
    EditorViewModel& vm = m_vm;
    // Every frame covers all of itself (the page colour where the picture is
    // transparent), so nothing beneath is painted first: at 4K that saves
    // filling eight million pixels that are painted over at once.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_painter.setBackdrop(palette().color(QPalette::Window));
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    for (auto signal : {&EditorViewModel::annotationsChanged, &EditorViewModel::selectionChanged,
                        &EditorViewModel::settingsChanged})
        connect(&vm, signal, this, &CanvasContentView::repaintAll);
    connect(&session.textEntry(), &TextEntry::textEntryChanged, this, &CanvasContentView::repaintAll);
    connect(&vm, &EditorViewModel::imageChanged, this, [this] {
        m_painter.invalidatePicture();
        repaintAll();
    });
    // The crop overlay dims the whole content; the cached layer is not touched.
    connect(&session.crop(), &CropTool::cropChanged, this, qOverload<>(&QWidget::update));
    connect(&session.drawing(), &DrawingGesture::draftChanged, this,
            [this] { repaintMoving(m_lastDraft, m_painter.draftBounds()); });
    connect(&session.selectionDrag(), &SelectionDrag::marqueeChanged, this,
            [this] { repaintMoving(m_lastMarquee, m_painter.marqueeBounds()); });
    // Above the drawing; the text fields made later lie above it.
    new LiveTextOverlay(session.recognition(), *this);
}

void CanvasContentView::setContentSize(QSizeF size)
{
    m_painter.setContentSize(size);
    // The first frame of a window being shown comes once the window manager
    // has mapped it: the picture is scaled meanwhile. (Not while the window is
    // only being built, when its sizes are not final, and not for later
    // zoom steps, which would only queue up behind each other.)
    if (!m_painted && !window()->isHidden())
        m_painter.prefetch(devicePixelRatioF());
    // Rounded, not rounded up: a fitted side must not outgrow the view by a
    // fraction and bring up a scroll bar.
    setFixedSize(QSize(std::max(qRound(size.width()), 1), std::max(qRound(size.height()), 1)));
    m_textFields.setContentSize(size);
    update();
}

void CanvasContentView::changeEvent(QEvent* event)
{
    // Placed in the canvas it takes on the page colour around the picture.
    if (event->type() == QEvent::PaletteChange)
        m_painter.setBackdrop(palette().color(QPalette::Window));
    QWidget::changeEvent(event);
}

QPointF CanvasContentView::imagePoint(QPointF v) const
{
    return AnnotationGeometry::imagePoint(v, m_vm.imagePixelSize(), contentSize());
}

QPointF CanvasContentView::viewPoint(QPointF p) const
{
    return AnnotationGeometry::viewPoint(p, m_vm.imagePixelSize(), contentSize());
}

void CanvasContentView::repaintAll()
{
    m_painter.invalidateLayer();
    update();
}

void CanvasContentView::repaintMoving(QRectF& last, const QRectF& now)
{
    const QRect dirty = (last | now).toAlignedRect();
    last = now;
    if (!dirty.isEmpty())
        update(dirty);
}

void CanvasContentView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    m_painter.paint(p, event->rect(), visibleRegion().boundingRect());
    m_painted = true;
}

void CanvasContentView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_gestures.press(event->position(), contentSize(), event->modifiers().testFlag(Qt::ShiftModifier));
}

void CanvasContentView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    m_gestures.doublePress(event->position(), contentSize());
}

void CanvasContentView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons().testFlag(Qt::LeftButton))
        m_gestures.move(event->position(), contentSize());
}

void CanvasContentView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_gestures.release(event->position(), contentSize());
}
