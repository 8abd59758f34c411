#pragma once
// What an editor's model needs from the rest of the program, handed to its
// constructor so the model stays free of widgets and process-wide state. The
// program hands in HistoryEditorEnvironment; tests hand in a fake. Later
// collaborators (pasteboard, coordinator actions) join here.
#include "Models/AnnotationObject.h"
#include "Models/ScreenshotItem.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <optional>

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
};
