#include "Ui/ToolbarDivider.h"

#include "Ui/Theme.h"

#include <QPainter>

ToolbarDivider::ToolbarDivider(int height, QWidget* parent) : QWidget(parent)
{
    setFixedSize(1, height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ToolbarDivider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Theme::primary(0.15, this));
}
