#pragma once
#include "Platform/UpdateFeed.h"

#include <QNetworkAccessManager>

// The update feed over HTTP(S) with Qt Network: redirects are followed only
// towards equally safe addresses, a transfer that stalls is given up, and a
// reply larger than any feed is refused.
class NetworkUpdateFeed final : public UpdateFeed {
public:
    explicit NetworkUpdateFeed(QString userAgent);

    void fetch(const QUrl& url, std::function<void(const Reply&)> done) override;

    static constexpr int transferTimeoutMs = 20000;
    static constexpr qint64 maxFeedBytes = 2 * 1024 * 1024;

private:
    QNetworkAccessManager m_network;
    QString m_userAgent;
};
