#pragma once
// Text from elsewhere shown as written. The explicit direction controls
// (embeddings, overrides, isolates and their ends) reorder the characters
// around them: a right-to-left override makes "Rechnung<RLO>fdp.exe" read
// "Rechnungexe.pdf". Shown text replaces each of them with its short name in
// brackets, so what is seen is what is there.
#include <QString>

namespace BidiControls {
// The text with every explicit direction control replaced by its name
// ("[RLO]"); the same text when it holds none.
QString revealed(const QString& text);
}
