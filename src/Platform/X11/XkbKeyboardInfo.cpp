#include "Platform/X11/XkbKeyboardInfo.h"

#include "Platform/X11/XcbConnection.h"

#include <QByteArray>
#include <QList>
#include <QString>

bool XkbKeyboardInfo::isISOModel(const QString& model, const QString& layouts)
{
    const bool isoModel = model.startsWith(QLatin1String("pc102")) || model.startsWith(QLatin1String("pc105"));
    const QString first = layouts.section(QLatin1Char(','), 0, 0).trimmed();
    return isoModel && !first.isEmpty() && first != QLatin1String("us");
}

bool XkbKeyboardInfo::isISO() const
{
    const std::shared_ptr<XcbConnection> x = XcbConnection::sharedOrOwn(m_x);
    if (!x->isValid())
        return false;
    const xcb_atom_t rules = x->atom("_XKB_RULES_NAMES");
    if (rules == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_property_reply_t> prop(xcb_get_property_reply(
        x->get(), xcb_get_property(x->get(), 0, x->root(), rules, XCB_ATOM_STRING, 0, 1024), nullptr));
    if (!prop)
        return false;
    // rules\0model\0layout\0variant\0options\0
    const QByteArray raw(static_cast<const char*>(xcb_get_property_value(prop.get())),
                         xcb_get_property_value_length(prop.get()));
    const QList<QByteArray> parts = raw.split('\0');
    return parts.size() >= 3 && isISOModel(QString::fromLatin1(parts.at(1)), QString::fromLatin1(parts.at(2)));
}
