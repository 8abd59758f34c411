#pragma once
// The window the tray icon opens: a frameless popup holding the panel's
// content view (340 px wide), placed at the icon.
#include <QFrame>

class QScrollArea;

class MenuBarPanel : public QFrame {
    Q_OBJECT
public:
    explicit MenuBarPanel(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // Shows the panel next to the icon's rectangle, inside the available area.
    // Every later change of the content's size places it again from there.
    void showAt(const QRect& iconRect, const QRect& availableArea);

    // Below an icon in the upper half of the screen, above one in the lower
    // half (the edge nearest the icon stays put while the panel grows);
    // centred on the icon across; kept inside the available area.
    static QPoint placement(const QRect& iconRect, QSize panelSize, const QRect& availableArea);

    static constexpr int contentWidth = 340;

Q_SIGNALS:
    void hidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Sizes the window to its content (scrolling where the area is too low)
    // and places it at the icon.
    void fit();

    QWidget* m_content;
    QScrollArea* m_scroll;
    QRect m_iconRect;
    QRect m_available;
};
