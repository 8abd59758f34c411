#pragma once
// Creates the one coordinator (so every service exists before the tray is
// built) and runs the launch and termination steps.
#include <QObject>
#include <memory>

class AppCoordinator;
class CoordinatorServices;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(CoordinatorServices& services, QObject* parent = nullptr);
    ~AppDelegate() override;

    AppCoordinator& coordinator() { return *m_coordinator; }

    // Once the event loop runs.
    void applicationDidFinishLaunching();
    // Once, on the way out.
    void applicationWillTerminate();

private:
    CoordinatorServices& m_services;
    std::unique_ptr<AppCoordinator> m_coordinator;
    bool m_terminated = false;
};
