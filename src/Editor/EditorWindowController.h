#pragma once
// One editor window for one screenshot: builds the window's model with its
// collaborators (EditorSession) and the root view, sizes the window to the picture and the screen, keeps it above its
// minimum size, handles the editor's plain keys before any control sees them,
// and on closing writes the annotations back to the screenshot's history entry.
// A closed window is never shown again; its owner drops it.
#include "Editor/EditorToolbar.h"
#include "Models/ScreenshotItem.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class EditorEnvironment;
class EditorRootView;
class EditorSession;
class EditorViewModel;
class QKeyEvent;
class ScreenshotHistoryStore;

class EditorWindowController : public QWidget {
    Q_OBJECT
public:
    // item: the history entry the picture belongs to, none for a loose picture.
    // toolbarServices: the program's delays and colour panel, which its editor
    // windows share (see EditorRootView for none).
    EditorWindowController(const QImage& image, std::optional<ScreenshotItem> item,
                           std::unique_ptr<EditorEnvironment> environment,
                           std::optional<EditorToolbarServices> toolbarServices = std::nullopt, QWidget* parent = nullptr);
    ~EditorWindowController() override;
    // A window on a history entry that writes back into `store`.
    static std::unique_ptr<EditorWindowController> forHistory(const QImage& image, const ScreenshotItem& item,
                                                              ScreenshotHistoryStore& store);

    EditorSession& session() { return *m_session; }
    EditorViewModel& viewModel();
    EditorRootView& rootView() { return *m_rootView; }
    // The history entry this window edits, if any.
    std::optional<QUuid> screenshotID() const;

    // The smallest content the user can drag the window down to.
    static constexpr QSize minimumContentSize{550, 460};
    // Content size for a picture this many points large (its pixels over the
    // screen's scale) on a screen whose
    // available area is `available` (none: no screen), below a toolbar (with
    // its divider) `chromeHeight` high: the picture shrunk to fit 85 % of the
    // area less the toolbar, never enlarged, at least 980 wide (as the area
    // allows) with a canvas at least 360 high. The canvas gets exactly the
    // height asked for, so a picture that fits is shown pixel for pixel at 100 %.
    static QSizeF preferredContentSize(QSizeF imagePoints, std::optional<QSizeF> available, double chromeHeight);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // What a key does in this window, or nothing to let it pass on.
    std::function<void()> keyAction(const QKeyEvent& event) const;
    void stopKeyHandling();
    // The application's palette, alike for the active and the inactive window.
    void followPalette();

    std::unique_ptr<EditorEnvironment> m_environment;
    std::unique_ptr<EditorSession> m_session;
    EditorRootView* m_rootView;
    bool m_keyHandling = false;
    bool m_closed = false;
};
