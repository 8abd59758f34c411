#pragma once
// The app's face while idle: the tray icon, whose activation opens the panel.
// Without a tray the panel opens once as a normal window, so the program is
// not invisible; a tray that appears later gets the icon.
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>

class DelayScheduler;
class MenuBarPanel;
class QSystemTrayIcon;
class QWidget;
class TrayAvailability;
class TrayPresence;

class ZentuApp : public QObject {
    Q_OBJECT
public:
    // Makes the panel's content view; called once, when the panel first opens.
    using PanelContentFactory = std::function<QWidget*()>;

    ZentuApp(PanelContentFactory panelContent, TrayAvailability& trays, DelayScheduler& scheduler,
             QObject* parent = nullptr);
    ~ZentuApp() override;

    MenuBarPanel* panel() const { return m_panel.get(); }

public Q_SLOTS:
    void togglePanel();
    // At the icon, or as a window with a note while there is no tray.
    void showPanel();

private:
    void makePanel();
    void hostAppeared();

    PanelContentFactory m_panelContent;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<TrayPresence> m_presence;
    std::unique_ptr<MenuBarPanel> m_panel;
    // Since a press on the icon closed the panel: the toolkit hands that
    // press on to the icon, which must not open the panel again at once. A
    // panel closed any other way (a capture, Escape, a click elsewhere)
    // opens at the first click.
    QElapsedTimer m_sinceDismissedOnIcon;
};
