#include "MenuBar/ClipboardHistoryView.h"

#include "Localization/Localizer.h"
#include "Localization/RelativeTimeFormatter.h"
#include "MenuBar/ClipboardRowView.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Theme.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

ClipboardHistoryView::TypeFilter filterAt(int index)
{
    return index == 1 ? ClipboardHistoryView::TypeFilter::text
                      : index == 2 ? ClipboardHistoryView::TypeFilter::image : ClipboardHistoryView::TypeFilter::all;
}

} // namespace

ClipboardHistoryView::ClipboardHistoryView(bool showsHeader, bool compact, ClipboardHistoryStore& store,
                                           const ApplicationIdentity* appNames, QWidget* parent)
    : QWidget(parent)
    , m_showsHeader(showsHeader)
    , m_compact(compact)
    , m_store(store)
    , m_appNames(appNames)
    , m_clock(new QTimer(this))
{
    m_clock->setSingleShot(true);
    connect(m_clock, &QTimer::timeout, this, &ClipboardHistoryView::tickTimes);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(compact ? 6 : 10);
    const int margin = compact ? 0 : 12;
    column->setContentsMargins(margin, margin, margin, margin);

    if (showsHeader) {
        m_title = new QLabel(Localizer::t(QStringLiteral("Zwischenablage-Verlauf")), this);
        m_title->setFont(Theme::font(16, QFont::Bold));
        column->addWidget(m_title);
    }

    // Search field and type filter.
    m_searchBlock = new QWidget(this);
    auto* block = new QVBoxLayout(m_searchBlock);
    block->setContentsMargins(0, 0, 0, 0);
    block->setSpacing(compact ? 6 : 10);
    // On a faint rounded background.
    m_searchRow = new RoundedFill(10, [](const QWidget* w) { return Theme::primary(0.06, w); }, m_searchBlock);
    auto* row = new QHBoxLayout(m_searchRow);
    row->setContentsMargins(11, compact ? 7 : 10, 11, compact ? 7 : 10);
    row->setSpacing(8);
    const qreal iconPx = compact ? 12 : 14;
    auto* glass = new QLabel(m_searchRow);
    glass->setPixmap(IconRegistry::pixmap(QStringLiteral("magnifyingglass"), iconPx + 2, Theme::secondary(this),
                                          devicePixelRatioF()));
    row->addWidget(glass);
    m_searchField = new QLineEdit(m_searchRow);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setFrame(false);
    m_searchField->setPlaceholderText(Localizer::t(QStringLiteral("Suchen")));
    m_searchField->setAccessibleName(m_searchField->placeholderText());
    m_searchField->setFont(Theme::font(compact ? 13 : 15));
    m_searchField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    row->addWidget(m_searchField, 1);
    m_clearButton = new QToolButton(m_searchRow);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    m_clearButton->setAutoRaise(true);
    m_clearButton->setFocusPolicy(Qt::NoFocus);
    m_clearButton->setIcon(IconRegistry::icon(QStringLiteral("xmark.circle.fill"), iconPx + 2, Theme::secondary(this)));
    m_clearButton->setIconSize(QSize(int(iconPx + 2), int(iconPx + 2)));
    m_clearButton->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    m_clearButton->setToolTip(Localizer::t(QStringLiteral("Suche löschen")));
    m_clearButton->setAccessibleName(m_clearButton->toolTip());
    m_clearButton->hide();
    row->addWidget(m_clearButton);
    block->addWidget(m_searchRow);

    m_filter = new SegmentedControl({Localizer::t(QStringLiteral("Alle")), Localizer::t(QStringLiteral("Text")),
                                     Localizer::t(QStringLiteral("Bild"))},
                                    m_searchBlock);
    m_filter->setObjectName(QStringLiteral("filterControl"));
    m_filter->setMetrics(compact ? 11 : 13, compact ? 5 : 7);
    m_filter->setAccessibleName(Localizer::t(QStringLiteral("Filter")));
    block->addWidget(m_filter);
    column->addWidget(m_searchBlock);

    // The list.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrollArea"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_rowsHost = new QWidget;
    m_rowsHost->setAutoFillBackground(false);
    m_rowsLayout = new QVBoxLayout(m_rowsHost);
    m_rowsLayout->setContentsMargins(0, 2, 0, 2);
    m_rowsLayout->setSpacing(compact ? 2 : 4);
    m_rowsLayout->addStretch(1);
    m_scroll->setWidget(m_rowsHost);
    column->addWidget(m_scroll, 1);

    m_hint = new QWidget(this);
    auto* hintLayout = new QVBoxLayout(m_hint);
    hintLayout->setContentsMargins(0, 0, 0, 0);
    hintLayout->setSpacing(0);
    auto* divider = new QFrame(m_hint);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: rgba(0,0,0,40);"));
    hintLayout->addWidget(divider);
    auto* hintText = new QLabel(Localizer::t(QStringLiteral("Mehr laden beim Scrollen")), m_hint);
    hintText->setFont(Theme::font(12));
    hintText->setAlignment(Qt::AlignCenter);
    hintText->setContentsMargins(0, 11, 0, 11);
    QPalette hp = hintText->palette();
    hp.setColor(QPalette::WindowText, Theme::secondary(this));
    hintText->setPalette(hp);
    hintLayout->addWidget(hintText);
    column->addWidget(m_hint);

    // Empty state.
    m_emptyState = new QWidget(this);
    auto* empty = new QVBoxLayout(m_emptyState);
    const int pad = compact ? 8 : 16;
    empty->setContentsMargins(0, pad, 0, pad);
    empty->setSpacing(compact ? 6 : 8);
    empty->addStretch(1);
    m_emptyIcon = new QLabel(m_emptyState);
    m_emptyIcon->setAlignment(Qt::AlignCenter);
    m_emptyIcon->setPixmap(IconRegistry::pixmap(QStringLiteral("clipboard"), compact ? 22 : 28,
                                                Theme::secondary(this), devicePixelRatioF()));
    empty->addWidget(m_emptyIcon);
    m_emptyText = new QLabel(m_emptyState);
    m_emptyText->setAlignment(Qt::AlignCenter);
    m_emptyText->setFont(Theme::font(12));
    QPalette ep = m_emptyText->palette();
    ep.setColor(QPalette::WindowText, Theme::secondary(this));
    m_emptyText->setPalette(ep);
    empty->addWidget(m_emptyText);
    empty->addStretch(1);
    column->addWidget(m_emptyState, 1);

    connect(m_searchField, &QLineEdit::textChanged, this, &ClipboardHistoryView::setQuery);
    connect(m_clearButton, &QToolButton::clicked, this, [this] { setQuery(QString()); });
    connect(m_filter, &SegmentedControl::currentIndexChanged, this, [this](int i) { setTypeFilter(filterAt(i)); });
    connect(&m_store, &ClipboardHistoryStore::itemsChanged, this, &ClipboardHistoryView::refresh);
    connect(&m_store, &ClipboardHistoryStore::lastCopiedIDChanged, this, &ClipboardHistoryView::refreshCopied);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ClipboardHistoryView::scheduleVisibilityCheck);
    refresh();
}

