#pragma once
// One entry of the clipboard history in the list: the whole row copies the
// entry back when clicked; under the pointer it offers favourite and delete.
// It tells where the content came from, how long ago, and marks the entry
// last copied back with "Kopiert".
#include "Models/ClipboardItem.h"

#include <QAbstractButton>
#include <QPixmap>

class AnimatedValue;
class ApplicationIdentity;
class ClipboardHistoryStore;
class QToolButton;

class ClipboardRowView : public QAbstractButton {
    Q_OBJECT
public:
    ClipboardRowView(ClipboardItem item, bool compact, ClipboardHistoryStore& store,
                     const ApplicationIdentity* appNames, QWidget* parent = nullptr);

    const ClipboardItem& item() const { return m_item; }
    // The stored entry changed (favourite, moved, copied badge): redraw with it.
    void setItem(const ClipboardItem& item);
    void refreshCopiedState();

    bool isHovering() const { return m_hovering; }
    // Hover follows the pointer: the host passes the widget under it after a
    // change that moved rows under a resting pointer (no enter or leave event
    // comes then).
    void refreshHover(const QWidget* underPointer);
    bool justCopied() const;
    std::optional<QString> sourceAppName() const;
    static std::optional<QString> sourceAppName(const std::optional<QString>& bundleID, const ApplicationIdentity* resolver,
                                                const QString& lang);
    QColor backgroundFill() const;
    QString relativeString() const;
    // The time since the copy as the row shows it, and bringing it up to now
    // (a redraw only when the words change).
    QString shownTime() const { return m_time; }
    void refreshTime();
    bool showsImageThumbnail() const { return !m_thumbnail.isNull(); }
    QString iconSymbol() const; // "photo" or "doc.plaintext" when no thumbnail is shown

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int hPadding = 8;

Q_SIGNALS:
    // The pointer came onto this row: no other row of the list is under it.
    void hoverEntered();

public:
    static constexpr int iconSide = 34;
    static constexpr int spacing = 10;
    static constexpr qreal radius = 8;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void hideEvent(QHideEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    int vPadding() const { return m_compact ? 6 : 8; }
    QRectF textColumn() const;
    int trailingWidth() const;
    QStringList previewLines(qreal width) const;
    void loadThumbnail();
    void layoutButtons();
    void refreshButtons();
    void setHovering(bool hovering);
    void refreshAccessibleText();

    ClipboardItem m_item;
    bool m_compact;
    ClipboardHistoryStore& m_store;
    const ApplicationIdentity* m_appNames;
    bool m_hovering = false;
    QPixmap m_thumbnail;
    QToolButton* m_favorite;
    QToolButton* m_delete;
    AnimatedValue* m_copiedOpacity;
    QString m_time;
};
