#include "Editor/ToolbarSlot.h"

#include "Ui/FocusRing.h"

#include <QEvent>
#include <QHBoxLayout>
#include <algorithm>

ToolbarSlot::ToolbarSlot(int spacing, QWidget* parent) : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(spacing);
    setVisible(false);
}

void ToolbarSlot::addControl(QWidget* control) { m_layout->addWidget(control, 0, Qt::AlignVCenter); }

void ToolbarSlot::clear()
{
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

bool ToolbarSlot::isEmpty() const
{
    const QList<QWidget*> children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    return std::all_of(children.begin(), children.end(), [](const QWidget* w) { return FocusRing::isRing(w); });
}

bool ToolbarSlot::event(QEvent* e)
{
    // Shown exactly while it holds a control, however the control got here.
    if (e->type() == QEvent::ChildAdded || e->type() == QEvent::ChildRemoved) {
        const bool result = QWidget::event(e);
        setVisible(!isEmpty());
        return result;
    }
    return QWidget::event(e);
}
