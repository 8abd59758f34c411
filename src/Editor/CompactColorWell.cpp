#include "Editor/CompactColorWell.h"

#include "Editor/SwatchButton.h"
#include "Localization/Localizer.h"
#include "Ui/AlphaCheckerboard.h"
#include "Ui/ColorPanelController.h"
#include "Ui/FocusRing.h"
#include "Ui/HoverRowButton.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {
QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setStyleSheet(QStringLiteral("color: rgba(128,128,128,70);"));
    return line;
}
} // namespace

CompactColorWell::CompactColorWell(ColorPanelController& panel, QWidget* parent)
    : QAbstractButton(parent), m_panel(panel)
{
    setFixedSize(chipWidth, chipHeight);
    FocusRing::setShape(this, 4);
    setCursor(Qt::ArrowCursor);
    setAccessibleName(Localizer::t(QStringLiteral("Farbe")));
    connect(this, &QAbstractButton::clicked, this, &CompactColorWell::togglePopover);
}

CompactColorWell::~CompactColorWell() = default;

void CompactColorWell::setColor(const RGBAColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    syncContent();
    update();
}

bool CompactColorWell::isPopoverOpen() const { return m_popover && m_popover->isVisible(); }

QString CompactColorWell::percentText(double alpha)
{
    // A hair of slack so that a slider position of 29 % is not read as 28.999… %.
    const double percent = std::trunc(alpha * 100.0 + 1e-9);
    return QString::number(qint64(percent)) + QLatin1Char('%');
}

void CompactColorWell::paintChip(QPainter& p, const QRectF& rect, const QColor& color, const QWidget* widget)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, 4, 4);
    p.setClipPath(shape);
    AlphaCheckerboard::paint(p, rect);
    p.fillRect(rect, color);
    p.setClipping(false);
    p.setPen(QPen(Theme::primary(0.28, widget), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 3.5, 3.5);
    p.restore();
}

void CompactColorWell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintChip(p, QRectF(rect()), m_color.toQColor(), this);
}

void CompactColorWell::togglePopover()
{
    if (isPopoverOpen()) {
        m_popover->hide();
        return;
    }
    if (!m_popover) {
        m_popover = new Popover(Popover::Mode::click, this);
        m_popover->setContent(buildContent());
    }
    syncContent();
    m_popover->showAt(this);
}

QWidget* CompactColorWell::buildContent()
{
    auto* content = new QWidget;
    // The popover pads by 10; the swatches' ring room brings it to 12.
    content->setFixedWidth(popoverWidth - 2 * 10);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* swatchRow = new QHBoxLayout;
    swatchRow->setContentsMargins(0, 0, 0, 0);
    swatchRow->setSpacing(6 - 2 * SwatchButton::ringRoom);
    m_swatches.clear();
    for (const RGBAColor& entry : RGBAColor::palette()) {
        auto* swatch = new SwatchButton(entry, Localizer::t(QStringLiteral("Farbe")), content);
        // The chosen opacity survives a change of colour; the popover stays open.
        connect(swatch, &QAbstractButton::clicked, this,
                [this, entry] { edit({entry.red, entry.green, entry.blue, m_color.alpha}); });
        swatchRow->addWidget(swatch);
        m_swatches.append(swatch);
    }
    swatchRow->addStretch(1);
    column->addLayout(swatchRow);
    column->addWidget(divider(content));

    auto* opacityBlock = new QVBoxLayout;
    opacityBlock->setSpacing(4);
    auto* caption = new QHBoxLayout;
    auto* title = new QLabel(Localizer::t(QStringLiteral("Deckkraft")), content);
    title->setFont(Theme::font(Theme::captionSize));
    QPalette muted = title->palette();
    muted.setColor(QPalette::WindowText, Theme::secondary(this));
    title->setPalette(muted);
    m_percent = new QLabel(content);
    m_percent->setObjectName(QStringLiteral("opacityText"));
    m_percent->setFont(Theme::font(Theme::captionSize));
    m_percent->setPalette(muted);
    caption->addWidget(title);
    caption->addStretch(1);
    caption->addSpacing(8);
    caption->addWidget(m_percent);
    opacityBlock->addLayout(caption);
    m_opacity = new QSlider(Qt::Horizontal, content);
    m_opacity->setObjectName(QStringLiteral("opacitySlider"));
    m_opacity->setRange(0, sliderSteps);
    m_opacity->setAccessibleName(title->text());
    // Every position is a change of its own, as the slider moves.
    connect(m_opacity, &QSlider::valueChanged, this, [this](int v) {
        edit({m_color.red, m_color.green, m_color.blue, double(v) / sliderSteps});
    });
    opacityBlock->addWidget(m_opacity);
    column->addLayout(opacityBlock);
    column->addWidget(divider(content));

    m_more = new HoverRowButton(QStringLiteral("paintpalette"), Localizer::t(QStringLiteral("Weitere Farben…")), content);
    m_more->setObjectName(QStringLiteral("moreColorsButton"));
    m_more->setFontPixelSize(Theme::captionSize);
    m_more->setAccessibleName(m_more->text());
    connect(m_more, &QAbstractButton::clicked, this, [this] {
        QPointer<CompactColorWell> self(this);
        m_panel.present(m_color.toQColor(), this, [self](const QColor& c) {
            if (self)
                self->edit(RGBAColor::fromQColor(c));
        });
        if (m_popover)
            m_popover->hide();
    });
    column->addWidget(m_more, 0, Qt::AlignLeft);
    return content;
}

void CompactColorWell::edit(const RGBAColor& color)
{
    m_color = color;
    syncContent();
    update();
    Q_EMIT colorEdited(color);
}

void CompactColorWell::syncContent()
{
    if (!m_opacity)
        return;
    const QSignalBlocker quiet(m_opacity);
    m_opacity->setValue(int(std::lround(m_color.alpha * sliderSteps)));
    m_percent->setText(percentText(m_color.alpha));
}

void CompactColorWell::changeEvent(QEvent* e)
{
    // The popover's texts are built in the language of the moment: the next
    // opening builds them anew.
    if (e->type() == QEvent::LanguageChange && m_popover) {
        m_popover->hide();
        m_popover->deleteLater();
        m_popover = nullptr;
        m_swatches.clear();
        m_opacity = nullptr;
        m_percent = nullptr;
        m_more = nullptr;
    }
    QAbstractButton::changeEvent(e);
}
