#include "Platform/Qt/QtImageFileDialogs.h"

#include "Text/ButtonText.h"

#include <QFileDialog>
#include <QImageReader>
#include <QPointer>

void QtImageFileDialogs::chooseSaveLocation(const QString& folder, const QString& suggestedName,
                                            std::function<void(const std::optional<QString>&)> done)
{
    auto* dialog = new QFileDialog(nullptr, QString(), folder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PNG (*.png)"));
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(suggestedName);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty())
            done(files.first());
        else
            done(std::nullopt);
    });
    // No parent: the dialog is a window of its own and blocks nothing.
    dialog->open();
}

std::optional<QString> QtImageFileDialogs::chooseImageToOpen(QWidget* parent, const QString& folder,
                                                             const QString& acceptLabel, const QString& filterLabel)
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    QFileDialog dialog(parent, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filterLabel + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    dialog.setLabelText(QFileDialog::Accept, ButtonText::escaped(acceptLabel));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}
