#pragma once
#include "Platform/UpdateFeed.h"

#include <QObject>

// The update feed over HTTP(S) with Qt Network's sockets, each fetch a
// FeedDownload under these limits: one deadline for the whole request, caps
// on the answer's head and on the feed, small reads, and few redirects, each
// only towards an equally safe address. (Qt's QNetworkAccessManager reads a
// head of any length and keeps reading it after an abort, so it is not used.)
class NetworkUpdateFeed final : public UpdateFeed {
public:
    explicit NetworkUpdateFeed(QString userAgent);

    void fetch(const QUrl& url, std::function<void(const Reply&)> done) override;

    static constexpr int deadlineMs = 20000;
    static constexpr qint64 maxFeedBytes = 2 * 1024 * 1024;
    static constexpr qint64 maxHeaderBytes = 64 * 1024;
    // What the socket may hold unread.
    static constexpr qint64 readPieceBytes = 64 * 1024;
    static constexpr int maxRedirects = 10;

private:
    QString m_userAgent;
    QObject m_downloads; // parent of the running fetches, which end with it
};
