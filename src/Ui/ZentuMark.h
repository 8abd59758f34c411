#pragma once
// The product name drawn as one styled run: "Zentu" in the caller's font and
// the surrounding text colour, a heavy dot in the brand red, "it" in the
// secondary colour. The three pieces are fixed and never translated.
#include <QFont>
#include <QString>

class QWidget;

// Rich text for a QLabel (or any QTextDocument). "Zentu" carries no colour, so
// the label's own text colour applies to it alone. The secondary colour of
// "it" is taken from styleSource's palette (the application's without one).
QString zentuMark(const QFont& font, qreal dotPixelSize, const QWidget* styleSource = nullptr);
