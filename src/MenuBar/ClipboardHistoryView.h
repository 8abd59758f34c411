#pragma once
// The searchable, filterable, lazily paged list of the clipboard history, in
// the panel (compact, no title) and in the clipboard window. It owns only its
// view state (query, type filter, rows shown); the rows act on the store.
#include "Models/ClipboardItem.h"
#include "Ui/KeyedRows.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class ApplicationIdentity;
class ClipboardHistoryStore;
class ClipboardRowView;
class QLabel;
class QLineEdit;
class QScrollArea;
class QTimer;
class QToolButton;
class QVBoxLayout;
class SegmentedControl;

class ClipboardHistoryView : public QWidget {
    Q_OBJECT
public:
    enum class TypeFilter { all, text, image };

    ClipboardHistoryView(bool showsHeader, bool compact, ClipboardHistoryStore& store,
                         const ApplicationIdentity* appNames = nullptr, QWidget* parent = nullptr);

    static QList<ClipboardItem> filtered(const QList<ClipboardItem>& items, const QString& query, TypeFilter filter);
    QList<ClipboardItem> filteredAll() const;

    QString query() const { return m_query; }
    void setQuery(const QString& query);
    TypeFilter typeFilter() const { return m_typeFilter; }
    void setTypeFilter(TypeFilter filter);
    int displayLimit() const { return m_displayLimit; }
    // Called when a row comes into view: the last rendered row brings the next page.
    void loadMoreIfNeeded(const ClipboardItem& currentItem);

    // What is on screen (for tests and hosts).
    QList<ClipboardRowView*> rows() const;
    bool isSearchBlockShown() const;
    bool isFilterRowShown() const;
    bool isLoadMoreHintShown() const;
    bool isEmptyStateShown() const;
    QString emptyStateText() const;

    static constexpr int pageSize = 20;
    // While shown, the rows' times follow the clock together, woken just
    // after the first of them changes (at least once an hour).
    static constexpr int tickSlackMs = 20;
    static constexpr int maximumTickMs = 3600 * 1000;
    QTimer* clock() const { return m_clock; }

protected:
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void refresh();
    void refreshCopied();
    void scheduleVisibilityCheck();
    void checkLastRowVisible();
    void refreshHover();
    void tickTimes();

    bool m_showsHeader;
    bool m_compact;
    ClipboardHistoryStore& m_store;
    const ApplicationIdentity* m_appNames;
    QString m_query;
    TypeFilter m_typeFilter = TypeFilter::all;
    int m_displayLimit = pageSize;

    QLabel* m_title = nullptr;
    QWidget* m_searchBlock;
    QWidget* m_searchRow;
    QLineEdit* m_searchField;
    QToolButton* m_clearButton;
    SegmentedControl* m_filter;
    QScrollArea* m_scroll;
    QWidget* m_rowsHost;
    QVBoxLayout* m_rowsLayout;
    QWidget* m_hint;
    QWidget* m_emptyState;
    QLabel* m_emptyIcon;
    QLabel* m_emptyText;
    KeyedRows<ClipboardRowView> m_rows;
    bool m_checkScheduled = false;
    QTimer* m_clock;
};
