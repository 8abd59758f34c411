#include "support/AtspiNodes.h"

Node wrap(AtspiAccessible* a)
{
    return Node(a, [](AtspiAccessible* p) {
        if (p)
            g_object_unref(p);
    });
}

int childCount(const Node& n) { return n ? atspi_accessible_get_child_count(n.get(), nullptr) : 0; }

Node childOf(const Node& n, int i) { return wrap(atspi_accessible_get_child_at_index(n.get(), i, nullptr)); }

QString nameOf(const Node& n)
{
    gchar* name = atspi_accessible_get_name(n.get(), nullptr);
    const QString out = QString::fromUtf8(name);
    g_free(name);
    return out;
}

Node find(const Node& n, const QString& name, const QList<AtspiRole>& roles, int depth)
{
    for (int i = 0; depth < 30 && i < childCount(n); ++i) {
        const Node c = childOf(n, i);
        if (c && roles.contains(atspi_accessible_get_role(c.get(), nullptr)) && nameOf(c) == name)
            return c;
        if (const Node found = c ? find(c, name, roles, depth + 1) : Node())
            return found;
    }
    return {};
}

bool press(const Node& n)
{
    AtspiAction* action = n ? atspi_accessible_get_action_iface(n.get()) : nullptr;
    const bool done = action && atspi_action_do_action(action, 0, nullptr);
    if (action)
        g_object_unref(action);
    return done;
}

QRect extents(const Node& n)
{
    AtspiComponent* c = n ? atspi_accessible_get_component_iface(n.get()) : nullptr;
    AtspiRect* r = c ? atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, nullptr) : nullptr;
    const QRect out = r ? QRect(r->x, r->y, r->width, r->height) : QRect();
    g_free(r);
    if (c)
        g_object_unref(c);
    return out;
}

Node applicationOf(qint64 pid)
{
    const Node desktop = wrap(atspi_get_desktop(0));
    for (int i = 0; i < childCount(desktop); ++i)
        if (const Node app = childOf(desktop, i); app && atspi_accessible_get_process_id(app.get(), nullptr) == guint(pid))
            return app;
    return {};
}

Node windowOf(qint64 pid, const QString& title)
{
    const Node app = applicationOf(pid);
    for (int i = 0; i < childCount(app); ++i)
        if (const Node w = childOf(app, i); w && nameOf(w) == title)
            return w;
    return {};
}
