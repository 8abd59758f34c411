#pragma once
// One colour swatch: an 18-point circle of the colour with a faint rim, and
// a 2-point accent ring just outside it while it is the current colour. The
// button reserves the ring's room around the circle.
#include "Models/CoreTypes.h"

#include <QAbstractButton>

class SwatchButton : public QAbstractButton {
    Q_OBJECT
public:
    // title: the help text and accessible name, already translated.
    SwatchButton(const RGBAColor& color, const QString& title, QWidget* parent = nullptr);

    const RGBAColor& color() const { return m_color; }
    void setTitle(const QString& title);
    void setRinged(bool ringed);
    bool isRinged() const { return m_ringed; }

    static constexpr int circleSide = 18;
    static constexpr int ringRoom = 2; // on each side, so neighbours' rings never touch
    static constexpr int side = circleSide + 2 * ringRoom;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    RGBAColor m_color;
    bool m_ringed = false;
};
