#pragma once
// A text row that lights up under the pointer: icon and title on a rounded
// background that is clear at rest, faint while hovered and darker while
// pressed. Used for the panel footer and for link rows.
#include <QAbstractButton>

class AnimatedValue;

class HoverRowButton : public QAbstractButton {
    Q_OBJECT
public:
    HoverRowButton(const QString& symbolName, const QString& title, QWidget* parent = nullptr);

    void setSymbolName(const QString& name);
    void setFontPixelSize(qreal px);
    // A small symbol at the right edge in the tertiary colour (a link row's
    // arrow); the row then takes the width it is given.
    void setTrailingSymbol(const QString& name);
    void setPadding(int horizontal, int vertical);

    bool isHovering() const { return m_hovering; }
    // Opacity of the primary colour behind the label: pressed wins over hover.
    static double backgroundOpacity(bool pressed, bool hovering);
    double currentBackgroundOpacity() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr int hPadding = 8;
    static constexpr int vPadding = 5;
    static constexpr qreal cornerRadius = 6;
    static constexpr int iconSpacing = 6;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void refreshTarget();
    // The trailing symbol's side: the caption-2 size.
    static qreal trailingSide() { return 10; }

    QString m_symbol;
    QString m_trailing;
    int m_hPadding = hPadding;
    int m_vPadding = vPadding;
    qreal m_fontPx = 12;
    bool m_hovering = false;
    AnimatedValue* m_background;
};
