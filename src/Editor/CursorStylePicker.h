#pragma once
// The cursor tool's style chip: shows the current cursor style and opens a
// grid of all sixteen styles (four families of arrow, hand, arrow with click
// and hand with click). A choice goes to the model and closes the grid.
#include "Editor/ToolbarChip.h"

#include <QList>
#include <QStringList>

class EditorPopoverFlags;
class EditorViewModel;
class Popover;

class CursorStylePicker : public ToolbarChip {
    Q_OBJECT
public:
    CursorStylePicker(EditorViewModel& vm, EditorPopoverFlags& flags, QWidget* parent = nullptr);

    // The styles the grid offers, row by row.
    static const QStringList& styles();
    // The display name of a style: its "_"-separated parts, each with a
    // capital first letter, joined by " · " ("Solid · ArrowClick").
    static QString cursorLabel(const QString& style);

    Popover* grid() const { return m_grid; }
    // The grid's cells in style order.
    QList<QAbstractButton*> cells() const;

    static constexpr int cellSide = 44;
    static constexpr int cellSpacing = 8;
    static constexpr qreal cellPicture = 28;
    static constexpr qreal chipPicture = 18;
    static constexpr int chipFrame = 26;

protected:
    void changeEvent(QEvent* e) override;
    QSizeF leadingSize() const override;
    void paintLeading(QPainter& p, const QRectF& box, const QColor& ink) override;

private:
    QWidget* buildGrid();
    void retranslate();

    EditorViewModel& m_vm;
    EditorPopoverFlags& m_flags;
    Popover* m_grid;
};
