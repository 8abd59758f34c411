#pragma once
// Strict, all-or-nothing reading of one JSON object: every accessor records a
// failure when its key is missing or holds the wrong type, and the caller
// checks ok() once at the end. Unknown keys are ignored.
#include "Models/RawEnum.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QUuid>
#include <optional>

class JsonDecoder {
public:
    explicit JsonDecoder(const QJsonValue& value);

    bool ok() const { return m_ok; }
    void fail() { m_ok = false; }

    bool boolean(const char* key);
    double number(const char* key);
    // A whole number held to [min, max]: files are edited by hand, and a
    // number beyond what a double holds exactly would come back as another.
    qint64 integer(const char* key, qint64 min = -maxExact, qint64 max = maxExact);
    static constexpr qint64 maxExact = qint64(1) << 53;
    QString string(const char* key);
    QUuid uuid(const char* key);
    QDateTime date(const char* key);
    QJsonArray array(const char* key);
    QJsonObject object(const char* key);
    QJsonValue value(const char* key); // required, any type but null

    // Missing or null gives none; any other non-string fails.
    std::optional<QString> optionalString(const char* key);
    std::optional<double> optionalNumber(const char* key);
    std::optional<bool> optionalBoolean(const char* key);

    template <typename E>
    E enumeration(const char* key)
    {
        const auto e = fromRawValue<E>(string(key));
        if (!e) {
            m_ok = false;
            return E{};
        }
        return *e;
    }
    template <typename E>
    std::optional<E> optionalEnumeration(const char* key)
    {
        const auto s = optionalString(key);
        if (!s)
            return std::nullopt;
        const auto e = fromRawValue<E>(*s);
        if (!e)
            m_ok = false;
        return e;
    }

    // ISO 8601 internet date-time, as the history files write it.
    static QString formatDate(const QDateTime& date);
    static QDateTime parseDate(const QString& text);
    // 36-character upper-case text with hyphens.
    static QString formatUuid(const QUuid& id);

private:
    QJsonObject m_object;
    bool m_ok;
};
