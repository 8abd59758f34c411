#include "App/ZentuApp.h"

#include "App/MenuBarPanel.h"
#include "App/TrayPresence.h"
#include "Ui/AccessibleApplication.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QSystemTrayIcon>

ZentuApp::ZentuApp(PanelContentFactory panelContent, TrayAvailability& trays, DelayScheduler& scheduler,
                   QObject* parent)
    : QObject(parent)
    , m_panelContent(std::move(panelContent))
{
    // The panel is a popup: without this, screen readers would not find it.
    AccessibleApplication::install();
    // Drawn in its own colours, not as a monochrome template.
    m_tray = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/MenubarIcon.svg")));
    // The toolkit picks its kind of tray host as the icon is made: read the
    // hosts at the same moment.
    m_presence = std::make_unique<TrayPresence>(trays, scheduler);
    m_tray->setToolTip(QStringLiteral("Zentu.it"));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    m_tray->show();
    connect(m_presence.get(), &TrayPresence::trayMissing, this, &ZentuApp::showPanel);
    connect(m_presence.get(), &TrayPresence::hostAppeared, this, &ZentuApp::hostAppeared);
}

ZentuApp::~ZentuApp() = default;

void ZentuApp::hostAppeared()
{
    // The toolkit docks the icon in a new XEmbed tray by itself. With a new
    // StatusNotifierItem watcher it registers the icon as soon as the
    // watcher's name appears, which can be before the watcher answers (the
    // icon then stays away): now that a host is registered there, the icon is
    // made anew, which registers it again.
    if (m_presence->host() == TrayPresence::Host::statusNotifier) {
        m_tray->hide();
        m_tray->show();
    }
    // A panel open as a window stays open, but its note (no tray) is no
    // longer true.
    if (m_panel && m_panel->isWindow())
        m_panel->setNoteVisible(false);
}

void ZentuApp::togglePanel()
{
    if (m_panel && m_panel->isVisible() && !m_panel->isWindow()) {
        m_panel->hide();
        return;
    }
    if (m_sinceDismissedOnIcon.isValid()) {
        const bool sameClick = m_sinceDismissedOnIcon.elapsed() < 250;
        m_sinceDismissedOnIcon.invalidate();
        if (sameClick)
            return;
    }
    showPanel();
}

void ZentuApp::makePanel()
{
    if (m_panel)
        return;
    QWidget* content = m_panelContent ? m_panelContent() : nullptr;
    m_panel = std::make_unique<MenuBarPanel>(content);
    connect(m_panel.get(), &MenuBarPanel::dismissedByPress, this, [this](QPoint at) {
        // Where the host does not say where the icon is, any press may have been on it.
        const QRect icon = m_tray->geometry();
        if (!icon.isValid() || icon.contains(at))
            m_sinceDismissedOnIcon.start();
    });
}

void ZentuApp::showPanel()
{
    makePanel();
    if (!m_presence->isIconShown()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_panel->showAsWindow(screen ? screen->availableGeometry() : QRect());
        return;
    }
    QRect icon = m_tray->geometry();
    const QScreen* screen = icon.isValid() ? QGuiApplication::screenAt(icon.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (!icon.isValid() && screen) // a host that does not tell where the icon is: top right corner
        icon = QRect(available.right() - 24, available.top(), 24, 0);
    m_panel->showAt(icon, available);
}
