#include "Pinned/PinnedImageView.h"

#include "Pinned/PinnedImageModel.h"
#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"

#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace {

// The black capsule behind the controls.
class ControlBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        RoundedFill::paint(p, QRectF(rect()), height() / 2.0, QColor::fromRgbF(0, 0, 0, 0.72));
    }
};

QLabel* symbol(const QString& name, qreal size, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(IconRegistry::pixmap(name, size, Qt::white, parent->devicePixelRatioF()));
    return label;
}

// The slider works in hundredths.
constexpr int sliderScale = 100;

} // namespace

PinnedImageView::PinnedImageView(PinnedImageModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);

    m_bar = new ControlBar(this);
    m_bar->setObjectName(QStringLiteral("controlBar"));
    auto* row = new QHBoxLayout(m_bar);
    row->setContentsMargins(12, 7, 12, 7);
    row->setSpacing(10);
    row->addWidget(symbol(QStringLiteral("pin.fill"), 11, m_bar));
    row->addWidget(symbol(QStringLiteral("circle.lefthalf.filled"), 11, m_bar));
    m_slider = new QSlider(Qt::Horizontal, m_bar);
    m_slider->setObjectName(QStringLiteral("opacitySlider"));
    m_slider->setRange(int(std::lround(PinnedImageModel::minOpacity * sliderScale)),
                       int(std::lround(PinnedImageModel::maxOpacity * sliderScale)));
    m_slider->setFixedWidth(90);
    m_slider->setValue(int(std::lround(m_model.opacity() * sliderScale)));
    m_slider->setAccessibleName(Localizer::t(QStringLiteral("Deckkraft")));
    row->addWidget(m_slider);
    m_close = new QToolButton(m_bar);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAutoRaise(true);
    m_close->setIcon(IconRegistry::icon(QStringLiteral("xmark.circle.fill"), 14, Qt::white));
    m_close->setIconSize(QSize(14, 14));
    m_close->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    m_close->setAccessibleName(Localizer::t(QStringLiteral("Schließen")));
    row->addWidget(m_close);

    connect(m_slider, &QSlider::valueChanged, this,
            [this](int value) { m_model.setOpacity(double(value) / sliderScale); });
    connect(&m_model, &PinnedImageModel::opacityChanged, this, [this] {
        m_slider->setValue(int(std::lround(m_model.opacity() * sliderScale)));
        update();
    });
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (m_model.onClose)
            m_model.onClose();
    });

    m_barOpacity = new QGraphicsOpacityEffect(m_bar);
    m_barOpacity->setOpacity(0);
    m_bar->setGraphicsEffect(m_barOpacity);
    m_barFade = new QPropertyAnimation(m_barOpacity, "opacity", this);
    m_barFade->setDuration(150);
    m_barFade->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_barFade, &QPropertyAnimation::finished, this, [this] {
        if (!m_hovering)
            m_bar->hide();
    });
    m_bar->hide();
}

void PinnedImageView::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_barFade->stop();
    if (hovering) {
        placeBar();
        m_bar->show();
        m_bar->raise();
    }
    m_barFade->setStartValue(m_barOpacity->opacity());
    m_barFade->setEndValue(hovering ? 1.0 : 0.0);
    m_barFade->start();
}

void PinnedImageView::placeBar()
{
    // A narrow window (a tall picture on a small screen) keeps the slider
    // and the close button: the two symbols go first, then slider width.
    const QList<QLabel*> symbols = m_bar->findChildren<QLabel*>();
    const int fullWidth = 12 + 11 + 10 + 11 + 10 + 90 + 10 + 14 + 12;
    for (QLabel* s : symbols)
        s->setVisible(width() - 16 >= fullWidth);
    m_slider->setFixedWidth(std::clamp(width() - 16 - (12 + 10 + 14 + 12), 30, 90));
    m_bar->adjustSize();
    m_bar->move((width() - m_bar->width()) / 2, 8);
}

void PinnedImageView::enterEvent(QEnterEvent*)
{
    setHovering(true);
}

void PinnedImageView::leaveEvent(QEvent*)
{
    setHovering(false);
}

void PinnedImageView::resizeEvent(QResizeEvent*)
{
    placeBar();
}

void PinnedImageView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    p.setClipPath(shape);
    const QImage& image = m_model.image();
    if (!image.isNull()) {
        const QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        p.setOpacity(m_model.opacity());
        p.drawImage(target, image);
        p.setOpacity(1);
    }
    p.setClipping(false);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.18), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

Qt::Edges PinnedImageView::edgesAt(QPoint at, QSize size)
{
    Qt::Edges edges;
    if (at.x() < edgeGrip)
        edges |= Qt::LeftEdge;
    else if (at.x() >= size.width() - edgeGrip)
        edges |= Qt::RightEdge;
    if (at.y() < edgeGrip)
        edges |= Qt::TopEdge;
    else if (at.y() >= size.height() - edgeGrip)
        edges |= Qt::BottomEdge;
    return edges;
}

QRect PinnedImageView::resized(QRect start, Qt::Edges edges, QPoint delta, QSize minimum, QSize bounds)
{
    if (start.isEmpty() || !edges)
        return start;
    const double aspect = double(start.width()) / start.height();
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    const double dw = (edges & Qt::LeftEdge) ? -delta.x() : (edges & Qt::RightEdge) ? delta.x() : 0;
    const double dh = (edges & Qt::TopEdge) ? -delta.y() : (edges & Qt::BottomEdge) ? delta.y() : 0;
    double w = horizontal && vertical ? std::max(start.width() + dw, (start.height() + dh) * aspect)
               : horizontal           ? start.width() + dw
                                      : (start.height() + dh) * aspect;
    w = std::max({w, double(minimum.width()), minimum.height() * aspect});
    if (bounds.isValid())
        w = std::min({w, double(bounds.width()), bounds.height() * aspect});
    const int width = std::max(1, int(std::lround(w)));
    const int height = std::max(1, int(std::lround(w / aspect)));
    const int x = (edges & Qt::LeftEdge) ? start.right() + 1 - width : start.left();
    const int y = (edges & Qt::TopEdge) ? start.bottom() + 1 - height : start.top();
    return QRect(x, y, width, height);
}

void PinnedImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_dragEdges = edgesAt(event->position().toPoint(), size());
    m_dragStart = event->globalPosition().toPoint();
    m_dragStartGeometry = window()->geometry();
    event->accept();
}

void PinnedImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragStart) {
        const Qt::Edges edges = edgesAt(event->position().toPoint(), size());
        const bool diagonal = (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge));
        const bool falling = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
        setCursor(diagonal                                       ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                  : edges & (Qt::LeftEdge | Qt::RightEdge)       ? Qt::SizeHorCursor
                  : edges & (Qt::TopEdge | Qt::BottomEdge)       ? Qt::SizeVerCursor
                                                                 : Qt::ArrowCursor);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - *m_dragStart;
    QWidget* win = window();
    if (!m_dragEdges) {
        Q_EMIT geometryRequested(m_dragStartGeometry.translated(delta));
        return;
    }
    const QScreen* screen = win->screen() ? win->screen() : QGuiApplication::primaryScreen();
    const QSize bounds = screen ? screen->availableGeometry().size() : QSize();
    Q_EMIT geometryRequested(resized(m_dragStartGeometry, m_dragEdges, delta, win->minimumSize(), bounds));
}

void PinnedImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool dragged = m_dragStart.has_value();
    m_dragStart.reset();
    m_dragEdges = {};
    event->accept();
    if (dragged)
        Q_EMIT gestureEnded();
}
