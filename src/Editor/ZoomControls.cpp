#include "Editor/ZoomControls.h"

#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "Ui/Theme.h"
#include "Ui/ZoomButton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
// Minus and plus turn off this close to the limits, so rounding never leaves
// a button on that would do nothing.
constexpr double minusOffAtOrBelow = 0.251;
constexpr double plusOffAtOrAbove = 39.999;
constexpr int padding = 3;
constexpr int shadowRoom = 4;
} // namespace

ZoomControls::ZoomControls(EditorViewModel& vm, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_minus(new ZoomButton(QStringLiteral("minus"), QSize(22, 22), this))
    , m_percent(new ZoomButton(QString(), QSize(46, 22), this))
    , m_plus(new ZoomButton(QStringLiteral("plus"), QSize(22, 22), this))
{
    m_plus->setObjectName(QStringLiteral("plusButton"));
    m_percent->setLabelFont(Theme::font(11, QFont::Medium));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding + shadowRoom, padding + shadowRoom, padding + shadowRoom, padding + shadowRoom);
    row->setSpacing(0);
    row->addWidget(m_minus);
    row->addWidget(m_percent);
    row->addWidget(m_plus);
    connect(m_minus, &QAbstractButton::clicked, &vm, &EditorViewModel::zoomOut);
    connect(m_percent, &QAbstractButton::clicked, &vm, &EditorViewModel::resetZoom);
    connect(m_plus, &QAbstractButton::clicked, &vm, &EditorViewModel::zoomIn);
    connect(&vm, &EditorViewModel::zoomChanged, this, &ZoomControls::sync);
    retranslate();
    sync();
}

QString ZoomControls::percentText(double zoom)
{
    return QString::number(std::llround(zoom * 100)) + QLatin1Char('%');
}

void ZoomControls::sync()
{
    const double zoom = m_vm.zoom();
    m_percent->setText(percentText(zoom));
    m_percent->setAccessibleName(m_percent->text());
    m_minus->setEnabled(zoom > minusOffAtOrBelow);
    m_plus->setEnabled(zoom < plusOffAtOrAbove);
}

void ZoomControls::retranslate()
{
    m_minus->setAccessibleName(Localizer::t(QStringLiteral("Verkleinern")));
    m_plus->setAccessibleName(Localizer::t(QStringLiteral("Vergrößern")));
}

void ZoomControls::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = QRectF(rect()).adjusted(shadowRoom, shadowRoom, -shadowRoom, -shadowRoom);
    const qreal r = pill.height() / 2;
    // A soft shadow: a few widening rings whose strengths add up to 0.16.
    for (int i = shadowRoom; i >= 1; --i) {
        QPainterPath ring;
        const QRectF grown = pill.adjusted(-i, -i + 1, i, i + 1);
        ring.addRoundedRect(grown, r + i, r + i);
        p.fillPath(ring, QColor(0, 0, 0, int(255 * 0.16 / shadowRoom)));
    }
    QPainterPath capsule;
    capsule.addRoundedRect(pill, r, r);
    p.fillPath(capsule, Theme::withAlpha(Theme::windowBackground(this), 0.92));
    p.setPen(QPen(Theme::primary(0.08, this), 1));
    p.drawPath(capsule);
}

void ZoomControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
