#pragma once
#include "Platform/UpdateFeed.h"

#include <QNetworkAccessManager>

// The update feed over HTTP(S) with Qt Network, each fetch a FeedDownload
// under these limits: one deadline for the whole request, a cap on the feed's
// size, small reads, and few redirects, each only towards an equally safe
// address.
class NetworkUpdateFeed final : public UpdateFeed {
public:
    explicit NetworkUpdateFeed(QString userAgent);

    void fetch(const QUrl& url, std::function<void(const Reply&)> done) override;

    static constexpr int deadlineMs = 20000;
    static constexpr qint64 maxFeedBytes = 2 * 1024 * 1024;
    // What Qt Network may buffer of a body before it is read.
    static constexpr qint64 readPieceBytes = 64 * 1024;
    static constexpr int maxRedirects = 10;

private:
    QNetworkAccessManager m_network;
    QString m_userAgent;
};
