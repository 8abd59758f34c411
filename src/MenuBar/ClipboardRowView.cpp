#include "MenuBar/ClipboardRowView.h"

#include "Localization/Localizer.h"
#include "Localization/RelativeTimeFormatter.h"
#include "Platform/ApplicationIdentity.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ImageOps.h"
#include "Ui/AnimatedValue.h"
#include "Ui/BidiControls.h"
#include "Ui/FocusRing.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QToolButton>

namespace {
constexpr qreal previewPx = 12;
constexpr qreal detailPx = 10;
constexpr int columnSpacing = 2;
constexpr int buttonSide = 18;

QToolButton* makeIconButton(QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(buttonSide, buttonSide);
    b->setIconSize(QSize(13, 13));
    b->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    b->hide();
    return b;
}
} // namespace

ClipboardRowView::ClipboardRowView(ClipboardItem item, bool compact, ClipboardHistoryStore& store,
                                   const ApplicationIdentity* appNames, QWidget* parent)
    : QAbstractButton(parent)
    , m_item(std::move(item))
    , m_compact(compact)
    , m_store(store)
    , m_appNames(appNames)
    , m_favorite(makeIconButton(this))
    , m_delete(makeIconButton(this))
    , m_copiedOpacity(new AnimatedValue(0.0, this))
{
    m_delete->setObjectName(QStringLiteral("deleteButton"));
    m_favorite->setObjectName(QStringLiteral("favoriteButton"));
    setAttribute(Qt::WA_Hover);
    FocusRing::setShape(this, radius);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(Localizer::t(QStringLiteral("Klicken zum Kopieren")));
    m_copiedOpacity->setEaseOut(220);
    m_copiedOpacity->setImmediately(justCopied() ? 1.0 : 0.0);
    connect(m_copiedOpacity, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    m_delete->setToolTip(Localizer::t(QStringLiteral("Löschen")));
    m_favorite->setToolTip(Localizer::t(QStringLiteral("Favorit")));
    // Screen readers say what the row and its icon buttons show.
    m_delete->setAccessibleName(m_delete->toolTip());
    m_favorite->setAccessibleName(m_favorite->toolTip());
    refreshAccessibleText();
    m_time = relativeString();
    // Each action works on the entry as stored when clicked, by identifier.
    connect(this, &QAbstractButton::clicked, this, [this] { m_store.copyToPasteboard(m_item); });
    connect(m_favorite, &QToolButton::clicked, this, [this] { m_store.toggleFavorite(m_item); });
    connect(m_delete, &QToolButton::clicked, this, [this] { m_store.remove(m_item); });
    loadThumbnail();
    refreshButtons();
}

void ClipboardRowView::setItem(const ClipboardItem& item)
{
    const bool imageChanged = item.imageFileName != m_item.imageFileName || item.type != m_item.type;
    m_item = item;
    if (imageChanged)
        loadThumbnail();
    refreshAccessibleText();
    refreshButtons();
    refreshCopiedState();
    m_time = relativeString();
    updateGeometry();
    update();
}

void ClipboardRowView::refreshAccessibleText() { setAccessibleName(m_item.displayPreview()); }

void ClipboardRowView::refreshCopiedState() { m_copiedOpacity->animateTo(justCopied() ? 1.0 : 0.0); }

bool ClipboardRowView::justCopied() const
{
    const auto last = m_store.lastCopiedID();
    return last && *last == m_item.id;
}

std::optional<QString> ClipboardRowView::sourceAppName(const std::optional<QString>& bundleID,
                                                       const ApplicationIdentity* resolver, const QString& lang)
{
    if (!bundleID || bundleID->isEmpty())
        return std::nullopt;
    if (resolver)
        if (auto name = resolver->displayName(*bundleID, lang)) {
            QString n = *name;
            if (n.endsWith(QLatin1String(".app"))) // only a trailing suffix is a suffix
                n.chop(4);
            return n;
        }
    // A reverse-domain id (org.example.Notes) shows its last part; any other
    // name, also one with a dot in it (Zentu.it, Node.js), shows whole.
    const QStringList parts = bundleID->split(QLatin1Char('.'));
    const bool reverseDomain = parts.size() >= 3 && !parts.contains(QString())
        && parts.first() == parts.first().toLower();
    return reverseDomain ? parts.last() : *bundleID;
}

std::optional<QString> ClipboardRowView::sourceAppName() const
{
    return sourceAppName(m_item.sourceAppBundleID, m_appNames, Localizer::language());
}

QColor ClipboardRowView::backgroundFill() const
{
    if (m_hovering)
        return Theme::primary(0.08, this);
    if (m_item.isFavorite)
        return Theme::withAlpha(Theme::yellow(), 0.1);
    return Qt::transparent;
}

QString ClipboardRowView::relativeString() const
{
    return RelativeTimeFormatter::abbreviated(m_item.createdAt, QDateTime::currentDateTimeUtc(),
                                              Localizer::language());
}

void ClipboardRowView::refreshTime()
{
    QString now = relativeString();
    if (now == m_time)
        return;
    m_time = std::move(now);
    update();
}

QString ClipboardRowView::iconSymbol() const
{
    return m_item.type == ClipboardItemType::image ? QStringLiteral("photo") : QStringLiteral("doc.plaintext");
}

void ClipboardRowView::loadThumbnail()
{
    m_thumbnail = QPixmap();
    if (m_item.type != ClipboardItemType::image)
        return;
    const QImage image = m_store.image(m_item);
    if (image.isNull())
        return;
    const qreal dpr = devicePixelRatioF();
    const int side = qRound(iconSide * dpr);
    m_thumbnail = QPixmap::fromImage(ImageOps::filled(image, QSize(side, side)));
    m_thumbnail.setDevicePixelRatio(dpr);
}

void ClipboardRowView::refreshButtons()
{
    const QColor secondary = Theme::secondary(this);
    m_favorite->setIcon(m_item.isFavorite ? IconRegistry::icon(QStringLiteral("star.fill"), 13, Theme::yellow())
                                          : IconRegistry::icon(QStringLiteral("star"), 13, secondary));
    m_delete->setIcon(IconRegistry::icon(QStringLiteral("trash"), 13, secondary));
    m_favorite->setVisible(m_hovering);
    m_delete->setVisible(m_hovering);
    layoutButtons();
}

int ClipboardRowView::trailingWidth() const { return 2 * buttonSide + 2; }

void ClipboardRowView::layoutButtons()
{
    const int y = (height() - buttonSide) / 2;
    const int right = width() - hPadding;
    m_delete->move(right - buttonSide, y);
    m_favorite->move(right - 2 * buttonSide - 2, y);
}

void ClipboardRowView::resizeEvent(QResizeEvent* e)
{
    QAbstractButton::resizeEvent(e);
    layoutButtons();
}

void ClipboardRowView::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    refreshButtons();
    update();
}

