#include "Pinned/PinnedImageWindowController.h"

#include "Pinned/PinnedImageModel.h"
#include "Pinned/PinnedImageView.h"
#include "Platform/WindowDesktops.h"
#include "Storage/ImageOps.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

PinnedImageWindowController::PinnedImageWindowController(const QImage& image, WindowDesktops& desktops,
                                                         std::optional<QRect> visibleFrame, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_model(std::make_unique<PinnedImageModel>(image))
    , m_desktops(desktops)
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
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), PinnedImageView::cornerRadius, PinnedImageView::cornerRadius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

void PinnedImageWindowController::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    if (onClose)
        onClose();
}
