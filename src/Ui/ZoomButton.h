#pragma once
// A button of the editor's zoom pill: its label (a symbol or a short text) in
// the primary colour on a rounded fill that is clear at rest, faint while the
// pointer is over it (fading in and out) and darker at once while pressed.
// A disabled button keeps the same look. A symbol-only button is named for
// assistive technology by its help text.
#include <QAbstractButton>

class AnimatedValue;

class ZoomButton : public QAbstractButton {
    Q_OBJECT
public:
    // symbolName: an icon registry name; empty to draw the button's text instead.
    ZoomButton(const QString& symbolName, QSize size, QWidget* parent = nullptr);

    void setSymbolName(const QString& name);
    void setLabelFont(const QFont& font);
    bool isHovering() const { return m_hovering; }
    // Opacity of the primary colour behind the label now.
    double fillOpacity() const;

    QSize sizeHint() const override { return m_size; }

    static constexpr double pressedOpacity = 0.16;
    static constexpr double hoverOpacity = 0.09;
    static constexpr qreal cornerRadius = 6;
    static constexpr int hoverFadeMs = 100;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QString m_symbol;
    QSize m_size;
    QFont m_font;
    bool m_hovering = false;
    AnimatedValue* m_hover; // 0 … 1
};
