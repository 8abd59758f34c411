#pragma once
// Lets the user pick a folder in a modal dialog.
#include <QString>
#include <optional>

class QWidget;

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Runs modally over parent, opened at startFolder (or its nearest existing
    // parent), with acceptLabel on the confirm button. Folders only, one at a
    // time, new folders may be made. The chosen folder's path, or nothing when
    // the user cancels.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& startFolder,
                                                const QString& acceptLabel) = 0;
};
