#include "Ui/SymbolLabel.h"

#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

SymbolLabel::SymbolLabel(const QString& symbolName, const QString& text, const QFont& font, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbolName)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(text, this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    m_text->setFont(font);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 0, Qt::AlignVCenter);
    setAccessibleName(text);
    refreshIcon();
}

QString SymbolLabel::text() const { return m_text->text(); }

void SymbolLabel::setSymbol(const QString& symbolName)
{
    m_symbol = symbolName;
    refreshIcon();
}

void SymbolLabel::setText(const QString& text)
{
    m_text->setText(text);
    setAccessibleName(text);
}

void SymbolLabel::setColor(const QColor& color)
{
    m_color = color;
    m_iconColor = QColor();
    if (color.isValid())
        Theme::setForeground(m_text, color);
    refreshIcon();
}

void SymbolLabel::setIconColor(const QColor& color)
{
    m_iconColor = color;
    refreshIcon();
}

void SymbolLabel::refreshIcon()
{
    const QColor c = iconColor().isValid() ? iconColor() : Theme::primary(this);
    const qreal side = QFontMetricsF(m_text->font()).height();
    m_icon->setPixmap(IconRegistry::pixmap(m_symbol, side, c, devicePixelRatioF()));
    m_icon->setFixedSize(qCeil(side), qCeil(side));
}
