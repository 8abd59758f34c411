#include "Updates/Appcast.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {

// Elements and attributes of the sparkle namespace, whatever its prefix.
bool isSparkle(QStringView namespaceUri, QStringView name, const char* wanted)
{
    return !namespaceUri.isEmpty() && name == QLatin1String(wanted);
}

bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

struct Item {
    QString version;
    QString shortVersion;
    QString enclosureUrl;
    QString link;
};

std::optional<AppcastRelease> release(const Item& item)
{
    AppcastRelease r;
    r.version = Appcast::parseVersion(item.version);
    if (r.version.isNull())
        return std::nullopt;
    r.displayVersion = Appcast::oneLine(item.shortVersion.trimmed().isEmpty() ? item.version : item.shortVersion,
                                        Appcast::maxDisplayVersionChars);
    for (const QString& candidate : {item.enclosureUrl, item.link}) {
        const QUrl url(candidate.trimmed(), QUrl::StrictMode);
        if (isWebAddress(url)) {
            r.downloadUrl = url;
            return r;
        }
    }
    return std::nullopt;
}

} // namespace

namespace Appcast {

QVersionNumber parseVersion(const QString& text)
{
    return QVersionNumber::fromString(text.trimmed());
}

QString oneLine(const QString& text, qsizetype maxChars)
{
    QString line;
    for (const QChar c : text.simplified()) {
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            line += c;
    }
    if (line.size() <= maxChars)
        return line;
    qsizetype keep = std::max<qsizetype>(maxChars - 1, 0);
    if (keep > 0 && line.at(keep - 1).isHighSurrogate())
        --keep;
    return line.left(keep) + QChar(0x2026);
}

std::optional<AppcastRelease> newestRelease(const QByteArray& feed, QString* error)
{
    QXmlStreamReader xml(feed);
    std::optional<AppcastRelease> newest;
    std::optional<Item> item;
    bool sawRss = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (xml.namespaceUri().isEmpty() && name == QLatin1String("rss")) {
                sawRss = true;
            } else if (xml.namespaceUri().isEmpty() && name == QLatin1String("item")) {
                item = Item{};
            } else if (item && xml.namespaceUri().isEmpty() && name == QLatin1String("enclosure")) {
                for (const QXmlStreamAttribute& a : xml.attributes()) {
                    if (a.namespaceUri().isEmpty() && a.name() == QLatin1String("url"))
                        item->enclosureUrl = a.value().toString();
                    else if (isSparkle(a.namespaceUri(), a.name(), "version") && item->version.isEmpty())
                        item->version = a.value().toString();
                    else if (isSparkle(a.namespaceUri(), a.name(), "shortVersionString") && item->shortVersion.isEmpty())
                        item->shortVersion = a.value().toString();
                }
            } else if (item && isSparkle(xml.namespaceUri(), name, "version")) {
                item->version = xml.readElementText();
            } else if (item && isSparkle(xml.namespaceUri(), name, "shortVersionString")) {
                item->shortVersion = xml.readElementText();
            } else if (item && xml.namespaceUri().isEmpty() && name == QLatin1String("link")) {
                item->link = xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement && item && xml.namespaceUri().isEmpty()
                   && xml.name() == QLatin1String("item")) {
            if (const auto r = release(*item); r && (!newest || r->version > newest->version))
                newest = r;
            item.reset();
        }
    }
    if (xml.hasError()) {
        if (error)
            *error = QStringLiteral("kein lesbares XML (Zeile %1): %2").arg(xml.lineNumber()).arg(xml.errorString());
        return std::nullopt;
    }
    if (!sawRss) {
        if (error)
            *error = QStringLiteral("kein RSS-Feed");
        return std::nullopt;
    }
    if (!newest && error)
        *error = QStringLiteral("kein Eintrag mit Version und Download-Adresse");
    return newest;
}

} // namespace Appcast
