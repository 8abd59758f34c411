#pragma once
// The app's face while idle: the tray icon, whose activation opens the panel.
#include "App/AppEnvironment.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>

class AppCoordinator;
class MenuBarPanel;
class QSystemTrayIcon;
class QWidget;

class ZentuApp : public QObject {
    Q_OBJECT
public:
    // Makes the panel's content view; called once, when the panel first opens.
    using PanelContentFactory = std::function<QWidget*(const AppEnvironment&)>;

    ZentuApp(AppCoordinator& coordinator, PanelContentFactory panelContent, QObject* parent = nullptr);
    ~ZentuApp() override;

    QSystemTrayIcon& statusItem() { return *m_tray; }
    MenuBarPanel* panel() const { return m_panel.get(); }

public Q_SLOTS:
    void togglePanel();
    void showPanel();

private:
    AppCoordinator& m_coordinator;
    PanelContentFactory m_panelContent;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<MenuBarPanel> m_panel;
    // When the panel last closed: the click on the icon that closed it must
    // not open it again at once.
    QElapsedTimer m_sinceHidden;
};
