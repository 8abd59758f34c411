#include "Platform/X11/AtspiAccessibilityTree.h"

#include "Platform/X11/X11ScreenLayout.h"

#include <QRectF>
#include <atspi/atspi.h>

namespace {

// Owns one reference to an AT-SPI object.
struct Ref {
    explicit Ref(AtspiAccessible* a = nullptr)
        : p(a)
    {
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref()
    {
        if (p)
            g_object_unref(p);
    }
    AtspiAccessible* release()
    {
        AtspiAccessible* out = p;
        p = nullptr;
        return out;
    }
    AtspiAccessible* p;
};

bool ok(GError*& error)
{
    if (!error)
        return true;
    g_error_free(error);
    error = nullptr;
    return false;
}

// In device pixels, as the toolkits report them.
std::optional<QRectF> extents(AtspiAccessible* acc)
{
    AtspiComponent* component = atspi_accessible_get_component_iface(acc);
    if (!component)
        return std::nullopt;
    GError* error = nullptr;
    AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, &error);
    g_object_unref(component);
    if (!ok(error) || !r)
        return std::nullopt;
    const QRectF rect(r->x, r->y, r->width, r->height);
    g_free(r);
    if (rect.width() < 0 || rect.height() < 0)
        return std::nullopt;
    return rect;
}

class AtspiElement final : public AccessibleElement {
public:
    AtspiElement(AtspiAccessible* acc, DesktopPixels layout)
        : m_acc(acc)
        , m_layout(std::move(layout))
    {
    }
    ~AtspiElement() override { g_object_unref(m_acc); }

    QString role() const override
    {
        GError* error = nullptr;
        const AtspiRole r = atspi_accessible_get_role(m_acc, &error);
        if (!ok(error))
            return {};
        gchar* name = atspi_accessible_get_role_name(m_acc, &error);
        const QString atspiName = ok(error) && name ? QString::fromUtf8(name) : QString();
        g_free(name);
        bool multiLine = false;
        if (r == ATSPI_ROLE_TEXT || r == ATSPI_ROLE_ENTRY) {
            AtspiStateSet* states = atspi_accessible_get_state_set(m_acc);
            multiLine = states && atspi_state_set_contains(states, ATSPI_STATE_MULTI_LINE);
            if (states)
                g_object_unref(states);
        }
        return AtspiAccessibilityTree::mappedRole(int(r), multiLine, atspiName);
    }
    QString subrole() const override { return {}; }
    std::optional<QPointF> position() const override
    {
        const auto r = frame();
        return r ? std::optional<QPointF>(r->topLeft()) : std::nullopt;
    }
    std::optional<QSizeF> size() const override
    {
        const auto r = frame();
        return r ? std::optional<QSizeF>(r->size()) : std::nullopt;
    }
    bool hasVerticalScrollBar() const override { return scrollBar(Qt::Vertical); }
    bool hasHorizontalScrollBar() const override { return scrollBar(Qt::Horizontal); }
    std::shared_ptr<AccessibleElement> parent() const override
    {
        GError* error = nullptr;
        AtspiAccessible* p = atspi_accessible_get_parent(m_acc, &error);
        if (!ok(error) || !p)
            return nullptr;
        GError* roleError = nullptr;
        // The desktop above the applications is not part of any application.
        if (atspi_accessible_get_role(p, &roleError) == ATSPI_ROLE_DESKTOP_FRAME) {
            ok(roleError);
            g_object_unref(p);
            return nullptr;
        }
        ok(roleError);
        return std::make_shared<AtspiElement>(p, m_layout);
    }

private:
    // A child of role "scroll bar" in that orientation, or such a grandchild
    // in a small container (Qt wraps a scroll area's bars in one). Lists can
    // have many children; scroll bars come first or last, so only the ends are
    // read.
    bool scrollBar(Qt::Orientation orientation) const { return scrollBarAmongChildren(m_acc, orientation, true); }

    bool scrollBarAmongChildren(AtspiAccessible* parent, Qt::Orientation orientation, bool descend) const
    {
        GError* error = nullptr;
        const int count = atspi_accessible_get_child_count(parent, &error);
        if (!ok(error) || count <= 0)
            return false;
        for (int i = 0; i < count; ++i) {
            if (i == 16 && count > 32)
                i = count - 16;
            Ref child(atspi_accessible_get_child_at_index(parent, i, &error));
            if (!ok(error) || !child.p)
                continue;
            const AtspiRole role = atspi_accessible_get_role(child.p, &error);
            if (!ok(error))
                continue;
            if (role == ATSPI_ROLE_SCROLL_BAR) {
                if (isOrientation(child.p, orientation))
                    return true;
            } else if (descend && (role == ATSPI_ROLE_FILLER || role == ATSPI_ROLE_PANEL)) {
                const int grandchildren = atspi_accessible_get_child_count(child.p, &error);
                if (ok(error) && grandchildren > 0 && grandchildren <= 4
                    && scrollBarAmongChildren(child.p, orientation, false))
                    return true;
            }
        }
        return false;
    }

