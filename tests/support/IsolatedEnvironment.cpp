#include "support/IsolatedEnvironment.h"

#include "Platform/Qt/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

IsolatedEnvironment::IsolatedEnvironment()
{
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("ZENTU_KEEP_TEST_DIR"));
    const QString runtime = root() + QStringLiteral("/runtime");
    for (const QString& dir : {dataHome(), configHome(), home(), runtime, root() + QStringLiteral("/cache")})
        QDir().mkpath(dir);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_CACHE_HOME", (root() + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    // The interface language follows LANGUAGE; tests read the German source texts.
    qputenv("LANGUAGE", "de");
    m_log.emplace(testFolders());
}

AppFolders testFolders()
{
    return AppFolders(std::make_shared<XdgPaths>());
}
