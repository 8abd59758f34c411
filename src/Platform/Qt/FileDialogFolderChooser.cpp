#include "Platform/Qt/FileDialogFolderChooser.h"

#include "Text/ButtonText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
// The dialog falls back to the working folder for a path that does not exist
// (yet): start in the closest folder that does.
QString existingAncestor(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    return path.isEmpty() ? QDir::homePath() : path;
}
} // namespace

std::optional<QString> FileDialogFolderChooser::chooseFolder(QWidget* parent, const QString& title,
                                                             const QString& startFolder, const QString& acceptLabel)
{
    QFileDialog dialog(parent, title, existingAncestor(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::Accept, ButtonText::escaped(acceptLabel));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(chosen.first());
}
