#pragma once
// The one place that builds the running program and wires it: the
// coordinator with its services (through the app delegate), the views of its
// windows, the editor windows and the tray panel, each handed the services it
// uses. The desktop backends are picked by main() and handed in.
#include "App/AppDelegate.h"
#include "App/AppEnvironment.h"
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "Ui/ColorPanelController.h"
#include "Ui/FocusRing.h"
#include "Ui/FrameClock.h"
#include "Ui/TimerDelayScheduler.h"

#include <functional>
#include <memory>

class AppCoordinator;
class AppFolders;
class ApplicationIdentity;
class Beeper;
class BundleInfo;
class CoordinatorServices;
class FolderChooser;
class Localizer;
class OwnerAuthenticator;
class QImage;
class QWidget;
class TrayAvailability;
class Workspace;
class ZentuApp;
struct ScreenshotItem;

class CompositionRoot {
public:
    // The desktop as the windows' views use it; made by main(), outlives this.
    struct Desktop {
        Workspace& workspace;
        ApplicationIdentity& applications;
        FolderChooser& folderChooser;
        Beeper& beeper;
        OwnerAuthenticator& authenticator;
        BundleInfo& bundle;
        // The tray hosts the icon may go to.
        TrayAvailability& trays;
    };

    CompositionRoot(CoordinatorServices& services, const AppFolders& folders, Localizer& localizer, Desktop desktop);
    ~CompositionRoot();

    AppDelegate& delegate() { return m_delegate; }
    AppCoordinator& coordinator() { return m_delegate.coordinator(); }
    // The tray icon and its panel.
    ZentuApp& scene() { return *m_scene; }

private:
    QWidget* clipboardHistoryView(const AppEnvironment& env);
    std::unique_ptr<QWidget> editorWindow(const QImage& image, const ScreenshotItem& item);
    QWidget* settingsView(const AppEnvironment& env);
    static QWidget* onboardingView(const AppEnvironment& env, std::function<void()> onClose,
                                   std::function<void(double)> onHeightChange);
    QWidget* panelContent(const AppEnvironment& env);

    CoordinatorServices& m_services;
    const AppFolders& m_folders;
    Localizer& m_localizer;
    Desktop m_desktop;
    // The interface's own program-wide pieces, which outlive the coordinator
    // and its windows: the delays of hovers and tooltips, the ring around the
    // control the keyboard is on, the one colour panel of the editor windows,
    // the clock of the panel's animations, and what follows the pointer over
    // its tiles.
    TimerDelayScheduler m_scheduler;
    FocusRing m_focusRing;
    ColorPanelController m_colorPanel;
    FrameClock m_frameClock;
    TileHoverModel m_tileHover;
    TileHoverSync m_tileHoverSync{m_tileHover};
    AppDelegate m_delegate;
    std::unique_ptr<ZentuApp> m_scene;
};
