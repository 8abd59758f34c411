#pragma once
// What an editor window of the running app uses: the screenshot history it
// writes back to, where its results go (copied, saved, pinned, shared,
// read as text), the clipboard it pastes from and the picture chooser.
#include "Editor/EditorEnvironment.h"
#include "Editor/HistoryEditorEnvironment.h"

class AppFolders;
class ClipboardService;
class ImageFileDialogs;
class PinnedImages;
class ResultActions;
class ScreenshotHistoryStore;
class ShareFolder;

class AppEditorEnvironment final : public EditorEnvironment {
public:
    struct Services {
        ScreenshotHistoryStore& history;
        // Copies and saves.
        ResultActions& results;
        PinnedImages& pinned;
        OCRService& textRecognition;
        ShareFolder& shareFolder;
        ClipboardService& clipboard;
        ImageFileDialogs& dialogs;
        // The user's pictures folder, where the picture chooser opens.
        const AppFolders& folders;
        Workspace& workspace;
        ProcessLauncher& launcher;
    };
    explicit AppEditorEnvironment(Services services);

    QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName) const override;
    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item) override;
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                     const ScreenshotItem& item) override;

    void copyImage(const QImage& image) override;
    void copyText(const QString& text) override;
    void copyFile(const QString& path) override;
    void saveImage(const QImage& image, const QString& suggestedName) override;
    void pinImage(const QImage& image) override;
    void readClipboard(QObject* context,
                       std::function<void(const QImage&, const std::optional<QString>&)> done) override;
    std::optional<QString> chooseImageFile() override;
    QString shareFolder() override;
    OCRService* textRecognition() override;
    Workspace* workspace() override;
    ProcessLauncher* launcher() override;

private:
    Services m_services;
    HistoryEditorEnvironment m_history;
};
