#pragma once
// One poller for the screenshot tiles of the program (made by its composition
// root, handed to each tile): while any tile is shown it looks every 20 ms
// which tile lies under the pointer and publishes it through its
// TileHoverModel, and it watches the Delete keys. A Delete (or Forward Delete)
// removes the tile under the pointer only while the tiles' own window is shown
// and has the keyboard, and no text field is being edited; everything else
// passes on untouched. With the last tile hidden the poll and the key watch stop.
#include "MenuBar/TileMouseArea.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

class TileHoverModel;
class TileMouseArea;
class QWidget;

class TileHoverSync : public QObject {
    Q_OBJECT
public:
    explicit TileHoverSync(TileHoverModel& model, QObject* parent = nullptr);

    TileHoverModel& model() const { return m_model; }

    void registerTile(TileMouseArea* tile);
    void unregisterTile(TileMouseArea* tile);

    void start();
    void stop();
    void tick();

    bool isPolling() const { return m_timer.isActive(); }
    bool hasKeyMonitor() const { return m_keyMonitor; }
    TileMouseArea* hoveredTile() const;
    int tileCount() const;

    static constexpr int pollIntervalMs = 20;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void installKeyMonitor();
    void removeKeyMonitor();
    std::vector<TileMouseArea*> liveTiles();
    QWidget* tilesWindow();

    TileHoverModel& m_model;
    std::vector<QPointer<TileMouseArea>> m_tiles;
    QTimer m_timer;
    bool m_keyMonitor = false;
    QPointer<TileMouseArea> m_hoveredTile;
};
