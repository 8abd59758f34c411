#include "support/IsolatedEnvironment.h"

#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

IsolatedEnvironment::IsolatedEnvironment()
{
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("ZENTU_KEEP_TEST_DIR"));
    for (const auto& [name, path] : makeUserFolders(m_dir.path()))
        qputenv(name, path.toUtf8());
    // The interface language follows LANGUAGE; tests read the German source texts.
    qputenv("LANGUAGE", "de");
    m_log.emplace(testFolders().debugLog());
}

QList<std::pair<const char*, QString>> makeUserFolders(const QString& root)
{
    const QList<std::pair<const char*, QString>> folders{
        {"HOME", root + QStringLiteral("/home")},           {"XDG_DATA_HOME", root + QStringLiteral("/data")},
        {"XDG_CONFIG_HOME", root + QStringLiteral("/config")}, {"XDG_CACHE_HOME", root + QStringLiteral("/cache")},
        {"XDG_STATE_HOME", root + QStringLiteral("/state")},   {"XDG_RUNTIME_DIR", root + QStringLiteral("/runtime")}};
    for (const auto& folder : folders)
        if (!QDir().mkpath(folder.second))
            return {};
    QFile::setPermissions(folders.last().second,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folders;
}

AppFolders testFolders()
{
    return AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>());
}

FileCalls& testFileCalls()
{
    static PosixFileCalls calls;
    return calls;
}
