#pragma once
// An update feed server on loopback for the update check's tests: it answers
// every request with a canned feed, or in one of the ways a broken or hostile
// server answers. Large bodies are generated as the client reads them, never
// held: at most a few pieces wait in the socket.
#include <QByteArray>
#include "support/LoopbackServer.h"

#include <QUrl>

class QTcpSocket;

class FeedServer : public LoopbackServer {
public:
    enum class Mode {
        canned,         // status and body, with their length
        drip,           // the headers, then the body one byte a second
        slowHeader,     // the headers one byte a second
        hugeDeclared,   // hugeBytes of body, announced by Content-Length
        hugeUndeclared, // hugeBytes of body, ended by closing the connection
        hugeChunked,    // hugeBytes of body in chunked transfer encoding
        redirect,       // a redirect to redirectTo with a huge body of its own; /moved answers as canned
        hugeHeader,     // a header line of hugeBytes, as fast as it is read
    };


    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort())); }
    // Generated or canned bytes handed to sockets so far, over all connections.
    qint64 bytesSent() const { return m_bytesSent; }

    Mode mode = Mode::canned;
    QByteArray status = "200 OK";
    QByteArray body;
    qint64 hugeBytes = 3LL * 1024 * 1024 * 1024;
    QByteArray redirectTo = "/moved";

private:
    void answer(QTcpSocket* socket, const QByteArray& request) override;
    void pump(QTcpSocket* socket, qint64 total, bool chunked);
    void trickle(QTcpSocket* socket, QByteArray text);

    qint64 m_bytesSent = 0;
};
