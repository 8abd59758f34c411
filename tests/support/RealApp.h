#pragma once
// Starts the real zentu program (built next to the tests) on the test's X
// server, either in the test process's own folders or in a fresh set of XDG
// folders of its own.
#include <QJsonArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <utility>

class RealApp {
public:
    // The test's environment on xcb, without a desktop's D-Bus session, so the
    // program uses the XEmbed tray of the test's tint2.
    RealApp();

    static QString binary();

    // Points HOME and the XDG folders at fresh folders below a temporary root;
    // false where one cannot be made.
    bool useFreshFolders();
    QString root() const { return m_root.path(); }
    QString dataHome() const { return m_root.path() + QStringLiteral("/data"); }
    // The program's settings file in the fresh folders (for SettingsFileUserDefaults).
    QString settingsFile() const { return m_root.path() + QStringLiteral("/config/com.quorel.zentu.conf"); }
    // The program's data folder in the fresh folders, and what it writes there:
    // the text of debug.log and the records of a history file (empty when absent).
    QString dataFolder() const { return dataHome() + QStringLiteral("/Zentu.it"); }
    QString debugLog() const;
    QJsonArray historyRecords(const QString& fileName) const;
    const QProcessEnvironment& environment() const { return m_env; }
    void setEnvironmentVariable(const QString& name, const QString& value) { m_env.insert(name, value); }

    void start(QProcess& process, QProcess::ProcessChannelMode mode = QProcess::ForwardedErrorChannel) const;
    // Starts the program as another user from now on (root only): the fresh
    // folders are given to that user now, the settings before each start.
    void runAs(uint uid, uint gid);

private:
    QTemporaryDir m_root;
    QProcessEnvironment m_env;
    std::optional<std::pair<uint, uint>> m_user;
};
