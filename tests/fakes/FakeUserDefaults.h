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

    QHash<QString, QVariant> values;
    int writes = 0;
};
