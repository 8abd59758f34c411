#pragma once
// The tray panel, 340 wide: brand header, the screen-recording banner while
// that permission is missing, the three capture cards, the recent screenshots,
// the compact clipboard history and a footer with settings and quit. It keeps
// no data of its own: it shows the stores and the settings and asks the host
// (MenuBarActions) for every action. A change of the interface language
// rebuilds it from scratch.
#include "MenuBar/MenuBarActions.h"
#include "Ui/KeyedRows.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <functional>

class ApplicationIdentity;
class ClipboardHistoryStore;
class ClipboardHistoryView;
class FrameClock;
class HoverCardButton;
class HoverRowButton;
class PermissionManager;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class ScreenshotHistoryStore;
class ScreenshotPreviewRow;
class SettingsManager;
class TileHoverSync;
class Workspace;

class MenuBarContentView : public QWidget {
    Q_OBJECT
public:
    // permissions: drives the banner; without one screen recording counts as
    // granted. frameClock animates the capture cards; tileHover follows the
    // pointer over the screenshot tiles.
    MenuBarContentView(SettingsManager& settings, ClipboardHistoryStore& clipboardStore,
                       ScreenshotHistoryStore& screenshotStore, PermissionManager* permissions, Workspace& workspace,
                       FrameClock& frameClock, TileHoverSync& tileHover, MenuBarActions actions,
                       const ApplicationIdentity* appNames = nullptr, QWidget* parent = nullptr);

    void setActions(MenuBarActions actions);
    const MenuBarActions& actions() const { return m_actions; }
    // Closes the panel before a capture starts; hides the top-level window
    // unless the host sets its own.
    void setDismiss(std::function<void()> dismiss) { m_dismiss = std::move(dismiss); }
    void dismiss();

    static constexpr int panelWidth = 340;
    static constexpr int maxTiles = 12;
    static constexpr QSize tileSize{96, 70};
    static constexpr int clipboardHeight = 240;
    static constexpr int emptyClipboardHeight = 70;

    // Parts of the panel, for hosts and tests.
    QList<HoverCardButton*> captureCards() const;
    QList<ScreenshotPreviewRow*> tiles() const;

Q_SIGNALS:
    // After every rebuild of the content (language change).
    void rebuilt();

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent*) override;

private:
    void rebuild();
    QWidget* buildHeader(QWidget* parent);
    QWidget* buildBanner(QWidget* parent);
    QWidget* buildCards(QWidget* parent);
    QWidget* buildRecent(QWidget* parent);
    QWidget* buildClipboard(QWidget* parent);
    QWidget* buildFooter(QWidget* parent);
    void refreshHotkeys();
    void refreshTiles();
    void refreshClipboardHeight();
    void runAction(const std::function<void()>& action);
    void refreshBanner();

    SettingsManager& m_settings;
    ClipboardHistoryStore& m_clipboardStore;
    ScreenshotHistoryStore& m_screenshotStore;
    PermissionManager* m_permissions;
    Workspace& m_workspace;
    FrameClock& m_frameClock;
    TileHoverSync& m_tileHover;
    MenuBarActions m_actions;
    const ApplicationIdentity* m_appNames;
    std::function<void()> m_dismiss;

    QWidget* m_content = nullptr;
    QLabel* m_wordMark = nullptr;
    QWidget* m_banner = nullptr;
    QLabel* m_bannerText = nullptr;
    QWidget* m_cards = nullptr;
    QList<HoverCardButton*> m_cardButtons;
    QWidget* m_recent = nullptr;
    QToolButton* m_folderButton = nullptr;
    QScrollArea* m_strip = nullptr;
    QHBoxLayout* m_tileLayout = nullptr;
    KeyedRows<ScreenshotPreviewRow> m_tiles;
    // Captures stored while the panel was closed: their tiles are made when it
    // opens, not while an editor is open on them.
    bool m_tilesStale = false;
    QWidget* m_clipboard = nullptr;
    QPushButton* m_allButton = nullptr;
    ClipboardHistoryView* m_clipboardList = nullptr;
    HoverRowButton* m_settingsButton = nullptr;
    HoverRowButton* m_quitButton = nullptr;
};
