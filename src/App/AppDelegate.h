#pragma once
// Creates the one coordinator (so every service exists before the tray is
// built) and runs the launch and termination steps.
#include "App/AppPlatform.h"

#include <QObject>
#include <memory>

class AppCoordinator;
class CaptureBackends;
class WindowContents;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // contents: the views of the coordinator's windows (none: empty windows, no editor).
    AppDelegate(const AppPlatform& platform, CaptureBackends& backends, WindowContents* contents = nullptr,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    AppCoordinator& coordinator() { return *m_coordinator; }

    // Once the event loop runs.
    void applicationDidFinishLaunching();
    // Once, on the way out.
    void applicationWillTerminate();

private:
    ActivationPolicy& m_activation;
    const AppFolders& m_folders;
    std::unique_ptr<AppCoordinator> m_coordinator;
    bool m_terminated = false;
};
