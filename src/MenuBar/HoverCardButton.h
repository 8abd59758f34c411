#pragma once
// The common anatomy of the three capture cards: an icon above a title on a
// rounded card whose background darkens under the pointer and when pressed.
// While the pointer rests on the card the title slides up and fades out and
// the card's hotkey slides in as a small chip in its place.
#include <QAbstractButton>
#include <functional>

class AnimatedValue;

class HoverCardButton : public QAbstractButton {
    Q_OBJECT
public:
    HoverCardButton(QString hotkey, std::function<void()> action, QWidget* parent = nullptr);

    void setHotkey(const QString& hotkey);
    QString hotkey() const { return m_hotkey; }
    void setAction(std::function<void()> action) { m_action = std::move(action); }

    // The card's own pointer state and the style's.
    bool hover() const { return m_hover; }
    // The title is replaced by the chip only when there is a hint to show.
    bool isSwapped() const { return m_hover && !m_hotkey.isEmpty(); }
    double currentBackgroundOpacity() const;

    static double backgroundOpacity(bool pressed, bool hovering);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int verticalPadding = 12;
    static constexpr int iconTitleSpacing = 6;
    static constexpr int titleAreaHeight = 16;
    static constexpr qreal cornerRadius = 10;
    static constexpr qreal titleFontPx = 11;
    static constexpr qreal chipFontPx = 10.5;
    static constexpr qreal minChipFontPx = 8;
    static constexpr int chipPadding = 12;
    static constexpr int chipMargin = 8;
    static constexpr qreal slideOffset = 7;

    QRectF iconArea() const;
    QRectF titleArea() const;
    QRectF chipRect() const; // at rest in its final place
    QFont chipFont() const;

protected:
    virtual qreal iconAreaHeight() const = 0;
    virtual void paintIcon(QPainter& p, const QRectF& area, const QColor& color) = 0;
    virtual void paintTitle(QPainter& p, const QRectF& area, const QColor& color) = 0;
    virtual void hoverChanged(bool hover);

    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void setHover(bool hover);
    void refreshBackground();
    void refreshSwap();

    QString m_hotkey;
    std::function<void()> m_action;
    bool m_hover = false;
    bool m_hovering = false;
    AnimatedValue* m_swap;
    AnimatedValue* m_background;
};
