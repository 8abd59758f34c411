#pragma once
// Fetches the update feed (an appcast) from its address.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

class UpdateFeed {
public:
    struct Reply {
        QByteArray body;
        QString error; // empty when the body arrived whole
    };
    virtual ~UpdateFeed() = default;
    // Starts one fetch; done runs once on the main thread, also on failure.
    virtual void fetch(const QUrl& url, std::function<void(const Reply&)> done) = 0;
};
