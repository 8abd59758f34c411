#include "Platform/Qt/NetworkUpdateFeed.h"

#include "Platform/Qt/FeedDownload.h"

NetworkUpdateFeed::NetworkUpdateFeed(QString userAgent)
    : m_userAgent(std::move(userAgent))
{
}

void NetworkUpdateFeed::fetch(const QUrl& url, std::function<void(const Reply&)> done)
{
    auto* download = new FeedDownload(m_network, m_userAgent, {deadlineMs, maxFeedBytes, readPieceBytes, maxRedirects},
                                      std::move(done));
    download->start(url);
}
