#include "Platform/X11/XkbKeyboardInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdlib>
#include <xcb/xcb.h>

bool XkbKeyboardInfo::isISOModel(const QString& model, const QString& layouts)
{
    const bool isoModel = model.startsWith(QLatin1String("pc102")) || model.startsWith(QLatin1String("pc105"));
    const QString first = layouts.section(QLatin1Char(','), 0, 0).trimmed();
    return isoModel && !first.isEmpty() && first != QLatin1String("us");
}

bool XkbKeyboardInfo::isISO() const
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    const char name[] = "_XKB_RULES_NAMES";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
    bool iso = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_property_reply_t* prop = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, atom->atom, XCB_ATOM_STRING, 0, 1024), nullptr);
        if (prop) {
            // rules\0model\0layout\0variant\0options\0
            const QByteArray raw(static_cast<const char*>(xcb_get_property_value(prop)), xcb_get_property_value_length(prop));
            const QList<QByteArray> parts = raw.split('\0');
            if (parts.size() >= 3)
                iso = isISOModel(QString::fromLatin1(parts.at(1)), QString::fromLatin1(parts.at(2)));
            free(prop);
        }
    }
    free(atom);
    xcb_disconnect(c);
    return iso;
}
