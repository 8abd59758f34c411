#include "Ui/SegmentedControl.h"

#include "Ui/Theme.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>

namespace {

// A segment as assistive technology sees it: a radio button with the label's
// text. The control paints the segments and takes their clicks.
class SegmentButton : public QRadioButton {
public:
    SegmentButton(const QString& text, QWidget* parent)
        : QRadioButton(text, parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

} // namespace

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent)
    : QWidget(parent)
    , m_labels(labels)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    rebuildButtons();
}

void SegmentedControl::setLabels(const QStringList& labels)
{
    m_labels = labels;
    m_current = qBound(0, m_current, qMax(0, int(labels.size()) - 1));
    rebuildButtons();
    updateGeometry();
    update();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_labels.size() || index == m_current)
        return;
    m_current = index;
    m_buttons.at(index)->setChecked(true);
    update();
    Q_EMIT currentIndexChanged(index);
}

void SegmentedControl::rebuildButtons()
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < m_labels.size(); ++i) {
        auto* button = new SegmentButton(m_labels.at(i), this);
        button->setChecked(i == m_current);
        button->show();
        connect(button, &QAbstractButton::clicked, this, [this, i] { setCurrentIndex(i); });
        m_buttons << button;
    }
    placeButtons();
}

void SegmentedControl::placeButtons()
{
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setGeometry(segmentRect(i).toRect());
}

void SegmentedControl::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    placeButtons();
}

void SegmentedControl::setMetrics(qreal fontPx, int verticalPadding)
{
    m_fontPx = fontPx;
    m_vPadding = verticalPadding;
    updateGeometry();
    update();
}

QSize SegmentedControl::sizeHint() const
{
    const QFontMetricsF fm(Theme::font(m_fontPx, QFont::Medium));
    qreal widest = 0;
    for (const QString& l : m_labels)
        widest = qMax(widest, fm.horizontalAdvance(l));
    const int n = qMax(1, int(m_labels.size()));
    const int w = qCeil(n * (widest + 16) + (n - 1) * spacing + 2 * trackPadding);
    const int h = qCeil(fm.height() + 2 * m_vPadding + 2 * trackPadding);
    return QSize(w, h);
}

QSize SegmentedControl::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

QRectF SegmentedControl::segmentRect(int index) const
{
    const int n = qMax(1, int(m_labels.size()));
    const QRectF inner = QRectF(rect()).adjusted(trackPadding, trackPadding, -trackPadding, -trackPadding);
    const qreal w = (inner.width() - (n - 1) * spacing) / n;
    return QRectF(inner.left() + index * (w + spacing), inner.top(), w, inner.height());
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath track;
    track.addRoundedRect(QRectF(rect()), trackRadius, trackRadius);
    p.fillPath(track, Theme::primary(0.06, this));
    p.setFont(Theme::font(m_fontPx, QFont::Medium));
    for (int i = 0; i < m_labels.size(); ++i) {
        const QRectF r = segmentRect(i);
        const bool selected = i == m_current;
        if (selected) {
            QPainterPath shadow;
            shadow.addRoundedRect(r.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 1.0), pillRadius, pillRadius);
            p.fillPath(shadow, QColor(0, 0, 0, int(255 * 0.12)));
            QPainterPath pill;
            pill.addRoundedRect(r, pillRadius, pillRadius);
            p.fillPath(pill, Theme::textBackground(this));
        }
        p.setPen(selected ? Theme::primary(this) : Theme::secondary(this));
        p.drawText(r, Qt::AlignCenter, m_labels.at(i));
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < m_labels.size(); ++i)
        if (segmentRect(i).adjusted(-spacing / 2.0, -trackPadding, spacing / 2.0, trackPadding).contains(e->position())) {
            setCurrentIndex(i);
            return;
        }
}