void ClipboardRowView::refreshHover(const QWidget* underPointer)
{
    setHovering(isVisible() && underPointer && (underPointer == this || isAncestorOf(underPointer)));
}

void ClipboardRowView::enterEvent(QEnterEvent* e)
{
    // Hiding the row's buttons while its window closes sends it an enter
    // event of its own: a row that is not on screen is not hovered.
    if (isVisible()) {
        setHovering(true);
        Q_EMIT hoverEntered();
    }
    QAbstractButton::enterEvent(e);
}

void ClipboardRowView::leaveEvent(QEvent* e)
{
    setHovering(false);
    QAbstractButton::leaveEvent(e);
}

void ClipboardRowView::hideEvent(QHideEvent* e)
{
    // A closing window sends no leave event: the next open starts at rest.
    setHovering(false);
    QAbstractButton::hideEvent(e);
}

QRectF ClipboardRowView::textColumn() const
{
    const qreal left = hPadding + iconSide + spacing;
    const qreal right = width() - hPadding - trailingWidth() - spacing;
    return QRectF(left, vPadding(), qMax<qreal>(10, right - left), height() - 2 * vPadding());
}

QStringList ClipboardRowView::previewLines(qreal width) const
{
    const QString text = BidiControls::revealed(m_item.displayPreview());
    const QFont font = Theme::font(previewPx);
    QTextLayout layout(text, font);
    QStringList lines;
    layout.beginLayout();
    while (lines.size() < 2) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    const bool more = layout.createLine().isValid();
    layout.endLayout();
    if (lines.isEmpty())
        lines << QString();
    if (more || QFontMetricsF(font).horizontalAdvance(lines.last()) > width) {
        const QString rest = text.mid(text.indexOf(lines.last(), lines.size() > 1 ? lines.first().size() : 0));
        lines.last() = QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width);
    }
    return lines;
}

