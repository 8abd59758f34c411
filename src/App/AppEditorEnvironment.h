#pragma once
// What an editor window of the running app uses: the screenshot history it
// writes back to, and the coordinator's services for its results (copy,
// save, pin, share folder, text recognition), the clipboard it pastes from
// and the picture chooser.
#include "Editor/EditorEnvironment.h"
#include "Editor/HistoryEditorEnvironment.h"

class AppCoordinator;

class AppEditorEnvironment final : public EditorEnvironment {
public:
    explicit AppEditorEnvironment(AppCoordinator& coordinator);

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
    AppCoordinator& m_coordinator;
    HistoryEditorEnvironment m_history;
};
