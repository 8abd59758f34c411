#include "support/AtspiNodes.h"

#include <QStringList>

namespace AtspiNodes {

AtspiNode wrap(AtspiAccessible* a)
{
    return AtspiNode(a, [](AtspiAccessible* p) {
        if (p)
            g_object_unref(p);
    });
}

int childCount(const AtspiNode& n) { return n ? atspi_accessible_get_child_count(n.get(), nullptr) : 0; }

AtspiNode childOf(const AtspiNode& n, int i) { return wrap(atspi_accessible_get_child_at_index(n.get(), i, nullptr)); }

QString nameOf(const AtspiNode& n)
{
    gchar* name = atspi_accessible_get_name(n.get(), nullptr);
    const QString out = QString::fromUtf8(name);
    g_free(name);
    return out;
}

AtspiNode find(const AtspiNode& n, const QString& name, const QList<AtspiRole>& roles, int depth)
{
    for (int i = 0; depth < 30 && i < childCount(n); ++i) {
        const AtspiNode c = childOf(n, i);
        if (c && roles.contains(atspi_accessible_get_role(c.get(), nullptr)) && nameOf(c) == name)
            return c;
        if (const AtspiNode found = c ? find(c, name, roles, depth + 1) : AtspiNode())
            return found;
    }
    return {};
}

QStringList namesBelow(const AtspiNode& n, const QList<AtspiRole>& roles, int depth)
{
    QStringList out;
    for (int i = 0; depth < 30 && i < childCount(n); ++i) {
        const AtspiNode c = childOf(n, i);
        if (!c)
            continue;
        if (roles.contains(atspi_accessible_get_role(c.get(), nullptr)))
            out << nameOf(c);
        out << namesBelow(c, roles, depth + 1);
    }
    return out;
}

bool press(const AtspiNode& n)
{
    AtspiAction* action = n ? atspi_accessible_get_action_iface(n.get()) : nullptr;
    const bool done = action && atspi_action_do_action(action, 0, nullptr);
    if (action)
        g_object_unref(action);
    return done;
}

QRect extents(const AtspiNode& n)
{
    AtspiComponent* c = n ? atspi_accessible_get_component_iface(n.get()) : nullptr;
    AtspiRect* r = c ? atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, nullptr) : nullptr;
    const QRect out = r ? QRect(r->x, r->y, r->width, r->height) : QRect();
    g_free(r);
    if (c)
        g_object_unref(c);
    return out;
}

AtspiNode application(qint64 pid)
{
    const AtspiNode desktop = wrap(atspi_get_desktop(0));
    for (int i = 0; i < childCount(desktop); ++i)
        if (const AtspiNode app = childOf(desktop, i); app && atspi_accessible_get_process_id(app.get(), nullptr) == guint(pid))
            return app;
    return {};
}

AtspiNode window(qint64 pid, const QString& title)
{
    const AtspiNode app = application(pid);
    for (int i = 0; i < childCount(app); ++i)
        if (const AtspiNode w = childOf(app, i); w && nameOf(w) == title)
            return w;
    return {};
}

const QList<AtspiRole>& buttonRoles()
{
    static const QList<AtspiRole> roles{ATSPI_ROLE_PUSH_BUTTON, ATSPI_ROLE_TOGGLE_BUTTON};
    return roles;
}

} // namespace AtspiNodes
