#pragma once
// The one place that builds the running program and wires it: the
// coordinator with its services (through the app delegate), the views of its
// windows, the editor windows and the tray panel, each handed the services it
// uses. The platform services are picked by main() and handed in.
#include "App/AppDelegate.h"
#include "App/AppEnvironment.h"
#include "App/AppPlatform.h"
#include "App/WindowContents.h"
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "Ui/ColorPanelController.h"
#include "Ui/FocusRing.h"
#include "Ui/FrameClock.h"
#include "Ui/TimerDelayScheduler.h"

#include <functional>
#include <memory>

class AppCoordinator;
class Beeper;
class CaptureBackends;
class FolderChooser;
class Localizer;
class OwnerAuthenticator;
class QImage;
class QWidget;
class TrayAvailability;
class ZentuApp;
struct ScreenshotItem;

class CompositionRoot final : public WindowContents {
public:
    // What only the windows' views use of the desktop; made by main(), outlives this.
    struct Desktop {
        FolderChooser& folderChooser;
        Beeper& beeper;
        OwnerAuthenticator& authenticator;
        // The tray hosts the icon may go to.
        TrayAvailability& trays;
    };

    CompositionRoot(const AppPlatform& platform, CaptureBackends& backends, Localizer& localizer, Desktop desktop);
    ~CompositionRoot() override;

    AppDelegate& delegate() { return m_delegate; }
    AppCoordinator& coordinator() { return m_delegate.coordinator(); }
    // The tray icon and its panel.
    ZentuApp& scene() { return *m_scene; }

private:
    QWidget* clipboardHistoryView(const AppEnvironment& env) override;
    std::unique_ptr<QWidget> editorWindow(const QImage& image, const ScreenshotItem& item) override;
    QWidget* settingsView(const AppEnvironment& env) override;
    QWidget* onboardingView(const AppEnvironment& env, std::function<void()> onClose,
                            std::function<void(double)> onHeightChange) override;
    QWidget* panelContent(const AppEnvironment& env);

    const AppPlatform m_platform;
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
