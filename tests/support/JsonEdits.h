#pragma once
// Records as a hand or a later version might have left them: one key changed.
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// The object with `key` set to `value`; an undefined value removes the key.
inline QJsonObject withKey(QJsonObject o, const QString& key, const QJsonValue& value)
{
    if (value.isUndefined())
        o.remove(key);
    else
        o[key] = value;
    return o;
}
