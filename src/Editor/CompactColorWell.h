#pragma once
// A small colour chip for a style colour (fill, badge, number, highlight).
// A click opens a popover with the palette, an opacity slider and a button
// that hands the colour to the program's colour panel. The well shows the
// colour it is given and reports each change the user makes; the caller
// writes it to the model, which gives it back.
#include "Models/CoreTypes.h"
#include "Ui/Popover.h"

#include <QAbstractButton>
#include <QPointer>

class ColorPanelController;
class QLabel;
class QSlider;
class SwatchButton;
class HoverRowButton;

class CompactColorWell : public QAbstractButton {
    Q_OBJECT
public:
    explicit CompactColorWell(ColorPanelController& panel, QWidget* parent = nullptr);
    ~CompactColorWell() override;

    const RGBAColor& color() const { return m_color; }
    // From the model: no change is reported.
    void setColor(const RGBAColor& color);

    bool isPopoverOpen() const;
    Popover* popover() const { return m_popover; }
    // The popover's controls, once it has been opened.
    const QList<SwatchButton*>& swatches() const { return m_swatches; }

    // The opacity as the popover writes it: a whole percentage, cut toward zero.
    static QString percentText(double alpha);
    // The chip's look: the colour over a checkerboard, rounded, with a faint border.
    static void paintChip(QPainter& p, const QRectF& rect, const QColor& color, const QWidget* widget);

    static constexpr int chipWidth = 24;
    static constexpr int chipHeight = 18;
    static constexpr int popoverWidth = 210;
    static constexpr int sliderSteps = 1000;

Q_SIGNALS:
    // A palette swatch, the opacity slider or the colour panel changed the colour.
    void colorEdited(const RGBAColor& color);

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

private:
    void togglePopover();
    QWidget* buildContent();
    void edit(const RGBAColor& color);
    void syncContent();

    ColorPanelController& m_panel;
    RGBAColor m_color;
    QPointer<Popover> m_popover;
    QList<SwatchButton*> m_swatches;
    QSlider* m_opacity = nullptr;
    QLabel* m_percent = nullptr;
    HoverRowButton* m_more = nullptr;
};
