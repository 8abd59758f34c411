#include "Pinned/PinnedImageWindowController.h"

#include "Pinned/PinnedImageModel.h"
#include "Pinned/PinnedImageView.h"
#include "Platform/CompositingInfo.h"
#include "Platform/WindowDesktops.h"
#include "Storage/ImageOps.h"
#include "Ui/Theme.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

PinnedImageWindowController::PinnedImageWindowController(const QImage& image, WindowDesktops& desktops,
                                                         std::optional<QRect> visibleFrame,
                                                         std::shared_ptr<CompositingInfo> compositing,
                                                         StillSource still, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_model(std::make_unique<PinnedImageModel>(image))
    , m_desktops(desktops)
    , m_compositing(std::move(compositing))
    , m_still(std::move(still))
{
    setWindowTitle(QStringLiteral("Zentu.it"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    m_view = new PinnedImageView(*m_model, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    // Shown pixel for pixel: on a scaled screen the picture is fewer points
    // than pixels.
    const QScreen* screen = visibleFrame ? QGuiApplication::screenAt(visibleFrame->center()) : nullptr;
    const qreal dpr = screen ? screen->devicePixelRatio() : devicePixelRatioF();
    const Layout sizes = this->layout((QSizeF(image.size()) / dpr).toSize(),
                                      visibleFrame ? std::optional(visibleFrame->size()) : std::nullopt);
    setMinimumSize(sizes.minimum);
    if (visibleFrame)
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, sizes.content, *visibleFrame));
    else
        resize(sizes.content);

    QPointer<PinnedImageWindowController> self(this);
    m_model->onClose = [self] {
        if (self)
            self->close();
    };
    connect(m_view, &PinnedImageView::geometryRequested, this, &PinnedImageWindowController::moveDuringGesture);
    connect(m_view, &PinnedImageView::gestureEnded, this, [this] {
        m_inGesture = false;
        m_desktop = {};
    });
    m_stepAside.setSingleShot(true);
    m_stepAside.setInterval(stepAsideMs);
    connect(&m_stepAside, &QTimer::timeout, this, [this] {
        if (!compositorRuns())
            setCompositing(false, m_still ? m_still(geometry()) : QImage()); // puts the cut back too
    });
    if (m_compositing)
        connect(m_compositing.get(), &CompositingInfo::compositingChanged, this,
                &PinnedImageWindowController::compositingChanged);
}

bool PinnedImageWindowController::compositorRuns() const { return m_compositing && m_compositing->isCompositing(); }

QPainterPath PinnedImageWindowController::surfaceShape() const
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), PinnedImageView::cornerRadius, PinnedImageView::cornerRadius);
    return shape;
}

void PinnedImageWindowController::showEvent(QShowEvent* event)
{
    // Before the window maps: the screen still shows what lies beneath it.
    m_stepAside.stop();
    const bool real = compositorRuns();
    setCompositing(real, real || !m_still ? QImage() : m_still(geometry()));
    QWidget::showEvent(event);
}

void PinnedImageWindowController::compositingChanged(bool compositing)
{
    if (!isVisible())
        return;
    if (compositing) {
        m_stepAside.stop();
        setCompositing(true);
    } else {
        stepAsideForStill();
    }
}

void PinnedImageWindowController::paintEvent(QPaintEvent*)
{
    if (isCompositing())
        return;
    QPainter painter(this);
    paintBeneath(painter, Theme::windowBackground(this));
}

void PinnedImageWindowController::moveDuringGesture(const QRect& geometry)
{
    if (!m_inGesture) {
        m_inGesture = true;
        // One picture of the desktop as the gesture begins, with the still of
        // the window's own place pasted in: every later place is cut from it.
        if (!compositorRuns() && m_still && hasStill()) {
            const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            m_desktopArea = screen ? screen->virtualGeometry() : QRect();
            m_desktop = m_desktopArea.isEmpty() ? QImage() : m_still(m_desktopArea);
            if (!m_desktop.isNull()) {
                QPainter paste(&m_desktop);
                paste.setCompositionMode(QPainter::CompositionMode_Source);
                paste.drawImage(this->geometry().topLeft() - m_desktopArea.topLeft(), still());
            }
        }
    }
    if (!m_desktop.isNull() && !compositorRuns()) {
        QImage still(geometry.size(), QImage::Format_ARGB32_Premultiplied);
        still.fill(Theme::windowBackground(this));
        QPainter cut(&still);
        cut.drawImage(QPoint(0, 0), m_desktop, geometry.translated(-m_desktopArea.topLeft()));
        cut.end();
        setCompositing(false, still);
    }
    setGeometry(geometry);
}

void PinnedImageWindowController::stepAsideForStill()
{
    // Shaped to nothing the window stays mapped (no flicker of the window
    // manager's stacking) while the windows beneath paint themselves.
    setMask(QRegion(-1, -1, 1, 1));
    m_stepAside.start();
}

PinnedImageWindowController::~PinnedImageWindowController() = default;

PinnedImageWindowController::Layout PinnedImageWindowController::layout(QSize pointSize,
                                                                       std::optional<QSize> visibleFrame)
{
    const double maxW = visibleFrame ? 0.5 * visibleFrame->width() : 720;
    const double maxH = visibleFrame ? 0.6 * visibleFrame->height() : 540;
    double w = pointSize.width(), h = pointSize.height();
    if (!(std::min(w, h) > 0))
        w = 400, h = 300;
    const double s = std::min({maxW / w, maxH / h, 1.0});
    double cw = w * s, ch = h * s;
    const double a = std::max(ch >= 1 ? cw / ch : cw, 0.01);
    double mw = std::max(a * 60, 210.0);
    double mh = double(ImageOps::roundHalfAway(mw / a));
    mw = double(ImageOps::roundHalfAway(mw));
    // A tall or wide picture's minimum must still fit on the screen: the
    // whole window is scaled down into the available area, aspect kept.
    if (visibleFrame && (mw > visibleFrame->width() || mh > visibleFrame->height())) {
        const double fit = std::min(visibleFrame->width() / mw, visibleFrame->height() / mh);
        mw = std::max(1.0, std::floor(mw * fit));
        mh = std::max(1.0, std::floor(mh * fit));
    }
    if (ch < mh || cw < mw)
        cw = mw, ch = mh;
    return {QSize(int(std::lround(cw)), int(std::lround(ch))), QSize(int(mw), int(mh))};
}

void PinnedImageWindowController::showPinned()
{
    show();
    raise();
}

void PinnedImageWindowController::setVisible(bool visible)
{
    // The workspace hint must be on the window before the window manager maps it.
    if (visible && !isVisible() && !m_closed)
        m_desktops.showOnAllDesktops(winId());
    QWidget::setVisible(visible);
}

void PinnedImageWindowController::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Without a compositor the clear corners would show black: cut them off.
    if (!m_stepAside.isActive())
        reshape();
}

void PinnedImageWindowController::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Moved by the window manager or the keyboard, not by a drag of ours:
    // the still no longer lies beneath.
    if (isVisible() && !m_inGesture && !compositorRuns() && m_still)
        stepAsideForStill();
}

void PinnedImageWindowController::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    Q_EMIT closed();
}
