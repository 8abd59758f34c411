#pragma once
// The window the tray icon opens: a frameless popup holding the panel's
// content view (340 px wide), placed at the icon.
#include <QFrame>

class MenuBarPanel : public QFrame {
    Q_OBJECT
public:
    explicit MenuBarPanel(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // Shows the panel next to the icon's rectangle, inside the available area.
    void showAt(const QRect& iconRect, const QRect& availableArea);

    // Below an icon in the upper half of the screen, above one in the lower
    // half; centred on the icon across; kept inside the available area.
    static QPoint placement(const QRect& iconRect, QSize panelSize, const QRect& availableArea);

    static constexpr int contentWidth = 340;

Q_SIGNALS:
    void hidden();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* m_content;
};
