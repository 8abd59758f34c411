#include "Screenshot/PickedWindowLookup.h"

#include "Debug/DebugLog.h"
#include "Platform/AccessibilityTree.h"
#include "Platform/ScreenSource.h"
#include "Platform/WindowServer.h"
#include "Screenshot/ScrolledView.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// Half-open, like the window server's own containment test: a point on the
// right or bottom edge belongs to the neighbour.
bool containsPoint(const QRectF& r, const QPointF& p)
{
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() && p.y() < r.top() + r.height();
}

std::optional<QRectF> frameOf(const AccessibleElement& element)
{
    const auto position = element.position();
    const auto size = element.size();
    if (!position || !size)
        return std::nullopt;
    return QRectF(*position, *size);
}

bool isScrollable(const AccessibleElement& element)
{
    return PickedWindowLookup::isScrollableRole(element.role()) || element.hasVerticalScrollBar()
        || element.hasHorizontalScrollBar();
}

} // namespace

PickedWindowLookup::PickedWindowLookup(WindowServer& windows, AccessibilityTree& accessibility, ScreenSource& screens,
                                       qint32 ownPID)
    : m_windows(windows)
    , m_accessibility(accessibility)
    , m_screens(screens)
    , m_ownPID(ownPID >= 0 ? ownPID : qint32(QCoreApplication::applicationPid()))
{
}

bool PickedWindowLookup::isScrollableRole(const QString& role)
{
    static const QStringList roles = {
        QStringLiteral("AXScrollArea"), QStringLiteral("AXWebArea"), QStringLiteral("AXTextArea"),
        QStringLiteral("AXList"),       QStringLiteral("AXTable"),   QStringLiteral("AXOutline"),
        QStringLiteral("AXGrid"),
    };
    return roles.contains(role);
}

std::optional<PickedWindow> PickedWindowLookup::windowUnderCursor(const QPointF& point) const
{
    const std::optional<QList<WindowInfo>> list = m_windows.windowList();
    if (!list)
        return std::nullopt;
    for (const WindowInfo& w : *list) {
        if (!w.layer || *w.layer != 0 || !w.ownerPID || *w.ownerPID == m_ownPID)
            continue;
        if (!containsPoint(w.bounds, point))
            continue;
        return PickedWindow{*w.ownerPID, w.bounds, w.number, std::nullopt};
    }
    return std::nullopt;
}

std::optional<QRectF> PickedWindowLookup::scrollAreaUnder(const QPointF& point, qreal windowArea, qint32 pid) const
{
    if (!m_accessibility.isAvailable())
        return std::nullopt;
    std::shared_ptr<AccessibleElement> element = m_accessibility.elementAt(pid, point);
    const qreal limit = windowArea * 9 / 10;
    for (int visited = 0; element && visited < 50; ++visited) {
        if (isScrollable(*element)) {
            const std::optional<QRectF> frame = frameOf(*element);
            if (frame && frame->width() > 80 && frame->height() > 80 && frame->width() * frame->height() < limit)
                return frame;
        }
        element = element->parent();
    }
    return std::nullopt;
}

bool PickedWindowLookup::keysMoveSelection(const QPointF& point, qint32 pid) const
{
    if (!m_accessibility.isAvailable())
        return false;
    static const QStringList selecting = {QStringLiteral("AXList"), QStringLiteral("AXTable"),
                                          QStringLiteral("AXOutline"), QStringLiteral("AXGrid"),
                                          QStringLiteral("AXTextArea")};
    bool found = false;
    std::shared_ptr<AccessibleElement> element = m_accessibility.elementAt(pid, point);
    for (int visited = 0; element && visited < 50; ++visited) {
        const QString role = element->role();
        // Lists and text fields inside a page scroll with the page's keys.
        if (role == QLatin1String("AXWebArea"))
            return false;
        found = found || selecting.contains(role);
        element = element->parent();
    }
    return found;
}

std::optional<QRectF> PickedWindowLookup::scrolledView(const QPointF& point, const QRectF& window, qint32 pid) const
{
    return ScrolledView::fromAccessibility(m_accessibility, point, window, pid);
}

QPointF PickedWindowLookup::cursorTopLeft() const
{
    return m_screens.pointerPosition();
}

void PickedWindowLookup::logAXChain(const QPointF& point, qint32 pid) const
{
    const int x = int(point.x());
    const int y = int(point.y());
    if (!m_accessibility.isAvailable()) {
        DebugLog::write(QStringLiteral("SCROLL AXChain: keine Bedienungshilfen"));
        return;
    }
    std::shared_ptr<AccessibleElement> element = m_accessibility.elementAt(pid, point);
    if (!element) {
        DebugLog::write(QStringLiteral("SCROLL AXChain: kein Element bei %1,%2").arg(x).arg(y));
        return;
    }
    QStringList entries;
    for (int visited = 0; element && visited < 60; ++visited) {
        const QString role = element->role();
        const QString subrole = element->subrole();
        const std::optional<QSizeF> size = element->size();
        QString entry = (role.isEmpty() ? QStringLiteral("?") : role) + QLatin1Char('/')
            + (subrole.isEmpty() ? QStringLiteral("-") : subrole) + QLatin1Char(' ')
            + QString::number(size ? int(size->width()) : 0) + QLatin1Char('x')
            + QString::number(size ? int(size->height()) : 0);
        if (element->hasVerticalScrollBar())
            entry += QStringLiteral(" vBar");
        if (element->hasHorizontalScrollBar())
            entry += QStringLiteral(" hBar");
        entries.append(entry);
        element = element->parent();
    }
    DebugLog::write(QStringLiteral("SCROLL AXChain @%1,%2 pid %3: %4")
                        .arg(x)
                        .arg(y)
                        .arg(pid)
                        .arg(entries.join(QStringLiteral(" \u2192 "))));
}
