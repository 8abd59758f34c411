#pragma once
// The app's small key-value store (settings record, flags, language choice).
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    // An invalid QVariant when the key is absent.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Removes every key and the store itself (its file); false with *error
    // naming what is left when that failed.
    virtual bool removePersistentDomain(QString* error) = 0;

    std::optional<QByteArray> data(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    // Absent counts as false.
    bool boolValue(const QString& key) const;
};
