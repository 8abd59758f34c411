#pragma once
// Identifies a process by its executable: the desktop entry whose Exec runs
// that program gives id and name; else the executable's file name is the id.
#include "Platform/RunningApplications.h"

#include <QStringList>

class ProcRunningApplications final : public RunningApplications {
public:
    // procRoot and the application folders are replaceable for tests; the
    // folders default to $XDG_DATA_HOME and $XDG_DATA_DIRS + "/applications".
    explicit ProcRunningApplications(QString procRoot = QStringLiteral("/proc"),
                                     QStringList applicationDirs = {});
    std::optional<App> application(qint64 pid) override;

private:
    QString m_procRoot;
    QStringList m_applicationDirs;
};
