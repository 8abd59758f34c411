#pragma once
#include "Platform/ImageFileDialogs.h"

// Qt's file dialogs.
class QtImageFileDialogs final : public ImageFileDialogs {
public:
    void chooseSaveLocation(const QString& folder, const QString& suggestedName,
                            std::function<void(const std::optional<QString>&)> done) override;
    std::optional<QString> chooseImageToOpen(QWidget* parent, const QString& folder, const QString& acceptLabel,
                                             const QString& filterLabel) override;
};