int ClipboardRowView::heightForWidth(int width) const
{
    const qreal textWidth = qMax(10, width - 2 * hPadding - iconSide - 2 * spacing - trailingWidth());
    const int lines = int(previewLines(textWidth).size());
    const qreal column = lines * QFontMetricsF(Theme::font(previewPx)).height() + columnSpacing +
                         QFontMetricsF(Theme::font(detailPx)).height();
    return qCeil(qMax<qreal>(iconSide, column)) + 2 * vPadding();
}

QSize ClipboardRowView::sizeHint() const
{
    const int w = width() > 0 ? width() : 300;
    return QSize(w, heightForWidth(w));
}

QSize ClipboardRowView::minimumSizeHint() const { return QSize(100, heightForWidth(qMax(width(), 100))); }

void ClipboardRowView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QPainterPath bg;
    bg.addRoundedRect(QRectF(rect()), radius, radius);
    p.fillPath(bg, backgroundFill());

    // Icon: the picture itself, else a badge with the kind's symbol.
    const QRectF icon(hPadding, (height() - iconSide) / 2.0, iconSide, iconSide);
    QPainterPath iconShape;
    iconShape.addRoundedRect(icon, 6, 6);
    if (!m_thumbnail.isNull()) {
        p.save();
        p.setClipPath(iconShape);
        p.drawPixmap(icon.toRect(), m_thumbnail);
        p.restore();
    } else {
        p.fillPath(iconShape, Theme::primary(0.08, this));
        IconRegistry::paint(p, iconSymbol(), icon, Theme::secondary(this), 16);
    }

    const QRectF column = textColumn();
    const QFont previewFont = Theme::font(previewPx);
    const QFontMetricsF pfm(previewFont);
    const QStringList lines = previewLines(column.width());
    const QFont detailFont = Theme::font(detailPx);
    const QFontMetricsF dfm(detailFont);
    const qreal columnHeight = lines.size() * pfm.height() + columnSpacing + dfm.height();
    qreal y = (height() - columnHeight) / 2.0;
    p.setFont(previewFont);
    p.setPen(Theme::primary(this));
    for (const QString& line : lines) {
        p.drawText(QPointF(column.left(), y + pfm.ascent()), line);
        y += pfm.height();
    }
    y += columnSpacing;

    // Detail line: time · source  ✓ Kopiert
    p.setFont(detailFont);
    p.setPen(Theme::secondary(this));
    qreal x = column.left();
    const qreal baseline = y + dfm.ascent();
    p.drawText(QPointF(x, baseline), m_time);
    x += dfm.horizontalAdvance(m_time) + 6;
    if (const auto app = sourceAppName()) {
        p.drawText(QPointF(x, baseline), QStringLiteral("·"));
        x += dfm.horizontalAdvance(QStringLiteral("·")) + 6;
        const qreal room = qMax<qreal>(0, column.right() - x - (justCopied() ? 60 : 0));
        const QString name = dfm.elidedText(*app, Qt::ElideRight, room);
        p.drawText(QPointF(x, baseline), name);
        x += dfm.horizontalAdvance(name) + 6;
    }
    const double copied = m_copiedOpacity->value();
    if (copied > 0) {
        p.save();
        p.setOpacity(copied);
        IconRegistry::paint(p, QStringLiteral("checkmark.circle.fill"), QRectF(x, y, dfm.height(), dfm.height()),
                            Theme::secondary(this), detailPx + 1);
        x += dfm.height() + 3;
        p.drawText(QPointF(x, baseline), Localizer::t(QStringLiteral("Kopiert")));
        p.restore();
    }

    if (!m_hovering && m_item.isFavorite) {
        const qreal side = 12;
        IconRegistry::paint(p, QStringLiteral("star.fill"),
                            QRectF(width() - hPadding - side, (height() - side) / 2.0, side, side), Theme::yellow(),
                            detailPx + 1);
    }
}