QList<ClipboardItem> ClipboardHistoryView::filtered(const QList<ClipboardItem>& items, const QString& query,
                                                    TypeFilter filter)
{
    const QString needle = query.trimmed().toLower();
    QList<ClipboardItem> result;
    for (const ClipboardItem& item : items) {
        if (filter == TypeFilter::text && item.type != ClipboardItemType::text)
            continue;
        if (filter == TypeFilter::image && item.type != ClipboardItemType::image)
            continue;
        if (!needle.isEmpty()) {
            const bool inPreview = item.displayPreview().toLower().contains(needle);
            const bool inText = item.text && item.text->toLower().contains(needle);
            if (!inPreview && !inText)
                continue;
        }
        result << item;
    }
    return result;
}

QList<ClipboardItem> ClipboardHistoryView::filteredAll() const { return filtered(m_store.items(), m_query, m_typeFilter); }

void ClipboardHistoryView::setQuery(const QString& query)
{
    if (query != m_searchField->text())
        m_searchField->setText(query); // comes back through textChanged
    if (query == m_query)
        return;
    m_query = query;
    m_displayLimit = pageSize;
    refresh();
}

void ClipboardHistoryView::setTypeFilter(TypeFilter filter)
{
    const int index = filter == TypeFilter::text ? 1 : filter == TypeFilter::image ? 2 : 0;
    if (m_filter->currentIndex() != index)
        m_filter->setCurrentIndex(index); // comes back through currentIndexChanged
    if (filter == m_typeFilter)
        return;
    m_typeFilter = filter;
    m_displayLimit = pageSize;
    refresh();
}

void ClipboardHistoryView::loadMoreIfNeeded(const ClipboardItem& currentItem)
{
    const QList<ClipboardItem> all = filteredAll();
    const int shown = qMin(m_displayLimit, int(all.size()));
    if (shown == 0 || all.at(shown - 1).id != currentItem.id || m_displayLimit >= all.size())
        return;
    m_displayLimit = qMin(int(all.size()), m_displayLimit + pageSize);
    refresh();
}

QList<ClipboardRowView*> ClipboardHistoryView::rows() const
{
    QList<ClipboardRowView*> result;
    for (const auto& r : m_rows.order)
        if (r)
            result << r;
    return result;
}

