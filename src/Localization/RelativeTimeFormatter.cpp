#include "Localization/RelativeTimeFormatter.h"

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <cmath>

namespace RelativeTimeFormatter {

namespace {
struct Step {
    double size; // seconds
    URelativeDateTimeUnit unit;
};
// Largest first; below the last one the text counts seconds.
constexpr Step steps[] = {
    {365.0 * 86400, UDAT_REL_UNIT_YEAR}, {30.0 * 86400, UDAT_REL_UNIT_MONTH}, {7.0 * 86400, UDAT_REL_UNIT_WEEK},
    {86400, UDAT_REL_UNIT_DAY},          {3600, UDAT_REL_UNIT_HOUR},          {60, UDAT_REL_UNIT_MINUTE},
};
} // namespace

qint64 msUntilChange(const QDateTime& date, const QDateTime& now)
{
    const qint64 age = qMax<qint64>(0, date.msecsTo(now));
    qint64 unit = 1000;
    for (const Step& s : steps)
        if (age >= qint64(s.size) * 1000) {
            unit = qint64(s.size) * 1000;
            break;
        }
    return unit - age % unit;
}

QString abbreviated(const QDateTime& date, const QDateTime& now, const QString& languageCode)
{
    const double seconds = double(now.msecsTo(date)) / 1000.0; // negative: in the past
    const double magnitude = std::fabs(seconds);
    double value = std::trunc(magnitude);
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    for (const Step& s : steps)
        if (magnitude >= s.size) {
            value = std::trunc(magnitude / s.size);
            unit = s.unit;
            break;
        }
    const double offset = seconds < 0 ? -value : value;

    UErrorCode status = U_ZERO_ERROR;
    const QByteArray locale = (languageCode.isEmpty() ? QStringLiteral("en") : languageCode).toLatin1();
    icu::RelativeDateTimeFormatter formatter(icu::Locale(locale.constData()), nullptr, UDAT_STYLE_SHORT,
                                             UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status))
        return QString();
    icu::UnicodeString out;
    formatter.formatNumeric(offset, unit, out, status);
    if (U_FAILURE(status))
        return QString();
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
}

} // namespace RelativeTimeFormatter
