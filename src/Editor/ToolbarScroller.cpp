#include "Editor/ToolbarScroller.h"

#include "Editor/ToolbarScrollEdge.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

// Puts the scroller in the window's chain of layouts like every other box of
// the toolbar: a control shown in the run gets its place, and the row its new
// width, within that same call, as nested layouts do. Outside the chain the
// scroller would hear of it only through posted requests, a few turns of the
// event loop later, and a control looked up meanwhile (to open its popover, to
// bring it into view) would still sit at its old place.
class RunLayout final : public QLayout {
public:
    RunLayout(QWidget* content, std::function<void()> place, QWidget* scroller)
        : QLayout(scroller)
        , m_item(std::make_unique<QWidgetItem>(content))
        , m_place(std::move(place))
    {
        setContentsMargins(0, 0, 0, 0);
    }

    void addItem(QLayoutItem* item) override { delete item; } // holds the run alone
    int count() const override { return m_item ? 1 : 0; }
    QLayoutItem* itemAt(int index) const override { return index == 0 ? m_item.get() : nullptr; }
    QLayoutItem* takeAt(int index) override { return index == 0 ? m_item.release() : nullptr; }
    QSize sizeHint() const override { return m_item ? m_item->sizeHint() : QSize(); }
    QSize minimumSize() const override { return parentWidget()->minimumSizeHint(); }
    Qt::Orientations expandingDirections() const override { return {}; }
    void setGeometry(const QRect& rect) override
    {
        QLayout::setGeometry(rect);
        m_place();
    }

private:
    std::unique_ptr<QWidgetItem> m_item;
    std::function<void()> m_place;
};

} // namespace

ToolbarScroller::ToolbarScroller(QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_content(content)
    , m_leading(new ToolbarScrollEdge(ToolbarScrollEdge::Side::leading, this))
    , m_trailing(new ToolbarScrollEdge(ToolbarScrollEdge::Side::trailing, this))
{
    m_trailing->setObjectName(QStringLiteral("trailingEdge"));
    m_leading->setObjectName(QStringLiteral("leadingEdge"));
    m_content->setParent(this);
    m_content->installEventFilter(this);
    new RunLayout(m_content, [this] { relayout(); }, this);
    m_leading->hide();
    m_trailing->hide();
    if (m_content->isHidden())
        hide();
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    connect(m_leading, &QAbstractButton::clicked, this, [this] { scrollTo(m_offset - pageStep()); });
    connect(m_trailing, &QAbstractButton::clicked, this, [this] { scrollTo(m_offset + pageStep()); });
    // A control reached with Tab slides in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_content->isAncestorOf(now))
            ensureVisible(now);
    });
    relayout();
}

QSize ToolbarScroller::sizeHint() const { return m_content->sizeHint(); }

QSize ToolbarScroller::minimumSizeHint() const
{
    return {2 * ToolbarScrollEdge::width + 28, m_content->minimumSizeHint().height()};
}

int ToolbarScroller::maximumOffset() const { return std::max(0, m_content->sizeHint().width() - width()); }

int ToolbarScroller::pageStep() const { return std::max(40, width() - 2 * ToolbarScrollEdge::width - 16); }

void ToolbarScroller::scrollTo(int offset)
{
    offset = std::clamp(offset, 0, maximumOffset());
    if (offset == m_offset)
        return;
    m_offset = offset;
    relayout();
}

void ToolbarScroller::ensureVisible(const QWidget* descendant)
{
    if (!descendant || !m_content->isAncestorOf(descendant))
        return;
    const QRect r(descendant->mapTo(m_content, QPoint(0, 0)), descendant->size());
    // The edges cover the ends of the visible part.
    const int left = m_offset + (m_offset > 0 ? ToolbarScrollEdge::width : 0);
    const int right = m_offset + width() - (m_offset < maximumOffset() ? ToolbarScrollEdge::width : 0);
    if (r.left() < left)
        scrollTo(r.left() - ToolbarScrollEdge::width);
    else if (r.right() >= right)
        scrollTo(r.right() + 1 - width() + ToolbarScrollEdge::width);
}

void ToolbarScroller::relayout()
{
    const int full = m_content->sizeHint().width();
    m_offset = std::clamp(m_offset, 0, std::max(0, full - width()));
    m_content->setGeometry(-m_offset, 0, std::max(full, width()), height());
    const bool before = m_offset > 0, after = m_offset < full - width();
    m_leading->setGeometry(0, 0, ToolbarScrollEdge::width, height());
    m_trailing->setGeometry(width() - ToolbarScrollEdge::width, 0, ToolbarScrollEdge::width, height());
    m_leading->setVisible(before);
    m_trailing->setVisible(after);
    m_leading->raise();
    m_trailing->raise();
}

bool ToolbarScroller::eventFilter(QObject* watched, QEvent* e)
{
    // Hidden with the run, so an empty one takes no room in its row.
    if (watched == m_content && (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent))
        setVisible(e->type() == QEvent::ShowToParent);
    return QWidget::eventFilter(watched, e);
}

void ToolbarScroller::wheelEvent(QWheelEvent* e)
{
    if (maximumOffset() == 0) {
        e->ignore();
        return;
    }
    // A plain wheel turns sideways here: the run only scrolls one way.
    const QPoint pixels = e->pixelDelta();
    int dx;
    if (!pixels.isNull()) {
        dx = std::abs(pixels.x()) >= std::abs(pixels.y()) ? pixels.x() : pixels.y();
    } else {
        const QPoint angle = e->angleDelta();
        m_wheelRest += std::abs(angle.x()) >= std::abs(angle.y()) ? angle.x() : angle.y();
        dx = m_wheelRest * 48 / 120; // one notch, about two controls' gap
        m_wheelRest -= dx * 120 / 48;
    }
    scrollTo(m_offset - dx);
    e->accept();
}
