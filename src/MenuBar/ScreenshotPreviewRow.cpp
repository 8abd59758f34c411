#include "MenuBar/ScreenshotPreviewRow.h"

#include "Localization/Localizer.h"
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "MenuBar/TileMouseArea.h"
#include "Text/ButtonText.h"
#include "Platform/Workspace.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

ScreenshotPreviewRow::ScreenshotPreviewRow(ScreenshotItem item, const MenuBarActions& actions,
                                           ScreenshotHistoryStore& store, Workspace& workspace,
                                           TileHoverSync& hover, QSize size, QWidget* parent)
    : QWidget(parent)
    , m_item(std::move(item))
    , m_actions(actions)
    , m_store(store)
    , m_workspace(workspace)
    , m_hoverModel(hover.model())
    , m_size(size)
    , m_mouse(new TileMouseArea(hover, this))
{
    m_mouse->setObjectName(QStringLiteral("mouseArea"));
    setFixedSize(size);
    m_mouse->setGeometry(rect());
    connect(&m_hoverModel, &TileHoverModel::hoveredIDChanged, this, qOverload<>(&QWidget::update));
    loadThumbnail();
    configureMouseArea();
}

void ScreenshotPreviewRow::setItem(const ScreenshotItem& item)
{
    // An edited picture has names of its own: the tile shows the new one at once.
    const bool filesChanged = item.fileName != m_item.fileName || item.thumbnailFileName != m_item.thumbnailFileName
        || item.width != m_item.width || item.height != m_item.height;
    m_item = item;
    if (filesChanged)
        loadThumbnail();
    configureMouseArea();
    update();
}

bool ScreenshotPreviewRow::isHovered() const
{
    const QUuid hovered = m_hoverModel.hoveredID();
    return !hovered.isNull() && hovered == m_item.id;
}

QString ScreenshotPreviewRow::kindSymbol(CaptureKind kind)
{
    switch (kind) {
    case CaptureKind::area: return QStringLiteral("crop");
    case CaptureKind::window: return QStringLiteral("macwindow");
    case CaptureKind::fullScreen: return QStringLiteral("display");
    case CaptureKind::scrolling: return QStringLiteral("rectangle.portrait.arrowtriangle.2.outward");
    }
    return QStringLiteral("crop");
}

void ScreenshotPreviewRow::loadThumbnail()
{
    m_thumbnail = QPixmap();
    const QImage image = m_store.thumbnail(m_item);
    if (image.isNull())
        return;
    const qreal dpr = devicePixelRatioF();
    m_thumbnail = QPixmap::fromImage(ImageOps::filled(image, m_size * dpr));
    m_thumbnail.setDevicePixelRatio(dpr);
}

void ScreenshotPreviewRow::configureMouseArea()
{
    // The actions go through a guarded pointer: a menu may outlive its tile.
    QPointer<ScreenshotPreviewRow> self(this);
    m_mouse->configure(
        m_item.id, [self] { if (self) self->openInEditor(); },
        [self]() -> QMenu* { return self ? self->makeContextMenu() : new QMenu; },
        [self] { if (self) self->deleteItem(); }, label(m_item.captureKind));
}

void ScreenshotPreviewRow::openInEditor() { open(m_store, m_item, m_actions); }

void ScreenshotPreviewRow::copyImage() { copy(m_store, m_item, m_actions); }

QImage ScreenshotPreviewRow::picture(const ScreenshotHistoryStore& store, const ScreenshotItem& item,
                                     const MenuBarActions& actions)
{
    // A picture that cannot be opened is said, never passed over in silence.
    const ImageOps::Read read = store.readImage(item);
    if (read.image.isNull() && actions.notify)
        actions.notify(ImageOps::problemText(read.problem));
    return read.image;
}

void ScreenshotPreviewRow::open(const ScreenshotHistoryStore& store, const ScreenshotItem& item,
                                const MenuBarActions& actions)
{
    if (const QImage image = picture(store, item, actions); !image.isNull() && actions.openEditor)
        actions.openEditor(image, item);
}