    bool isOrientation(AtspiAccessible* bar, Qt::Orientation orientation) const
    {
        AtspiStateSet* states = atspi_accessible_get_state_set(bar);
        bool vertical = states && atspi_state_set_contains(states, ATSPI_STATE_VERTICAL);
        bool horizontal = states && atspi_state_set_contains(states, ATSPI_STATE_HORIZONTAL);
        if (states)
            g_object_unref(states);
        if (!vertical && !horizontal) {
            // No orientation given: a bar taller than wide is vertical.
            const auto r = extents(bar);
            if (!r)
                return false;
            vertical = r->height() > r->width();
            horizontal = !vertical;
        }
        return orientation == Qt::Vertical ? vertical : horizontal;
    }

    std::optional<QRectF> frame() const
    {
        const auto r = extents(m_acc);
        return r ? std::optional(m_layout.toPoints(*r)) : std::nullopt;
    }

    AtspiAccessible* m_acc;
    DesktopPixels m_layout;
};

} // namespace

AtspiAccessibilityTree::AtspiAccessibilityTree(std::shared_ptr<const X11ScreenLayout> layout)
    : m_layout(layout ? std::move(layout) : std::make_shared<X11ScreenLayout>())
{
}

AtspiAccessibilityTree::~AtspiAccessibilityTree() = default;

QString AtspiAccessibilityTree::mappedRole(int atspiRole, bool multiLine, const QString& atspiName)
{
    switch (atspiRole) {
    case ATSPI_ROLE_SCROLL_PANE:
        return QStringLiteral("AXScrollArea");
    case ATSPI_ROLE_DOCUMENT_WEB:
        return QStringLiteral("AXWebArea");
    case ATSPI_ROLE_DOCUMENT_TEXT:
        return QStringLiteral("AXTextArea");
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_ENTRY:
        return multiLine ? QStringLiteral("AXTextArea") : atspiName;
    case ATSPI_ROLE_LIST:
    case ATSPI_ROLE_LIST_BOX:
        return QStringLiteral("AXList");
    case ATSPI_ROLE_TABLE:
        return QStringLiteral("AXTable");
    case ATSPI_ROLE_TREE:
    case ATSPI_ROLE_TREE_TABLE:
        return QStringLiteral("AXOutline");
    default:
        return atspiName;
    }
}

bool AtspiAccessibilityTree::isAvailable()
{
    if (m_available)
        return true;
    if (m_lastFailure.isValid() && m_lastFailure.elapsed() < 5000)
        return false;
    m_lastFailure.start();
    if (atspi_init() > 1)
        return false;
    // A moment per call at most: the picker asks while the pointer moves.
    atspi_set_timeout(800, 2000);
    Ref desktop(atspi_get_desktop(0));
    if (!desktop.p)
        return false;
    GError* error = nullptr;
    atspi_accessible_get_child_count(desktop.p, &error);
    if (!ok(error))
        return false;
    m_available = true;
    return true;
}

std::shared_ptr<AccessibleElement> AtspiAccessibilityTree::elementAt(qint32 pid, const QPointF& point)
{
    if (!isAvailable() || pid <= 0)
        return nullptr;
    const DesktopPixels layout = m_layout->current();
    const QPointF pixel = layout.toPixels(point);
    const int px = int(pixel.x());
    const int py = int(pixel.y());
    Ref desktop(atspi_get_desktop(0));
    if (!desktop.p)
        return nullptr;
    GError* error = nullptr;
    const int apps = atspi_accessible_get_child_count(desktop.p, &error);
    if (!ok(error))
        return nullptr;
    for (int a = 0; a < apps; ++a) {
        Ref app(atspi_accessible_get_child_at_index(desktop.p, a, &error));
        if (!ok(error) || !app.p)
            continue;
        if (qint32(atspi_accessible_get_process_id(app.p, &error)) != pid || !ok(error))
            continue;
        // The application's top-level window under the point, then down.
        const int windows = atspi_accessible_get_child_count(app.p, &error);
        if (!ok(error))
            continue;
        for (int w = 0; w < windows; ++w) {
            Ref window(atspi_accessible_get_child_at_index(app.p, w, &error));
            if (!ok(error) || !window.p)
                continue;
            const auto frame = extents(window.p);
            if (!frame || !frame->contains(QPointF(px, py)))
                continue;
            AtspiAccessible* current = window.release();
            for (int depth = 0; depth < 64; ++depth) {
                AtspiComponent* component = atspi_accessible_get_component_iface(current);
                if (!component)
                    break;
                AtspiAccessible* child =
                    atspi_component_get_accessible_at_point(component, px, py, ATSPI_COORD_TYPE_SCREEN, &error);
                g_object_unref(component);
                if (!ok(error) || !child)
                    break;
                if (child == current) {
                    g_object_unref(child);
                    break;
                }
                g_object_unref(current);
                current = child;
            }
            return std::make_shared<AtspiElement>(current, layout);
        }
    }
    return nullptr;
}
