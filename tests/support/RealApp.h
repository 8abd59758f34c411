#pragma once
// Starts the real zentu program (built next to the tests) on the test's X
// server, either in the test process's own folders or in a fresh set of XDG
// folders of its own.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

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
    const QProcessEnvironment& environment() const { return m_env; }
    void setEnvironmentVariable(const QString& name, const QString& value) { m_env.insert(name, value); }

    void start(QProcess& process, QProcess::ProcessChannelMode mode = QProcess::ForwardedErrorChannel) const;

private:
    QTemporaryDir m_root;
    QProcessEnvironment m_env;
};
