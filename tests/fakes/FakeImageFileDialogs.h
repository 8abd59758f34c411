#pragma once
#include "Platform/ImageFileDialogs.h"

#include <QStringList>

// Answers with scripted paths (nothing = the user cancels) and records how it
// was asked. The save dialog answers at once unless `holdSave` is set; then
// `answerSave()` finishes it.
class FakeImageFileDialogs final : public ImageFileDialogs {
public:
    void chooseSaveLocation(const QString& folder, const QString& suggestedName,
                            std::function<void(const std::optional<QString>&)> done) override
    {
        saveFolders << folder;
        suggestedNames << suggestedName;
        pendingSave = std::move(done);
        if (!holdSave)
            answerSave(saveAnswer);
    }
    // The user cancels.
    std::optional<QString> chooseImageToOpen(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    void answerSave(const std::optional<QString>& path)
    {
        if (auto done = std::exchange(pendingSave, nullptr))
            done(path);
    }

    std::optional<QString> saveAnswer;
    bool holdSave = false;
    std::function<void(const std::optional<QString>&)> pendingSave;
    QStringList saveFolders, suggestedNames;
};
