#pragma once
// What an editor's model needs from the rest of the program, handed to its
// constructor so the model stays free of widgets and process-wide state. The
// editor window implements it; tests hand in a fake. Later collaborators
// (pasteboard, history store, coordinator actions) join here.
#include <QSizeF>
#include <QString>
#include <optional>

class EditorEnvironment {
public:
    virtual ~EditorEnvironment() = default;

    // The size a text takes when the renderer sets it: widest line by the
    // line height times the number of lines. No font name = the system font.
    virtual QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName) const = 0;
};
