#include "Settings/SettingsIntroSplash.h"

#include "Localization/Localizer.h"
#include "Ui/AnimatedValue.h"
#include "Ui/AppImages.h"
#include "Ui/Blur.h"
#include "Ui/Theme.h"
#include "Ui/ZentuMark.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

namespace {
constexpr int shadowMargin = 24;
constexpr qreal shadowRadius = 10;
constexpr qreal shadowOffsetY = 4;
constexpr qreal rise = 6;
} // namespace

SettingsIntroSplash::SettingsIntroSplash(QWidget* parent)
    : QWidget(parent)
    , m_on(new AnimatedValue(0.0, this))
{
    m_on->setSpring(0.55, 0.7);
    connect(m_on, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    const qreal dpr = devicePixelRatioF();
    m_logo = AppImages::logo(logoSide, dpr);
    // The shadow is drawn from the logo's shape once, with room to spread.
    QImage canvas(QSize(logoSide + 2 * shadowMargin, logoSide + 2 * shadowMargin) * dpr,
                  QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(dpr);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.drawPixmap(QPointF(shadowMargin, shadowMargin), m_logo);
    }
    m_logoShadow = Blur::shadow(canvas, QColor::fromRgbF(0, 0, 0, 0.12f), shadowRadius);
    retranslate();
}

double SettingsIntroSplash::progress() const { return m_on->value(); }

void SettingsIntroSplash::retranslate()
{
    m_caption = Localizer::t(QStringLiteral("Einstellungen"));
    update();
}

void SettingsIntroSplash::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_entered)
        return;
    m_entered = true;
    m_on->animateTo(1.0);
}

void SettingsIntroSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(rect(), Theme::windowBackground(this));

    const double on = m_on->value();
    const qreal opacity = qBound(0.0, on, 1.0);

    QTextDocument mark;
    mark.setDocumentMargin(0);
    mark.setHtml(zentuMark(Theme::font(21, QFont::DemiBold), 24, this));
    const QSizeF markSize(mark.idealWidth(), mark.size().height());
    const QFont captionFont = Theme::font(Theme::calloutSize);
    const qreal captionHeight = QFontMetricsF(captionFont).height();
    const qreal total = logoSide + spacing + markSize.height() + spacing + captionHeight;
    const qreal cx = width() / 2.0;
    qreal y = (height() - total) / 2.0;

    // Logo with its shadow, scaled about its centre.
    const QPointF logoCentre(cx, y + logoSide / 2.0);
    const qreal scale = 0.55 + 0.45 * on;
    p.save();
    p.setOpacity(opacity);
    p.translate(logoCentre);
    p.scale(scale, scale);
    p.drawImage(QPointF(-logoSide / 2.0 - shadowMargin, -logoSide / 2.0 - shadowMargin + shadowOffsetY), m_logoShadow);
    p.drawPixmap(QPointF(-logoSide / 2.0, -logoSide / 2.0), m_logo);
    p.restore();
    y += logoSide + spacing;

    const qreal offset = rise * (1.0 - on);
    p.save();
    p.setOpacity(opacity);
    p.translate(cx - markSize.width() / 2.0, y + offset);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, Theme::primary(this));
    mark.documentLayout()->draw(&p, context);
    p.restore();
    y += markSize.height() + spacing;

    p.save();
    p.setOpacity(qBound(0.0, 0.85 * on, 1.0));
    p.setFont(captionFont);
    p.setPen(Theme::secondary(this));
    p.drawText(QRectF(0, y + offset, width(), captionHeight), Qt::AlignHCenter | Qt::AlignTop, m_caption);
    p.restore();
}
