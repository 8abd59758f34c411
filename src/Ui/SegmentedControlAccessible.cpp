#include "Ui/SegmentedControlAccessible.h"

#include "Ui/SegmentedControl.h"

#include <QPointer>
#include <QWindow>

namespace {

// One segment: not a widget of its own, so it answers for the painted area.
class SegmentAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SegmentAccessible(SegmentedControl* control, int index)
        : m_control(control)
        , m_index(index)
    {
    }

    bool isValid() const override { return m_control && m_index < m_control->labels().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_control ? m_control->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_control.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return isValid() && t == QAccessible::Name ? m_control->labels().at(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_control->segmentRect(m_index).toAlignedRect();
        return QRect(m_control->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override
    {
        return m_control ? m_control->segmentRole() : QAccessible::RadioButton;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = m_control->currentIndex() == m_index;
        s.checkable = true;
        s.checked = current;
        s.selectable = true;
        s.selected = current;
        s.focusable = true;
        s.disabled = !m_control->isEnabled();
        s.invisible = !m_control->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (isValid() && name == pressAction())
            m_control->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<SegmentedControl> m_control;
    int m_index;
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("SegmentedControl") && object && object->isWidgetType())
        return new SegmentedControlAccessible(static_cast<SegmentedControl*>(object));
    return nullptr;
}

} // namespace

SegmentedControlAccessible::SegmentedControlAccessible(SegmentedControl* control)
    : QAccessibleWidget(control, QAccessible::Grouping)
{
}

SegmentedControlAccessible::~SegmentedControlAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

void SegmentedControlAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(&factory), true);
    Q_UNUSED(installed);
}

SegmentedControl* SegmentedControlAccessible::control() const { return static_cast<SegmentedControl*>(widget()); }

QAccessible::Role SegmentedControlAccessible::role() const
{
    return control()->segmentRole() == QAccessible::PageTab ? QAccessible::PageTabList : QAccessible::Grouping;
}

int SegmentedControlAccessible::childCount() const { return int(control()->labels().size()); }

QAccessibleInterface* SegmentedControlAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (QAccessibleInterface* known = QAccessible::accessibleInterface(m_children.value(index)))
        return known;
    auto* segment = new SegmentAccessible(control(), index);
    m_children.insert(index, QAccessible::registerAccessibleInterface(segment));
    return segment;
}

int SegmentedControlAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    return -1;
}

QAccessibleInterface* SegmentedControlAccessible::childAt(int x, int y) const
{
    const QPointF local = control()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i)
        if (control()->segmentRect(i).contains(local))
            return child(i);
    return nullptr;
}
