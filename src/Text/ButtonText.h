#pragma once
// Qt reads a single "&" in the text of a button, a menu entry or a tab as the
// mark of its Alt shortcut: it hides the character and underlines the next
// one. Our texts (and their translations) mean the character itself, as in
// "Verschieben & neu starten", so every such text goes through escaped().
#include <QString>

namespace ButtonText {

// The text for QAbstractButton::setText, QAction, QMenu titles and tabs: "&"
// doubled, so it shows as written and makes no shortcut.
QString escaped(const QString& text);
// What Qt shows for a button text: "&&" as "&", a lone "&" dropped. For
// buttons that paint their own text().
QString shown(const QString& text);

} // namespace ButtonText
