#include "Platform/Qt/FeedDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int statusOf(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QString tooLarge(qint64 maxBytes)
{
    return QStringLiteral("Antwort größer als %1 Bytes").arg(maxBytes);
}

bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

} // namespace

FeedDownload::FeedDownload(QNetworkAccessManager& network, QString userAgent, Limits limits,
                           std::function<void(const UpdateFeed::Reply&)> done)
    : QObject(&network)
    , m_network(network)
    , m_userAgent(std::move(userAgent))
    , m_limits(limits)
    , m_done(std::move(done))
{
    // Qt's transfer timeout only measures silence, which a server sending a
    // byte now and then never lets pass: the deadline counts from the start.
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] { giveUp(QStringLiteral("Zeitüberschreitung")); });
}

void FeedDownload::start(const QUrl& url)
{
    m_deadline.start(m_limits.deadlineMs);
    get(url);
}

void FeedDownload::get(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    // The cap counts the bytes that arrive: no transparent decompression of a
    // small answer into a huge one.
    request.setRawHeader("Accept-Encoding", "identity");
    // HTTP/1.1, on which the limits were measured; a feed gains nothing from HTTP/2.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    QNetworkReply* reply = m_network.get(request);
    reply->setReadBufferSize(m_limits.readPieceBytes);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &FeedDownload::headersArrived);
    connect(reply, &QNetworkReply::readyRead, this, &FeedDownload::readBody);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
}

void FeedDownload::headersArrived()
{
    if (!m_error.isEmpty() || !m_reply)
        return;
    if (isRedirect(statusOf(m_reply))) {
        const QUrl from = m_reply->url();
        // Relative or absolute; Qt's parsed header takes absolute ones only.
        const QUrl location = QUrl::fromEncoded(m_reply->rawHeader("Location").trimmed(), QUrl::StrictMode);
        const QUrl to = from.resolved(location);
        if (++m_redirects > m_limits.maxRedirects) {
            giveUp(QStringLiteral("zu viele Weiterleitungen"));
        } else if (location.isEmpty() || !isWebAddress(to)
                   || (from.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https"))) {
            giveUp(QStringLiteral("Weiterleitung nach %1 abgelehnt").arg(QString::fromLatin1(to.toEncoded())));
        } else {
            // Its body is of no use: on to the new address at once.
            m_redirect = to;
            m_reply->abort();
        }
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        giveUp(tooLarge(m_limits.maxBytes));
}

void FeedDownload::readBody()
{
    while (m_error.isEmpty() && m_redirect.isEmpty() && m_reply && m_reply->bytesAvailable() > 0) {
        m_body += m_reply->read(m_limits.maxBytes + 1 - m_body.size());
        if (m_body.size() > m_limits.maxBytes)
            giveUp(tooLarge(m_limits.maxBytes));
    }
}

void FeedDownload::replyFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    if (!m_error.isEmpty()) {
        finish({{}, m_error});
        return;
    }
    if (!m_redirect.isEmpty()) {
        get(std::exchange(m_redirect, QUrl()));
        return;
    }
    readBody();
    if (!m_error.isEmpty())
        finish({{}, m_error});
    else if (reply->error() != QNetworkReply::NoError)
        finish({{}, reply->errorString()});
    else if (const int status = statusOf(reply); status != 0 && (status < 200 || status >= 300))
        finish({{}, QStringLiteral("HTTP %1").arg(status)});
    else
        finish({std::exchange(m_body, {}), {}});
}

void FeedDownload::giveUp(const QString& error)
{
    if (m_error.isEmpty())
        m_error = error;
    // Ends in replyFinished, which reports the error.
    if (m_reply)
        m_reply->abort();
}

void FeedDownload::finish(UpdateFeed::Reply reply)
{
    m_deadline.stop();
    m_reply = nullptr;
    deleteLater();
    if (const auto done = std::exchange(m_done, {}))
        done(reply);
}
