#pragma once
#include "Platform/FolderChooser.h"

#include <QStringList>

// Answers with a scripted folder (nothing = the user cancels) and records how
// it was asked.
class FakeFolderChooser final : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString& startFolder,
                                        const QString& acceptLabel) override
    {
        startFolders << startFolder;
        acceptLabels << acceptLabel;
        return answer;
    }

    std::optional<QString> answer;
    QStringList startFolders;
    QStringList acceptLabels;
};
