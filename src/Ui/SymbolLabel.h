#pragma once
// A symbol followed by a text, in one colour (the text colour when none is
// given): "Erlaubt" with its check mark, a status line with its sign.
#include <QColor>
#include <QWidget>

class QLabel;

class SymbolLabel : public QWidget {
    Q_OBJECT
public:
    SymbolLabel(const QString& symbolName, const QString& text, const QFont& font, QWidget* parent = nullptr);

    void setSymbol(const QString& symbolName);
    void setText(const QString& text);
    // Text and symbol in the colour.
    void setColor(const QColor& color);
    // Only the symbol in the colour; the text keeps the label colour.
    void setIconColor(const QColor& color);
    QString text() const;
    QColor color() const { return m_color; }
    QColor iconColor() const { return m_iconColor.isValid() ? m_iconColor : m_color; }
    QLabel* textLabel() const { return m_text; }

private:
    void refreshIcon();

    QString m_symbol;
    QColor m_color;
    QColor m_iconColor;
    QLabel* m_icon;
    QLabel* m_text;
};