void ScreenshotPreviewRow::copy(const ScreenshotHistoryStore& store, const ScreenshotItem& item,
                                const MenuBarActions& actions)
{
    if (const QImage image = picture(store, item, actions); !image.isNull() && actions.copyScreenshotImage)
        actions.copyScreenshotImage(image);
}

void ScreenshotPreviewRow::toggleFavorite() { m_store.toggleFavorite(m_item); }

void ScreenshotPreviewRow::revealInFileManager() { reveal(m_workspace, m_store, m_item, m_actions); }

void ScreenshotPreviewRow::reveal(Workspace& workspace, const ScreenshotHistoryStore& store, const ScreenshotItem& item,
                                  const MenuBarActions& actions)
{
    if (!Storage::isPlainFileName(item.fileName))
        return;
    // The answer may come after the tile is gone: it holds its own copy of the hook.
    workspace.revealFile(store.picturesFolder() + QLatin1Char('/') + item.fileName,
                         [notify = actions.notify](bool shown) {
                             if (!shown && notify)
                                 notify(Localizer::t(QStringLiteral("Der Dateimanager konnte nicht geöffnet werden.")));
                         });
}

void ScreenshotPreviewRow::deleteItem() { m_store.remove(m_item); }

QMenu* ScreenshotPreviewRow::makeContextMenu()
{
    auto* menu = new QMenu;
    const QColor iconColor = Theme::primary(menu);
    // Each entry holds its own copy of what it needs; the tile may be gone
    // (rebuilt after a store change) by the time an entry is chosen.
    const ScreenshotItem item = m_item;
    const MenuBarActions actions = m_actions;
    ScreenshotHistoryStore* store = &m_store;
    Workspace* workspace = &m_workspace;
    auto add = [&](const QString& title, const QString& symbol, std::function<void()> handler) {
        QAction* a = menu->addAction(IconRegistry::icon(symbol, 16, iconColor), ButtonText::escaped(title));
        QObject::connect(a, &QAction::triggered, menu, [handler = std::move(handler)] { handler(); });
    };
    add(Localizer::t(QStringLiteral("Bearbeiten")), QStringLiteral("pencil"), [store, item, actions] { open(*store, item, actions); });
    add(Localizer::t(QStringLiteral("Kopieren")), QStringLiteral("doc.on.doc"), [store, item, actions] { copy(*store, item, actions); });
    add(item.isFavorite ? Localizer::t(QStringLiteral("Favorit entfernen")) : Localizer::t(QStringLiteral("Favorit")),
        item.isFavorite ? QStringLiteral("star.slash") : QStringLiteral("star"),
        [store, item] { store->toggleFavorite(item); });
    add(Localizer::t(QStringLiteral("Im Dateimanager zeigen")), QStringLiteral("folder"),
        [workspace, store, item, actions] { reveal(*workspace, *store, item, actions); });
    menu->addSeparator();
    add(Localizer::t(QStringLiteral("Löschen")), QStringLiteral("trash"), [store, item] { store->remove(item); });
    return menu;
}

void ScreenshotPreviewRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(m_size));
    QPainterPath shape;
    shape.addRoundedRect(r, cornerRadius, cornerRadius);
    p.setClipPath(shape);
    if (!m_thumbnail.isNull()) {
        p.drawPixmap(QPointF(0, 0), m_thumbnail);
    } else {
        p.fillRect(r, Theme::primary(0.06, this));
        IconRegistry::paint(p, kindSymbol(m_item.captureKind), r, Theme::secondary(this), 20);
    }
    if (m_item.isFavorite) {
        const qreal glyph = 10;
        const qreal d = glyph + 6;
        const QRectF circle(r.right() - 4 - d, r.top() + 4, d, d);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, int(255 * 0.4)));
        p.drawEllipse(circle);
        IconRegistry::paint(p, QStringLiteral("star.fill"), circle, Theme::yellow(), glyph);
    }
    const bool hovered = isHovered();
    const qreal w = hovered ? 1.5 : 1.0;
    QPen pen(hovered ? Theme::accent(this) : Theme::primary(0.12, this), w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF outline = r.adjusted(w / 2, w / 2, -w / 2, -w / 2);
    p.drawRoundedRect(outline, cornerRadius - w / 2, cornerRadius - w / 2);
}
