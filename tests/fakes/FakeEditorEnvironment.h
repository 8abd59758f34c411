#pragma once
// Text metrics without fonts: every character half the font size wide, every
// line 1.25 font sizes high, so tests know sizes exactly. Write-backs are
// recorded in order.
#include "Editor/EditorEnvironment.h"

#include <QPair>
#include <QStringList>
#include <algorithm>

class FakeEditorEnvironment final : public EditorEnvironment {
public:
    QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>&) const override
    {
        const QStringList lines = text.split(QLatin1Char('\n'));
        qsizetype widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, line.isEmpty() ? qsizetype(1) : line.size());
        return {0.5 * fontSize * double(widest), 1.25 * fontSize * double(lines.size())};
    }

    struct WriteBack {
        QUuid item;
        QList<AnnotationObject> annotations;
        QImage image; // null for an annotations-only write
    };
    QList<WriteBack> writeBacks;

    void updateAnnotations(const QList<AnnotationObject>& annotations, const ScreenshotItem& item) override
    {
        writeBacks.append({item.id, annotations, {}});
    }
    void updateImage(const QImage& image, const QList<AnnotationObject>& annotations,
                     const ScreenshotItem& item) override
    {
        writeBacks.append({item.id, annotations, image});
    }

    // What left the editor, and what the clipboard, the file chooser, the
    // share folder and text recognition offer it.
    QList<QImage> copiedImages;
    QStringList copiedTexts;
    QStringList copiedFiles;
    QList<QPair<QImage, QString>> saved; // picture, suggested name
    QList<QImage> pinned;
    QImage clipboardImage;
    std::optional<QString> clipboardText;
    std::optional<QString> chosenFile;
    QString sharedFolder;
    OCRService* ocr = nullptr;
    Workspace* desktop = nullptr;
    ProcessLauncher* programs = nullptr;

    void copyImage(const QImage& image) override { copiedImages.append(image); }
    void copyText(const QString& text) override { copiedTexts.append(text); }
    void copyFile(const QString& path) override { copiedFiles.append(path); }
    void saveImage(const QImage& image, const QString& name) override { saved.append({image, name}); }
    void pinImage(const QImage& image) override { pinned.append(image); }
    void readClipboard(QObject*, std::function<void(const QImage&, const std::optional<QString>&)> done) override
    {
        done(clipboardImage, clipboardText);
    }
    std::optional<QString> chooseImageFile() override { return chosenFile; }
    QString shareFolder() override { return sharedFolder; }
    OCRService* textRecognition() override { return ocr; }
    Workspace* workspace() override { return desktop; }
    ProcessLauncher* launcher() override { return programs; }
};
