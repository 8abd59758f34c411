#pragma once
// "vor 5 Min." / "5 min. ago": the abbreviated time since a date, in the
// language of the interface, from ICU's relative-date data.
#include <QDateTime>
#include <QString>

namespace RelativeTimeFormatter {
// The time from now back to date (or ahead to it), in the largest whole unit
// that fits: seconds, minutes, hours, days, weeks, months, years.
QString abbreviated(const QDateTime& date, const QDateTime& now, const QString& languageCode);
// How long from now until the text for a date in the past changes (its number
// grows or it moves to the next unit), in milliseconds.
qint64 msUntilChange(const QDateTime& date, const QDateTime& now);
} // namespace RelativeTimeFormatter
