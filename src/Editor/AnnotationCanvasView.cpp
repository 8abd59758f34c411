#include "Editor/AnnotationCanvasView.h"

#include "Editor/CanvasContentView.h"
#include "Editor/EditorSession.h"

#include <QNativeGestureEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
// One notch of the wheel with Ctrl held zooms by this factor, as the zoom buttons step.
constexpr double wheelZoomStep = 1.25;
}

AnnotationCanvasView::AnnotationCanvasView(EditorSession& session, QWidget* parent)
    : QScrollArea(parent)
    , m_vm(session.model())
    , m_content(new CanvasContentView(session))
{
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The page colour around a picture smaller than the view.
    QPalette page = viewport()->palette();
    page.setColor(QPalette::Window, QColor(0xe3, 0xe3, 0xe6));
    viewport()->setPalette(page);
    viewport()->setAutoFillBackground(true);
    setWidget(m_content);
    m_content->installEventFilter(this);
    connect(&m_vm, &EditorViewModel::zoomChanged, this, [this] {
        const auto anchor = m_zoomAnchor;
        m_zoomAnchor.reset();
        const QPoint before = m_content->pos();
        const QSizeF oldSize = m_content->contentSize();
        const QPointF at = anchor.value_or(QRectF(viewport()->rect()).center());
        const QPointF fraction((at.x() - before.x()) / std::max(oldSize.width(), 1.0),
                               (at.y() - before.y()) / std::max(oldSize.height(), 1.0));
        relayout();
        const QSizeF size = m_content->contentSize();
        horizontalScrollBar()->setValue(qRound(fraction.x() * size.width() - at.x()));
        verticalScrollBar()->setValue(qRound(fraction.y() * size.height() - at.y()));
    });
    connect(&m_vm, &EditorViewModel::imageChanged, this, &AnnotationCanvasView::relayout);
    relayout();
}

QSizeF AnnotationCanvasView::contentSize(QSizeF offered, QSizeF px, double zoom)
{
    QSizeF fitted = offered;
    if (offered.width() > 0 && offered.height() > 0 && px.width() > 0 && px.height() > 0) {
        // Never enlarged: at zoom 1 a picture that fits is shown pixel for pixel.
        const double f = std::min({offered.width() / px.width(), offered.height() / px.height(), 1.0});
        fitted = px * f;
    }
    return QSizeF(std::max(fitted.width() * zoom, 1.0), std::max(fitted.height() * zoom, 1.0));
}

void AnnotationCanvasView::relayout()
{
    // Fitted to the whole area, as if no scroll bars took room: showing them
    // must not change the fit. At 100 % one pixel of the picture is one
    // pixel of the screen, which on a scaled screen is less than a point.
    const QSizeF points = m_vm.imagePixelSize() / devicePixelRatioF();
    m_content->setContentSize(contentSize(QSizeF(maximumViewportSize()), points, m_vm.zoom()));
}

void AnnotationCanvasView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    relayout();
}

void AnnotationCanvasView::zoomAbout(double zoom, std::optional<QPointF> anchor)
{
    m_zoomAnchor = anchor;
    m_vm.setZoom(zoom);
    m_zoomAnchor.reset();
}

void AnnotationCanvasView::pinchChanged(double magnification, std::optional<QPointF> anchor)
{
    if (!m_pinchBaseZoom)
        m_pinchBaseZoom = m_vm.zoom();
    zoomAbout(std::clamp(magnification * *m_pinchBaseZoom, EditorViewModel::minZoom, EditorViewModel::maxZoom),
              anchor);
}

void AnnotationCanvasView::pinchEnded()
{
    m_pinchBaseZoom.reset();
    m_pinchMagnification = 1;
}

bool AnnotationCanvasView::handleZoomInput(QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!wheel->modifiers().testFlag(Qt::ControlModifier))
            return false;
        const double notches = wheel->angleDelta().y() / 120.0;
        if (notches != 0) {
            const QPointF at = viewport()->mapFromGlobal(wheel->globalPosition());
            zoomAbout(m_vm.zoom() * std::pow(wheelZoomStep, notches), at);
        }
        wheel->accept();
        return true;
    }
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            pinchEnded();
            break;
        case Qt::ZoomNativeGesture:
            // Each event carries the change since the previous one.
            m_pinchMagnification *= 1 + gesture->value();
            pinchChanged(m_pinchMagnification, viewport()->mapFromGlobal(gesture->globalPosition()));
            break;
        case Qt::EndNativeGesture:
            pinchEnded();
            break;
        default:
            return false;
        }
        gesture->accept();
        return true;
    }
    return false;
}

bool AnnotationCanvasView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && handleZoomInput(event))
        return true;
    return QScrollArea::eventFilter(watched, event);
}

bool AnnotationCanvasView::viewportEvent(QEvent* event)
{
    if (handleZoomInput(event))
        return true;
    return QScrollArea::viewportEvent(event);
}
