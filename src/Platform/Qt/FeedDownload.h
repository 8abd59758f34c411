#pragma once
// One fetch of the update feed over a socket of its own (TLS for https, with
// Qt's certificate and host name checks), read with HttpResponseReader. One
// deadline covers the whole request: connecting, every redirect and the body.
// Redirects are followed as soon as their head arrives, so no redirect's body
// is ever read; only to http(s), never from https to http, and only a few
// times. The socket holds at most readPieceBytes unread, so a sender is held
// back by TCP instead of filling memory, and giving up closes the connection
// at once.
#include "Platform/Qt/HttpResponseReader.h"
#include "Platform/UpdateFeed.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <optional>

class QTcpSocket;

class FeedDownload : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int deadlineMs;
        qint64 maxBytes;
        qint64 maxHeaderBytes;
        qint64 readPieceBytes;
        int maxRedirects;
    };

    // Deletes itself once done has run; dropped unanswered with its parent.
    FeedDownload(QString userAgent, Limits limits, std::function<void(const UpdateFeed::Reply&)> done,
                 QObject* parent);
    ~FeedDownload() override;

    void start(const QUrl& url);

private:
    void connectTo(const QUrl& url);
    void sendRequest();
    void readAvailable();
    void headArrived();
    void connectionClosed();
    void afterReading();
    void giveUp(const QString& error);
    void finish(UpdateFeed::Reply reply);
    void dropSocket();

    QString m_userAgent;
    Limits m_limits;
    std::function<void(const UpdateFeed::Reply&)> m_done;
    QTimer m_deadline;
    QPointer<QTcpSocket> m_socket;
    QUrl m_url;
    std::optional<HttpResponseReader> m_reader;
    int m_redirects = 0;
};
