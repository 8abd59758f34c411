#include "MenuBar/CaptureIntroView.h"

#include "Localization/Localizer.h"
#include "Ui/ScrollMotifIcon.h"
#include "Text/ButtonText.h"
#include "Ui/IconRegistry.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

qreal pointsFor(qreal px)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return px * 72.0 / (dpi > 0 ? dpi : 96.0);
}

QFont fontFrom(const QStringList& families, qreal px, QFont::Weight weight)
{
    const QStringList installed = QFontDatabase::families();
    QFont font = QGuiApplication::font();
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font = QFont(family);
            break;
        }
    }
    font.setPointSizeF(pointsFor(px));
    font.setWeight(weight);
    return font;
}

class SymbolView : public QWidget {
public:
    SymbolView(const QString& name, const QColor& color, qreal side, QSize frame, QWidget* parent)
        : QWidget(parent), m_name(name), m_color(color), m_side(side)
    {
        setFixedSize(frame);
        setObjectName(name);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        IconRegistry::paint(p, m_name, QRectF(rect()), m_color, m_side);
    }

private:
    QString m_name;
    QColor m_color;
    qreal m_side;
};

QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

QWidget* separator(QWidget* parent)
{
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 0, qRound(0.08 * 255)));
    line->setPalette(pal);
    return line;
}

// The card's light surface: white over a light material, a faint inner edge.
class IntroCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 20, 20);
        p.fillPath(shape, QColor(246, 246, 247));
        p.fillPath(shape, QColor(255, 255, 255, qRound(0.25 * 255)));
        QPainterPath inner;
        inner.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 19.5, 19.5);
        p.setPen(QPen(QColor(0, 0, 0, qRound(0.1 * 255)), 1));
        p.drawPath(inner);
    }
};

constexpr int buttonShadowMargin = 4;

} // namespace

namespace IntroFonts {
QFont introBody(qreal px, QFont::Weight weight)
{
    return fontFrom({QStringLiteral("Figtree"), QStringLiteral("Inter"), QStringLiteral("Inter Variable")}, px, weight);
}
QFont introDisplay(qreal px)
{
    return fontFrom({QStringLiteral("Cal Sans"), QStringLiteral("Figtree"), QStringLiteral("Inter")}, px,
                    QFont::DemiBold);
}
QFont system(qreal px, QFont::Weight weight) { return fontFrom({}, px, weight); }
}

IntroButton::IntroButton(Style style, const QString& text, QWidget* parent)
    : QAbstractButton(parent)
    , m_style(style)
    , m_animation(new QVariantAnimation(this))
{
    setText(ButtonText::escaped(text));
    setFont(IntroFonts::introBody(12, QFont::DemiBold));
    setFocusPolicy(Qt::NoFocus);
    m_animation->setDuration(120);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_press = v.toReal();
        update();
    });
    auto animateTo = [this](qreal target) {
        m_animation->stop();
        m_animation->setStartValue(m_press);
        m_animation->setEndValue(target);
        m_animation->start();
    };
    connect(this, &QAbstractButton::pressed, this, [animateTo] { animateTo(1.0); });
    connect(this, &QAbstractButton::released, this, [animateTo] { animateTo(0.0); });
}

QSize IntroButton::sizeHint() const
{
    const qreal padding = m_style == Style::light ? 14 : 18;
    const qreal w = QFontMetricsF(font()).horizontalAdvance(ButtonText::shown(text())) + 2 * padding;
    return QSize(qCeil(w) + 2 * buttonShadowMargin, 34 + 2 * buttonShadowMargin);
}

void IntroButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(buttonShadowMargin, buttonShadowMargin, -buttonShadowMargin,
                                                -buttonShadowMargin);
    const qreal scale = 1.0 - 0.02 * m_press;
    p.translate(body.center());
    p.scale(scale, scale);
    p.translate(-body.center());

    const bool light = m_style == Style::light;
    QPainterPath shape;
    shape.addRoundedRect(body, 9, 9);
    // Shadow: a soft copy of the shape below it.
    const qreal shadowAlpha = light ? 0.12 : 0.25;
    const qreal shadowDy = light ? 1 : 2;
    const int steps = light ? 3 : 4;
    for (int i = steps; i >= 1; --i) {
        QPainterPath s;
        s.addRoundedRect(body.translated(0, shadowDy).adjusted(-i * 0.7, -i * 0.5, i * 0.7, i * 0.7), 9 + i, 9 + i);
        p.fillPath(s, QColor(0, 0, 0, qRound(255 * shadowAlpha / (steps + 1))));
    }
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, light ? QColor(255, 255, 255) : QColor(48, 51, 58));
    fill.setColorAt(1, light ? QColor(237, 239, 242) : QColor(25, 27, 32));
    p.fillPath(shape, fill);

    QPainterPath inner;
    inner.addRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 8.5, 8.5);
    if (light) {
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Screen);
        p.setPen(QPen(QColor(255, 255, 255, qRound(0.7 * 255)), 1));
        p.drawPath(inner);
        p.restore();
        p.setPen(QPen(QColor(0, 0, 0, qRound(0.16 * 255)), 1));
        p.drawPath(shape);
    } else {
        p.save();
        p.setClipRect(QRectF(body.left(), body.top(), body.width(), body.height() / 2));
        p.setPen(QPen(QColor(255, 255, 255, qRound(0.14 * 255)), 1));
        p.drawPath(inner);
        p.restore();
    }
    if (m_press > 0)
        p.fillPath(shape, QColor(0, 0, 0, qRound(255 * (light ? 0.05 : 0.06) * m_press)));

    p.setFont(font());
    p.setPen(light ? IntroPalette::ink() : QColor(Qt::white));
    p.drawText(body, Qt::AlignCenter, ButtonText::shown(text()));
}

IntroCancelButton::IntroCancelButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(ButtonText::escaped(text));
    setFont(IntroFonts::introBody(10.5, QFont::DemiBold));
    setFocusPolicy(Qt::NoFocus);
}

QRectF IntroCancelButton::keycapRect() const
{
    const QFontMetricsF fm(font());
    const qreal w = fm.horizontalAdvance(QStringLiteral("esc")) + 12;
    const qreal h = fm.height() + 4;
    return QRectF(0, (height() - h) / 2, w, h);
}

QSize IntroCancelButton::sizeHint() const
{
    const QFontMetricsF fm(font());
    const qreal w
        = fm.horizontalAdvance(QStringLiteral("esc")) + 12 + 8 + fm.horizontalAdvance(ButtonText::shown(text()));
    return QSize(qCeil(w) + 1, qCeil(fm.height() + 4) + 1);
}

void IntroCancelButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cap = keycapRect();
    QPainterPath shape;
    shape.addRoundedRect(cap, 6, 6);
    QLinearGradient fill(cap.topLeft(), cap.bottomLeft());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(233, 235, 238));
    p.fillPath(shape, fill);
    p.save();
    p.setClipPath(shape);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    QPainterPath strip;
    strip.addRoundedRect(QRectF(cap.left(), cap.bottom() - 1.5 + 0.2, cap.width(), 1.5), 0.75, 0.75);
    p.fillPath(strip, QColor(0, 0, 0, qRound(0.1 * 255)));
    p.restore();
    QPainterPath edge;
    edge.addRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5);
    p.setPen(QPen(QColor(0, 0, 0, qRound(0.14 * 255)), 1));
    p.drawPath(edge);

    p.setFont(font());
    p.setPen(IntroPalette::ink());
    p.drawText(cap, Qt::AlignCenter, QStringLiteral("esc"));
    p.drawText(QRectF(cap.right() + 8, 0, width() - cap.right() - 8, height()), Qt::AlignVCenter | Qt::AlignLeft,
               ButtonText::shown(text()));
}

