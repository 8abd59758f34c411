#include "App/ZentuApp.h"

#include "App/AppCoordinator.h"
#include "App/MenuBarPanel.h"
#include "Ui/AccessibleApplication.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QSystemTrayIcon>

ZentuApp::ZentuApp(AppCoordinator& coordinator, PanelContentFactory panelContent, QObject* parent)
    : QObject(parent)
    , m_coordinator(coordinator)
    , m_panelContent(std::move(panelContent))
{
    // The panel is a popup: without this, screen readers would not find it.
    AccessibleApplication::install();
    // Drawn in its own colours, not as a monochrome template.
    m_tray = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/MenubarIcon.svg")));
    m_tray->setToolTip(QStringLiteral("Zentu.it"));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    m_tray->show();
}

ZentuApp::~ZentuApp() = default;

void ZentuApp::togglePanel()
{
    if (m_panel && m_panel->isVisible()) {
        m_panel->hide();
        return;
    }
    if (m_sinceHidden.isValid() && m_sinceHidden.elapsed() < 250)
        return;
    showPanel();
}

void ZentuApp::showPanel()
{
    if (!m_panel) {
        QWidget* content = m_panelContent ? m_panelContent(m_coordinator.environment()) : nullptr;
        m_panel = std::make_unique<MenuBarPanel>(content);
        connect(m_panel.get(), &MenuBarPanel::hidden, this, [this] { m_sinceHidden.start(); });
    }
    QRect icon = m_tray->geometry();
    const QScreen* screen = icon.isValid() ? QGuiApplication::screenAt(icon.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (!icon.isValid() && screen) // no tray host: top right corner of the screen
        icon = QRect(available.right() - 24, available.top(), 24, 0);
    m_panel->showAt(icon, available);
}
