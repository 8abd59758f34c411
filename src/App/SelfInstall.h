#pragma once
// Offers, at every launch from a loose place (a download folder, a copied
// file), to install the program for the user; on consent it installs the
// copy, hands the session to the installed copy, moves the loose one to the
// Trash and ends this process. Installed copies (its own user-level install, a
// package, a system or install prefix) and development builds are never asked
// about and never touched.
#include <QString>

class Alerts;
class Installation;
class Paths;
class ProcessLauncher;
class SingleInstance;

class SelfInstall {
public:
    enum class Outcome {
        stayed,     // this process goes on launching from where it is
        handedOver, // the installed copy runs; this process is ending
    };

    SelfInstall(Alerts& alerts, ProcessLauncher& launcher, Installation& installation, SingleInstance& session,
                Paths& paths);

    Outcome moveToApplicationsIfNeeded();

    // How long the installed copy may take to start and claim the session.
    static constexpr int handOverTimeoutMs = 20000;

private:
    // Where the program goes, as the user reads it ("~/.local/bin").
    QString installFolder() const;
    void showFailure();

    Alerts& m_alerts;
    ProcessLauncher& m_launcher;
    Installation& m_installation;
    SingleInstance& m_session;
    Paths& m_paths;
};