CaptureIntroView::CaptureIntroView(const CaptureIntroConfig& config, const QImage& backdrop, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint)
    , m_backdrop(backdrop)
{
    setObjectName(QStringLiteral("CaptureIntroView"));
    setFocusPolicy(Qt::StrongFocus);
    const QColor ink = IntroPalette::ink();
    const QColor muted = IntroPalette::muted();

    m_card = new IntroCard(this);
    m_card->setObjectName(QStringLiteral("card"));
    m_card->setFixedWidth(cardWidth);
    auto* stack = new QVBoxLayout(m_card);
    stack->setContentsMargins(16, 18, 16, 14);
    stack->setSpacing(0);

    // Header.
    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    if (config.titleMotif) {
        m_headerIcon = new ScrollMotifIcon(ink, m_card);
        m_headerIcon->setFixedSize(28, 24);
        m_headerIcon->setObjectName(QStringLiteral("motif"));
    } else {
        m_headerIcon = new SymbolView(config.titleIcon, ink, 18, QSize(22, 22), m_card);
    }
    header->addWidget(m_headerIcon, 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(label(Localizer::t(config.title), IntroFonts::introDisplay(16), ink, m_card));
    titles->addWidget(label(Localizer::t(config.subtitle), IntroFonts::introBody(11.5), muted, m_card));
    header->addLayout(titles, 1);
    stack->addLayout(header);
    stack->addSpacing(13);
    stack->addWidget(separator(m_card));

    // Rows.
    stack->addSpacing(13);
    auto* rows = new QVBoxLayout;
    rows->setSpacing(12);
    for (const auto& row : config.rows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(12);
        line->addWidget(new SymbolView(row.symbol, row.color, 17, QSize(24, 24), m_card), 0, Qt::AlignVCenter);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(label(Localizer::t(row.title), IntroFonts::introBody(12.5, QFont::DemiBold), ink, m_card));
        texts->addWidget(label(Localizer::t(row.text), IntroFonts::introBody(11), muted, m_card));
        line->addLayout(texts, 1);
        rows->addLayout(line);
    }
    stack->addLayout(rows);
    stack->addSpacing(13);

    // Hint.
    auto* hint = new QHBoxLayout;
    hint->setSpacing(7);
    hint->addWidget(new SymbolView(QStringLiteral("info.circle"), muted, 11, QSize(12, 12), m_card), 0,
                    Qt::AlignVCenter);
    hint->addWidget(label(Localizer::t(config.hint), IntroFonts::introBody(11), muted, m_card), 1);
    stack->addLayout(hint);
    stack->addSpacing(12);
    stack->addWidget(separator(m_card));

    // Cancel.
    stack->addSpacing(12);
    m_cancel = new IntroCancelButton(Localizer::t(QStringLiteral("Abbrechen")), m_card);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    stack->addWidget(m_cancel, 0, Qt::AlignLeft);
    stack->addSpacing(14 - buttonShadowMargin);

    // Buttons at the trailing edge.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(9 - 2 * buttonShadowMargin);
    buttons->addStretch(1);
    m_hideForever = new IntroButton(IntroButton::Style::light, Localizer::t(QStringLiteral("Nicht mehr anzeigen")), m_card);
    m_hideForever->setObjectName(QStringLiteral("hideForeverButton"));
    m_proceed = new IntroButton(IntroButton::Style::dark, Localizer::t(QStringLiteral("OK")), m_card);
    m_proceed->setObjectName(QStringLiteral("proceedButton"));
    buttons->addWidget(m_hideForever);
    buttons->addWidget(m_proceed);
    stack->addLayout(buttons);

    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_card, 0, 0, Qt::AlignCenter);

    connect(m_proceed, &QAbstractButton::clicked, this, [this] { if (onProceed) onProceed(); });
    connect(m_hideForever, &QAbstractButton::clicked, this, [this] { if (onHideForever) onHideForever(); });
    connect(m_cancel, &QAbstractButton::clicked, this, [this] { if (onCancel) onCancel(); });
}

void CaptureIntroView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_backdrop.isNull())
        p.drawImage(QRectF(rect()), m_backdrop);
    else
        p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QColor(0, 0, 0, qRound(0.4 * 255)));

    // The card's soft shadow: black 0.28, radius 26, 10 down.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(m_card->geometry()).translated(0, 10);
    constexpr int layers = 13;
    for (int i = layers; i >= 1; --i) {
        const qreal grow = i * 2.0;
        QPainterPath s;
        s.addRoundedRect(card.adjusted(-grow, -grow, grow, grow), 20 + grow, 20 + grow);
        p.fillPath(s, QColor(0, 0, 0, qRound(255 * 0.28 / layers * 0.9)));
    }
}

void CaptureIntroView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (onProceed)
            onProceed();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (onCancel)
            onCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}
