#include "MenuBar/SectionHeader.h"

#include "Ui/Theme.h"

SectionHeader::SectionHeader(const QString& title, QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(title.toUpper());
    QFont f = Theme::font(10, QFont::DemiBold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Theme::secondary(this));
    setPalette(p);
}
