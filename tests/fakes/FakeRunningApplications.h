#pragma once
#include "Platform/RunningApplications.h"

#include <QHash>

class FakeRunningApplications final : public RunningApplications {
public:
    std::optional<App> application(qint64 pid, quint32 window) override
    {
        askedWindow = window;
        if (!apps.contains(pid))
            return std::nullopt;
        return apps.value(pid);
    }
    QHash<qint64, App> apps;
    quint32 askedWindow = 0;
};
