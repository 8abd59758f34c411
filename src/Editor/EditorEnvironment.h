#pragma once
// What an editor's model and the collaborators that work on it need from the
// rest of the program, handed to their constructors so they stay free of
// widgets and process-wide state. The program hands in HistoryEditorEnvironment
// (or the app's AppEditorEnvironment); tests hand in a fake.
#include "Models/AnnotationObject.h"
#include "Models/ScreenshotItem.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>

class OCRService;
class ProcessLauncher;
class QObject;
class Workspace;

class EditorEnvironment {
public:
    virtual ~EditorEnvironment() = default;

    // The size a text takes when the renderer sets it: widest line by the
    // line height times the number of lines. No font name = the system font.
    virtual QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName) const = 0;

    // Write-back into the screenshot history entry that `item` names; an
    // entry that is gone is left alone. The picture never carries the
    // annotations: they are stored beside it. Without a history (measuring
    // only) nothing is written.
    virtual void updateAnnotations(const QList<AnnotationObject>&, const ScreenshotItem&) {}
    virtual void updateImage(const QImage&, const QList<AnnotationObject>&, const ScreenshotItem&) {}

    // --- Results out and pictures in --------------------------------------
    // What the app does with the flattened picture or a recognised text. An
    // editor without the app around it (measuring, tests of other parts) does
    // nothing with them.
    virtual void copyImage(const QImage&) {}
    virtual void copyText(const QString&) {}
    // A file as file managers paste it, with its path as text.
    virtual void copyFile(const QString&) {}
    virtual void saveImage(const QImage&, const QString& /*suggestedName*/) {}
    virtual void pinImage(const QImage&) {}
    // What the clipboard holds, handed to `done` on the calling thread (at
    // once or later, never after `context` is gone): its picture (null when
    // none) and its text.
    virtual void readClipboard(QObject* /*context*/,
                               std::function<void(const QImage&, const std::optional<QString>&)> done)
    {
        done({}, std::nullopt);
    }
    // A picture file the user chooses to insert; none when cancelled.
    virtual std::optional<QString> chooseImageFile() { return std::nullopt; }
    // The folder for pictures handed to other programs; the app empties it
    // when it starts and when it quits. Empty when there is none.
    virtual QString shareFolder() { return {}; }
    // Text recognition off the main thread; none where the app has none.
    virtual OCRService* textRecognition() { return nullptr; }
    // The desktop's default applications and file manager, and starting
    // programs, for the share menu; none without the app around the editor.
    virtual Workspace* workspace() { return nullptr; }
    virtual ProcessLauncher* launcher() { return nullptr; }
};
