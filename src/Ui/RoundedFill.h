#pragma once
// A plain widget on a rounded background of one colour, asked for at every
// paint so that it follows the palette.
#include <QColor>
#include <QWidget>
#include <functional>

class RoundedFill : public QWidget {
public:
    using Colour = std::function<QColor(const QWidget*)>;
    RoundedFill(qreal radius, Colour colour, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    qreal m_radius;
    Colour m_colour;
};
