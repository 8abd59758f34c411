#pragma once
// The update feed's format: an RSS channel whose items each describe one
// release, with the release's version in a sparkle:version element or in the
// sparkle:version attribute of its enclosure (the download), a display version
// in sparkle:shortVersionString, and the download address in the enclosure's
// url (else the item's link).
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVersionNumber>
#include <optional>

struct AppcastRelease {
    QVersionNumber version;
    QString displayVersion;
    QUrl downloadUrl;
};

namespace Appcast {
// The newest release of the feed that carries a readable version and a web
// (http or https) download address; nothing, with *error set, when the feed is
// not readable RSS or lists no such release.
std::optional<AppcastRelease> newestRelease(const QByteArray& feed, QString* error);
// A version text as the feed and the program write it ("1.2", "1.10.3");
// null when it holds no number.
QVersionNumber parseVersion(const QString& text);
// A text from the feed as one short line for the user: white space folded,
// control and direction-changing characters dropped, cut to maxChars
// characters with an ellipsis.
QString oneLine(const QString& text, qsizetype maxChars);
// The longest display version shown.
inline constexpr qsizetype maxDisplayVersionChars = 40;
}
