#include "Platform/UserDefaults.h"

std::optional<QByteArray> UserDefaults::data(const QString& key) const
{
    const QVariant v = value(key);
    if (!v.isValid())
        return std::nullopt;
    return v.toByteArray();
}

std::optional<QString> UserDefaults::string(const QString& key) const
{
    const QVariant v = value(key);
    if (!v.isValid() || !v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

bool UserDefaults::boolValue(const QString& key) const
{
    const QVariant v = value(key);
    return v.isValid() && v.toBool();
}
