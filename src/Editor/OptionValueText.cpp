#include "Editor/OptionValueText.h"

#include <cmath>

namespace OptionValueText {

QString whole(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // A hair of slack toward the value's sign, so that a value stored as
    // 28.999999… (0.29 × 100) reads 29 and not 28.
    const double cut = std::trunc(value + std::copysign(1e-9, value));
    return QString::number(qint64(cut));
}

QString withUnit(double value, const QString& unit) { return whole(value) + QLatin1Char(' ') + unit; }

QString percent(double fraction) { return whole(fraction * 100.0) + QLatin1Char('%'); }

QString magnification(double zoom) { return QString::number(zoom, 'f', 1) + QChar(0x00D7); }

} // namespace OptionValueText
