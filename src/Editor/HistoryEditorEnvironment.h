#pragma once
// What an editor window of the running program uses: the renderer's text
// metrics and the screenshot history it writes back to.
#include "Editor/EditorEnvironment.h"

class ScreenshotHistoryStore;

class HistoryEditorEnvironment final : public EditorEnvironment {
public:
    explicit HistoryEditorEnvironment(ScreenshotHistoryStore& store) : m_store(store) {}

    QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName) const override;
    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item) override;
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                     const ScreenshotItem& item) override;

private:
    ScreenshotHistoryStore& m_store;
};
