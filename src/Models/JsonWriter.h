#pragma once
// The one JSON text writer of the app. History files are written pretty with
// sorted keys in the layout the files have always had:
//   two-space indent, "key" : value, "/" escaped as "\/", non-ASCII as UTF-8.
// Settings are written compact (no blanks, keys in the record's own order is not
// required, sorted is fine for readers).
#include <QByteArray>
#include <QJsonValue>

namespace JsonWriter {
QByteArray pretty(const QJsonValue& value);
QByteArray compact(const QJsonValue& value);
// Shortest text that reads back as the same double; integral values without ".0".
QByteArray number(double value);
}
