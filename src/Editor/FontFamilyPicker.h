#pragma once
// The text font's family chip: opens a list of "System" and every installed
// font family, each name set in its own face, with the current one ticked and
// scrolled to the middle. A choice goes to the model and closes the list.
#include "Editor/ToolbarChip.h"

#include <QStringList>
#include <optional>

class EditorPopoverFlags;
class EditorViewModel;
class Popover;
class QListWidget;

class FontFamilyPicker : public ToolbarChip {
    Q_OBJECT
public:
    FontFamilyPicker(EditorViewModel& vm, EditorPopoverFlags& flags, QWidget* parent = nullptr);

    // The installed families (fontconfig), sorted by plain string order.
    // Read once per run: a font installed later shows after a restart.
    static const QStringList& fontFamilies();

    Popover* popover() const { return m_popover; }
    // The family a row stands for; none for "System" (and the divider).
    static std::optional<QString> rowValue(QListWidget* list, int row);
    // The font a row's name is written in: the family itself, or the
    // interface's font for a symbol font (which would draw its name as
    // symbols) and one that lacks a letter of its name.
    static QFont rowFont(const QString& family);

    static constexpr int listWidth = 240;
    static constexpr int listHeight = 320;
    static constexpr qreal rowFontPx = 13;

private:
    void open();
    void buildList();
    void choose(int row);
    void refresh();

    EditorViewModel& m_vm;
    EditorPopoverFlags& m_flags;
    Popover* m_popover;
    QListWidget* m_list = nullptr;
};
