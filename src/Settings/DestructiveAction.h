#pragma once
// Destructive actions of the settings window never act at once: their button
// (drawn in red) asks first, with the title, a line saying what will be lost,
// the destructive choice and "Abbrechen".
#include <QString>

class Alerts;
class QPushButton;

namespace DestructiveAction {

// A push button in the destructive colour, named by its text.
QPushButton* button(const QString& text, const QString& symbolName = {});
// True only when the destructive choice was taken (Return, Escape and closing cancel).
bool confirm(Alerts& alerts, const QString& title, const QString& message, const QString& action);

} // namespace DestructiveAction
