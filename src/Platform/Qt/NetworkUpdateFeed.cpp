#include "Platform/Qt/NetworkUpdateFeed.h"

#include <QNetworkReply>
#include <QNetworkRequest>

NetworkUpdateFeed::NetworkUpdateFeed(QString userAgent)
    : m_userAgent(std::move(userAgent))
{
}

void NetworkUpdateFeed::fetch(const QUrl& url, std::function<void(const Reply&)> done)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(transferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    QNetworkReply* reply = m_network.get(request);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maxFeedBytes) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        Reply result;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->property("tooLarge").toBool() || reply->bytesAvailable() > maxFeedBytes)
            result.error = QStringLiteral("Antwort größer als %1 Bytes").arg(maxFeedBytes);
        else if (reply->error() == QNetworkReply::OperationCanceledError)
            result.error = QStringLiteral("Zeitüberschreitung");
        else if (reply->error() != QNetworkReply::NoError)
            result.error = reply->errorString();
        else if (status != 0 && (status < 200 || status >= 300))
            result.error = QStringLiteral("HTTP %1").arg(status);
        else
            result.body = reply->readAll();
        done(result);
    });
}
