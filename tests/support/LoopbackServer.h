#pragma once
// A small HTTP server on loopback for the tests: it takes each connection's
// request head as it arrives and hands it to the subclass once complete.
#include <QByteArray>
#include <QTcpServer>

class QTcpSocket;

class LoopbackServer : public QTcpServer {
public:
    LoopbackServer();

protected:
    // The request head (request line and headers) of one connection.
    virtual void answer(QTcpSocket* socket, const QByteArray& request) = 0;
};
