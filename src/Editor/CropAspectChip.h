#pragma once
// The crop tool's aspect chip: shows the current aspect preset and opens a
// menu of the seven presets under it. Choosing one reshapes a crop draft
// through the crop tool and closes the menu; the chip itself only ever opens it.
#include "Editor/ToolbarChip.h"

#include <QPointer>

class CropTool;
class EditorViewModel;
class Popover;

class CropAspectChip : public ToolbarChip {
    Q_OBJECT
public:
    CropAspectChip(const EditorViewModel& vm, CropTool& crop, QWidget* parent = nullptr);

    // The preset menu is showing.
    bool isMenuOpen() const;
    // The menu's rows, in preset order (for keyboard access and tests).
    QList<QAbstractButton*> menuRows() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    void openMenu();
    void refresh();

    const EditorViewModel& m_vm;
    CropTool& m_crop;
    QPointer<Popover> m_menu;
};
