#pragma once
// FolderChooser through Qt's own file dialog (not a desktop portal, which
// would ignore the confirm button's label).
#include "Platform/FolderChooser.h"

class FileDialogFolderChooser final : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& startFolder,
                                        const QString& acceptLabel) override;
};
