#pragma once
#include "Platform/UserDefaults.h"

#include <QHash>

class FakeUserDefaults final : public UserDefaults {
public:
    QVariant value(const QString& key) const override { return values.value(key); }
    void setValue(const QString& key, const QVariant& value) override
    {
        values.insert(key, value);
        ++writes;
    }
    void remove(const QString& key) override { values.remove(key); }
    bool removePersistentDomain(QString* error) override
    {
        ++domainRemovals;
        if (!removalError.isEmpty()) {
            if (error)
                *error = removalError;
            return false;
        }
        values.clear();
        return true;
    }

    QHash<QString, QVariant> values;
    int writes = 0;
    int domainRemovals = 0;
    QString removalError; // set: removing the domain fails with this text
};
