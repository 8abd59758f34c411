#pragma once
// A plain widget on a rounded background of one colour, asked for at every
// paint so that it follows the palette.
#include <QColor>
#include <QWidget>
#include <functional>

class QPainter;

class RoundedFill : public QWidget {
public:
    using Colour = std::function<QColor(const QWidget*)>;
    RoundedFill(qreal radius, Colour colour, QWidget* parent = nullptr);

    // Fills a rounded rectangle, antialiased, for controls that draw such a field themselves.
    static void paint(QPainter& p, const QRectF& rect, qreal radius, const QColor& colour);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    qreal m_radius;
    Colour m_colour;
};
