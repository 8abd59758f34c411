#pragma once
#include "Platform/UpdateFeed.h"

#include <QList>

// Answers each fetch with the scripted reply, or keeps it open for the test.
class FakeUpdateFeed final : public UpdateFeed {
public:
    void fetch(const QUrl& url, std::function<void(const Reply&)> done) override
    {
        fetched << url;
        if (holdReplies)
            pending << std::move(done);
        else
            done(reply);
    }

    Reply reply{QByteArray(), QStringLiteral("nicht erreichbar")};
    bool holdReplies = false;
    QList<QUrl> fetched;
    QList<std::function<void(const Reply&)>> pending;
};
