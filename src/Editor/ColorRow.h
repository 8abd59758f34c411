#pragma once
// The colour controls of the toolbar's first row: the first palette colours
// as swatches, a palette chip holding the ones the row has no room for, and a
// well that opens the colour panel for any other colour. Every choice goes to
// the model's setColor, which sets the default for new annotations and
// recolours the selection in one undo step.
#include "Models/CoreTypes.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

class ColorPanelController;
class DelayScheduler;
class EditorViewModel;
class HoverExpandGroup;
class QHBoxLayout;
class SwatchButton;

// The well at the end of the row that hands the current colour to the colour panel.
class ColorPanelWell : public QAbstractButton {
    Q_OBJECT
public:
    ColorPanelWell(EditorViewModel& vm, ColorPanelController& panel, QWidget* parent = nullptr);
    void retranslate();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    EditorViewModel& m_vm;
};

class ColorRow : public QWidget {
    Q_OBJECT
public:
    ColorRow(EditorViewModel& vm, ColorPanelController& panel, DelayScheduler& scheduler, QWidget* parent = nullptr);

    // How many palette colours stand in the row itself (8, 4 or 0); the rest
    // go into the palette chip.
    void setInlineCount(int count);

    // Exactly the current colour, component by component, without tolerance.
    static bool isSelectedColor(const RGBAColor& color, const RGBAColor& current);

    const QList<SwatchButton*>& inlineSwatches() const { return m_inline; }
    // The swatches inside the palette chip, once it has opened.
    const QList<SwatchButton*>& chipSwatches() const { return m_inChip; }

protected:
    void changeEvent(QEvent* e) override;

private:
    void rebuild();
    void refreshRings();
    void retranslate();
    SwatchButton* makeSwatch(const RGBAColor& color, QWidget* parent, std::function<void()> after);

    EditorViewModel& m_vm;
    ColorPanelController& m_panel;
    DelayScheduler& m_scheduler;
    int m_inlineCount = -1;
    QHBoxLayout* m_layout;
    QList<SwatchButton*> m_inline;
    QList<SwatchButton*> m_inChip;
    HoverExpandGroup* m_chip = nullptr;
    ColorPanelWell* m_well = nullptr;
};
