#pragma once
// How the toolbar's option controls print their values: whole numbers cut
// toward zero ("4 px" for 4.7), percentages and the loupe's "2.2×".
#include <QString>

namespace OptionValueText {

// The value cut toward zero, as a whole number ("43" for 43.9, "-2" for -2.5).
QString whole(double value);
// The whole number, a blank and the unit ("4 px").
QString withUnit(double value, const QString& unit);
// A fraction of one as a whole percentage ("50%" for 0.5).
QString percent(double fraction);
// One decimal and the multiplication sign ("2.2×").
QString magnification(double zoom);

} // namespace OptionValueText
