#include "MenuBar/TileHoverSync.h"

#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileMouseArea.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

TileHoverSync::TileHoverSync(TileHoverModel& model, QObject* parent)
    : QObject(parent)
    , m_model(model)
{
    m_timer.setInterval(pollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TileHoverSync::tick);
}

TileMouseArea* TileHoverSync::hoveredTile() const { return m_hoveredTile; }

int TileHoverSync::tileCount() const
{
    return int(std::count_if(m_tiles.begin(), m_tiles.end(), [](const auto& t) { return !t.isNull(); }));
}

void TileHoverSync::registerTile(TileMouseArea* tile)
{
    if (!tile)
        return;
    if (std::none_of(m_tiles.begin(), m_tiles.end(), [tile](const auto& t) { return t == tile; }))
        m_tiles.emplace_back(tile);
    start();
}

void TileHoverSync::unregisterTile(TileMouseArea* tile)
{
    m_tiles.erase(std::remove_if(m_tiles.begin(), m_tiles.end(), [tile](const auto& t) { return !t || t == tile; }),
                  m_tiles.end());
    if (m_hoveredTile == tile)
        m_hoveredTile = nullptr;
    if (m_tiles.empty())
        stop();
}

std::vector<TileMouseArea*> TileHoverSync::liveTiles()
{
    std::vector<TileMouseArea*> live;
    for (const auto& t : m_tiles)
        if (t)
            live.push_back(t);
    return live;
}

QWidget* TileHoverSync::tilesWindow()
{
    const auto live = liveTiles();
    return live.empty() ? nullptr : live.front()->window();
}

void TileHoverSync::start()
{
    if (m_timer.isActive())
        return;
    m_timer.start();
    installKeyMonitor();
    tick();
}

void TileHoverSync::stop()
{
    m_timer.stop();
    removeKeyMonitor();
    m_hoveredTile = nullptr;
    m_model.setHovered(QUuid());
}

void TileHoverSync::tick()
{
    const auto live = liveTiles();
    if (live.empty()) {
        stop();
        return;
    }
    QWidget* window = live.front()->window();
    if (!window || !window->isVisible()) {
        m_model.setHovered(QUuid());
        m_hoveredTile = nullptr;
        return;
    }
    const QPoint global = QCursor::pos(window->screen());
    const QPoint local = window->mapFromGlobal(global);
    TileMouseArea* found = nullptr;
    if (window->rect().contains(local)) {
        for (QWidget* w = window->childAt(local); w; w = w->parentWidget()) {
            if (auto* tile = qobject_cast<TileMouseArea*>(w)) {
                found = tile;
                break;
            }
            if (w == window)
                break;
        }
    }
    m_hoveredTile = found;
    m_model.setHovered(found ? found->itemID() : QUuid());
}

void TileHoverSync::installKeyMonitor()
{
    if (m_keyMonitor)
        return;
    qApp->installEventFilter(this);
    m_keyMonitor = true;
}

void TileHoverSync::removeKeyMonitor()
{
    if (!m_keyMonitor)
        return;
    qApp->removeEventFilter(this);
    m_keyMonitor = false;
}

bool TileHoverSync::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Delete)
        return false;
    // Only a key meant for the tiles' own window counts: a Delete typed in the
    // editor or the clipboard window must never remove a screenshot.
    QWidget* window = tilesWindow();
    auto* target = qobject_cast<QWidget*>(watched);
    if (!window || !target || target->window() != window || !window->isVisible())
        return false;
    const bool hasKeyboard = QApplication::activeWindow() == window || QApplication::activePopupWidget() == window;
    if (!hasKeyboard)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
        qobject_cast<QAbstractSpinBox*>(focus))
        return false;
    tick(); // the pointer may have moved since the last poll
    if (!m_hoveredTile)
        return false;
    QPointer<TileMouseArea> tile = m_hoveredTile;
    tile->runDelete();
    return true;
}
