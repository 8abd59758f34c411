#include "Models/JsonDecoder.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>

JsonDecoder::JsonDecoder(const QJsonValue& value)
    : m_object(value.toObject())
    , m_ok(value.isObject())
{
}

bool JsonDecoder::boolean(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!v.isBool())
        m_ok = false;
    return v.toBool();
}

double JsonDecoder::number(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!v.isDouble())
        m_ok = false;
    return v.toDouble();
}

qint64 JsonDecoder::integer(const char* key, qint64 min, qint64 max)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || d != std::trunc(d)) {
        m_ok = false;
        return 0;
    }
    // Compared as doubles first: converting one beyond 64 bits is undefined.
    if (d <= double(min))
        return min;
    if (d >= double(max))
        return max;
    return std::clamp(v.toInteger(static_cast<qint64>(d)), min, max);
}

QString JsonDecoder::string(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!v.isString())
        m_ok = false;
    return v.toString();
}

QUuid JsonDecoder::uuid(const char* key)
{
    const QUuid id = QUuid::fromString(string(key));
    if (id.isNull())
        m_ok = false;
    return id;
}

QDateTime JsonDecoder::date(const char* key)
{
    const QDateTime d = parseDate(string(key));
    if (!d.isValid())
        m_ok = false;
    return d;
}

QJsonArray JsonDecoder::array(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!v.isArray())
        m_ok = false;
    return v.toArray();
}

QJsonObject JsonDecoder::object(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!v.isObject())
        m_ok = false;
    return v.toObject();
}

QJsonValue JsonDecoder::value(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        m_ok = false;
    return v;
}

std::optional<QString> JsonDecoder::optionalString(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isString()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toString();
}

std::optional<double> JsonDecoder::optionalNumber(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isDouble()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toDouble();
}

std::optional<bool> JsonDecoder::optionalBoolean(const char* key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isBool()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toBool();
}

QString JsonDecoder::formatDate(const QDateTime& date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

QDateTime JsonDecoder::parseDate(const QString& text)
{
    // Internet date-time: a zone (Z or ±hh:mm) is required.
    if (!(text.endsWith(QLatin1Char('Z')) || (text.size() > 6 && (text.at(text.size() - 6) == QLatin1Char('+') || text.at(text.size() - 6) == QLatin1Char('-')))))
        return {};
    QDateTime d = QDateTime::fromString(text, Qt::ISODate);
    return d.isValid() ? d.toUTC() : QDateTime();
}

QString JsonDecoder::formatUuid(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}
