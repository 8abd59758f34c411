#pragma once
// One fetch of the update feed. One deadline covers the whole request
// (connecting, every redirect and the body). Redirects are followed here, as
// soon as their headers arrive, so that no redirect's body is ever read; only
// to http(s), never from https to http, and only a few times. Of the final
// answer at most maxBytes are kept: a larger declared length is refused before
// any of the body is read, and reading stops as soon as the bytes received
// pass the cap; Qt holds no more than readPieceBytes of it meanwhile.
#include "Platform/UpdateFeed.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

class FeedDownload : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int deadlineMs;
        qint64 maxBytes;
        qint64 readPieceBytes;
        int maxRedirects;
    };

    // Deletes itself once done has run; dropped unanswered with the network.
    FeedDownload(QNetworkAccessManager& network, QString userAgent, Limits limits,
                 std::function<void(const UpdateFeed::Reply&)> done);

    void start(const QUrl& url);

private:
    void get(const QUrl& url);
    void headersArrived();
    void readBody();
    void replyFinished(QNetworkReply* reply);
    void giveUp(const QString& error);
    void finish(UpdateFeed::Reply reply);

    QNetworkAccessManager& m_network;
    QString m_userAgent;
    Limits m_limits;
    std::function<void(const UpdateFeed::Reply&)> m_done;
    QTimer m_deadline;
    QPointer<QNetworkReply> m_reply;
    QUrl m_redirect; // where to go once the current reply has ended
    int m_redirects = 0;
    QByteArray m_body;
    QString m_error;
};
