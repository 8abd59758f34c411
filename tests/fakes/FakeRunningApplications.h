#pragma once
#include "Platform/RunningApplications.h"

#include <QHash>

class FakeRunningApplications final : public RunningApplications {
public:
    std::optional<App> application(qint64 pid) override
    {
        if (!apps.contains(pid))
            return std::nullopt;
        return apps.value(pid);
    }
    QHash<qint64, App> apps;
};