bool ClipboardHistoryView::isSearchBlockShown() const { return !m_searchBlock->isHidden(); }
bool ClipboardHistoryView::isFilterRowShown() const { return !m_searchBlock->isHidden() && !m_filter->isHidden(); }
bool ClipboardHistoryView::isLoadMoreHintShown() const { return !m_hint->isHidden(); }
bool ClipboardHistoryView::isEmptyStateShown() const { return !m_emptyState->isHidden(); }
QString ClipboardHistoryView::emptyStateText() const { return m_emptyText->text(); }

void ClipboardHistoryView::refresh()
{
    const bool storeEmpty = m_store.items().isEmpty();
    const bool queryEmpty = m_query.isEmpty();
    // With the filter row gone there is no way to change the filter: drop
    // back to "Alle", so an empty history reads "Noch keine Einträge".
    if (storeEmpty && queryEmpty && m_typeFilter != TypeFilter::all) {
        m_typeFilter = TypeFilter::all;
        m_displayLimit = pageSize;
        const QSignalBlocker block(m_filter);
        m_filter->setCurrentIndex(0);
    }
    m_searchBlock->setHidden(m_compact && storeEmpty && queryEmpty);
    m_filter->setHidden(storeEmpty && queryEmpty);
    m_clearButton->setVisible(!m_query.isEmpty());

    const QList<ClipboardItem> all = filteredAll();
    const int shown = qMin(m_displayLimit, int(all.size()));

    // Keep the row widgets of entries still shown, so hover state survives.
    m_rows.sync(m_rowsLayout, all, shown, [this](const ClipboardItem& item) {
        auto* row = new ClipboardRowView(item, m_compact, m_store, m_appNames, m_rowsHost);
        // One row at most is lit, whichever way the others got their state.
        connect(row, &ClipboardRowView::hoverEntered, this, [this, row] {
            for (const auto& r : m_rows.order)
                if (r && r != row)
                    r->refreshHover(row);
        });
        return row;
    });

    const bool hasResults = !all.isEmpty();
    m_scroll->setVisible(hasResults);
    m_hint->setVisible(hasResults && !m_compact && m_displayLimit < all.size());
    m_emptyState->setVisible(!hasResults);
    m_emptyText->setText(queryEmpty && m_typeFilter == TypeFilter::all ? Localizer::t(QStringLiteral("Noch keine Einträge"))
                                                                        : Localizer::t(QStringLiteral("Keine Treffer")));
    scheduleVisibilityCheck();
    // New rows may count seconds where the others count hours.
    if (isVisible())
        tickTimes();
}

void ClipboardHistoryView::refreshCopied()
{
    for (const auto& r : m_rows.order)
        if (r)
            r->refreshCopiedState();
}

void ClipboardHistoryView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    scheduleVisibilityCheck();
    tickTimes();
}

void ClipboardHistoryView::hideEvent(QHideEvent* e)
{
    m_clock->stop();
    QWidget::hideEvent(e);
}

void ClipboardHistoryView::tickTimes()
{
    // All rows at the same moment, so no two of them disagree; again as soon
    // as the first of them would read differently.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    qint64 next = -1;
    for (const auto& r : m_rows.order)
        if (r) {
            r->refreshTime();
            const qint64 change = RelativeTimeFormatter::msUntilChange(r->item().createdAt, now);
            next = next < 0 ? change : qMin(next, change);
        }
    if (isVisible() && next >= 0)
        m_clock->start(int(qMin<qint64>(next + tickSlackMs, maximumTickMs)));
}

void ClipboardHistoryView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    scheduleVisibilityCheck();
}

void ClipboardHistoryView::scheduleVisibilityCheck()
{
    if (m_checkScheduled)
        return;
    m_checkScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_checkScheduled = false;
        checkLastRowVisible();
        refreshHover();
    });
}

void ClipboardHistoryView::refreshHover()
{
    // Rows moved (a copy puts its row on top, the list scrolled, the window
    // opened) under a resting pointer get no enter or leave event: ask where
    // the pointer is.
    if (!isVisible() || m_rows.order.isEmpty())
        return;
    m_rowsLayout->activate();
    const QWidget* underPointer = QApplication::widgetAt(QCursor::pos());
    for (const auto& r : m_rows.order)
        if (r)
            r->refreshHover(underPointer);
}

void ClipboardHistoryView::checkLastRowVisible()
{
    if (!isVisible() || m_rows.order.isEmpty() || !m_rows.order.last())
        return;
    m_rowsLayout->activate();
    ClipboardRowView* last = m_rows.order.last();
    const QRect inViewport(last->mapTo(m_scroll->viewport(), QPoint(0, 0)), last->size());
    if (inViewport.intersects(m_scroll->viewport()->rect()))
        loadMoreIfNeeded(last->item());
}
