#pragma once
// One tile of the recent-screenshots strip: the thumbnail (or the capture
// kind's symbol), a star for favourites and a frame that lights up while the
// pointer is over it. A click opens the editor, a right click the context
// menu (edit, copy, favourite, show in the file manager, delete), and Delete
// over the tile removes it (see TileHoverSync).
#include "MenuBar/MenuBarActions.h"
#include "Models/ScreenshotItem.h"

#include <QPixmap>
#include <QWidget>

class QMenu;
class ScreenshotHistoryStore;
class TileHoverModel;
class TileHoverSync;
class TileMouseArea;
class Workspace;

class ScreenshotPreviewRow : public QWidget {
    Q_OBJECT
public:
    ScreenshotPreviewRow(ScreenshotItem item, const MenuBarActions& actions, ScreenshotHistoryStore& store,
                         Workspace& workspace, TileHoverSync& hover, QSize size, QWidget* parent = nullptr);

    const ScreenshotItem& item() const { return m_item; }
    void setItem(const ScreenshotItem& item);
    bool isHovered() const;
    bool showsThumbnail() const { return !m_thumbnail.isNull(); }
    static QString kindSymbol(CaptureKind kind);

    // A new menu each time, from the values the tile holds now; the caller owns it.
    QMenu* makeContextMenu();

    void openInEditor();
    void copyImage();
    void toggleFavorite();
    // Selects the file in the file manager (or opens its folder); says so
    // through the actions' notify when neither worked.
    void revealInFileManager();
    void deleteItem();

    QSize sizeHint() const override { return m_size; }

    static constexpr qreal cornerRadius = 8;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void loadThumbnail();
    void configureMouseArea();
    static void reveal(Workspace& workspace, const ScreenshotHistoryStore& store, const ScreenshotItem& item,
                       const MenuBarActions& actions);
    // The full picture, or none after telling the user why.
    static QImage picture(const ScreenshotHistoryStore& store, const ScreenshotItem& item, const MenuBarActions& actions);
    static void open(const ScreenshotHistoryStore& store, const ScreenshotItem& item, const MenuBarActions& actions);
    static void copy(const ScreenshotHistoryStore& store, const ScreenshotItem& item, const MenuBarActions& actions);

    ScreenshotItem m_item;
    const MenuBarActions& m_actions;
    ScreenshotHistoryStore& m_store;
    Workspace& m_workspace;
    TileHoverModel& m_hoverModel;
    QSize m_size;
    QPixmap m_thumbnail;
    TileMouseArea* m_mouse;
};
