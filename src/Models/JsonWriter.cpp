#include "Models/JsonWriter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

void writeString(QByteArray& out, const QString& s)
{
    out += '"';
    const QByteArray utf8 = s.toUtf8();
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void write(QByteArray& out, const QJsonValue& v, bool pretty, int depth)
{
    const auto newline = [&](int d) {
        if (!pretty)
            return;
        out += '\n';
        out += QByteArray(2 * d, ' ');
    };
    switch (v.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: out += "null"; break;
    case QJsonValue::Bool: out += v.toBool() ? "true" : "false"; break;
    case QJsonValue::Double: out += JsonWriter::number(v.toDouble()); break;
    case QJsonValue::String: writeString(out, v.toString()); break;
    case QJsonValue::Array: {
        const QJsonArray a = v.toArray();
        out += '[';
        if (a.isEmpty()) {
            out += ']';
            break;
        }
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (i)
                out += ',';
            newline(depth + 1);
            write(out, a.at(i), pretty, depth + 1);
        }
        newline(depth);
        out += ']';
        break;
    }
    case QJsonValue::Object: {
        const QJsonObject o = v.toObject();
        out += '{';
        if (o.isEmpty()) {
            out += '}';
            break;
        }
        QStringList keys = o.keys();
        std::sort(keys.begin(), keys.end());
        bool first = true;
        for (const QString& key : keys) {
            if (!first)
                out += ',';
            first = false;
            newline(depth + 1);
            writeString(out, key);
            out += pretty ? " : " : ":";
            write(out, o.value(key), pretty, depth + 1);
        }
        newline(depth);
        out += '}';
        break;
    }
    }
}

} // namespace

namespace JsonWriter {

QByteArray number(double value)
{
    if (!std::isfinite(value))
        return "null";
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QByteArray::number(static_cast<qint64>(value));
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QByteArray pretty(const QJsonValue& value)
{
    QByteArray out;
    write(out, value, true, 0);
    return out;
}

QByteArray compact(const QJsonValue& value)
{
    QByteArray out;
    write(out, value, false, 0);
    return out;
}

} // namespace JsonWriter
