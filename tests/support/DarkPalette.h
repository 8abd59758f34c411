#pragma once
// A dark palette as a desktop's dark theme hands it to Qt: light text on dark
// windows, a bright accent.
#include <QPalette>

inline QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(40, 40, 42));
    p.setColor(QPalette::WindowText, QColor(235, 235, 235));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::Text, QColor(235, 235, 235));
    p.setColor(QPalette::Button, QColor(55, 55, 58));
    p.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}
