#pragma once
// The fonts of text annotations, speech bubbles and badges. Sizes are in
// pixels of whatever the text is painted on, whatever that device's dpi.
#include <QFont>
#include <QPaintDevice>
#include <QString>
#include <optional>

class AnnotationFont {
public:
    // A named font: a family of that name in its regular face, or a full name
    // ("Family Style") in that style. Without a name, or with one that is not
    // installed, the application's font in semibold.
    static QFont resolve(const std::optional<QString>& name, double pixelSize, const QPaintDevice& device);
    // The application's font in bold, for badge numbers.
    static QFont bold(double pixelSize, const QPaintDevice& device);
    // A device of fixed resolution for measuring text away from any painter.
    static const QPaintDevice& measuringDevice();
};
