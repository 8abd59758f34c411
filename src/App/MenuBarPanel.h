#pragma once
// The window the tray icon opens: a frameless popup holding the panel's
// content view (340 px wide), placed at the icon. Without a tray it is a
// normal window instead, with a note that says how to reach it.
#include <QFrame>

class QLabel;
class QScrollArea;

class MenuBarPanel : public QFrame {
    Q_OBJECT
public:
    explicit MenuBarPanel(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // Shows the panel as a popup next to the icon's rectangle, inside the
    // available area. Every later change of the content's size places it
    // again from there.
    void showAt(const QRect& iconRect, const QRect& availableArea);
    // Shows the panel as a normal window in the middle of the available area,
    // with the note that there is no tray; it stays where the user moves it.
    void showAsWindow(const QRect& availableArea);
    bool isWindow() const { return m_asWindow; }
    // The note above the content, in window form: shown by showAsWindow(),
    // dropped once a tray is there after all.
    void setNoteVisible(bool visible);

    // Below an icon in the upper half of the screen, above one in the lower
    // half (the edge nearest the icon stays put while the panel grows);
    // centred on the icon across; kept inside the available area.
    static QPoint placement(const QRect& iconRect, QSize panelSize, const QRect& availableArea);

    static constexpr int contentWidth = 340;

Q_SIGNALS:
    // The popup closes because of a press outside it, at this point on the
    // screen. The toolkit hands that press on to what lies beneath, which may
    // be the tray icon.
    void dismissedByPress(QPoint globalPos);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Sizes the window to its content (scrolling where the area is too low)
    // and, as a popup, places it at the icon.
    void fit();
    void setForm(bool asWindow);
    void retranslate();

    QWidget* m_content;
    QWidget* m_noteRow;
    QLabel* m_note;
    QScrollArea* m_scroll;
    QRect m_iconRect;
    QRect m_available;
    bool m_asWindow = false;
};
