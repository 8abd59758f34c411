#pragma once
// The file dialogs for pictures: choosing where a PNG is saved, and choosing
// a picture file to open. The caller's texts are already translated.
#include <QString>
#include <functional>
#include <optional>

class QWidget;

class ImageFileDialogs {
public:
    virtual ~ImageFileDialogs() = default;

    // A save dialog for one PNG, opened in `folder` with `suggestedName`,
    // new folders allowed, belonging to no window. Returns at once; `done`
    // gets the chosen path (ending in ".png"), or nothing when cancelled.
    virtual void chooseSaveLocation(const QString& folder, const QString& suggestedName,
                                    std::function<void(const std::optional<QString>&)> done) = 0;
    // A modal open dialog over `parent` for one picture file in a format the
    // app reads, starting in `folder`, its confirm button labelled
    // `acceptLabel`, the file type list named `filterLabel`. The chosen path,
    // or nothing when cancelled.
    virtual std::optional<QString> chooseImageToOpen(QWidget* parent, const QString& folder,
                                                     const QString& acceptLabel, const QString& filterLabel) = 0;
};
