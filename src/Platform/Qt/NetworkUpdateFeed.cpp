#include "Platform/Qt/NetworkUpdateFeed.h"

#include "Platform/Qt/FeedDownload.h"

NetworkUpdateFeed::NetworkUpdateFeed(QString userAgent)
    : m_userAgent(std::move(userAgent))
{
}

void NetworkUpdateFeed::fetch(const QUrl& url, std::function<void(const Reply&)> done)
{
    auto* download = new FeedDownload(m_userAgent, {deadlineMs, maxFeedBytes, maxHeaderBytes, readPieceBytes, maxRedirects},
                                      std::move(done), &m_downloads);
    download->start(url);
}
