#include "support/FeedServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <utility>

namespace {
constexpr qint64 piece = 64 * 1024;
// What may wait unsent in a socket before the next piece is made.
constexpr qint64 maxQueued = 4 * piece;
}


void FeedServer::answer(QTcpSocket* socket, const QByteArray& request)
{
    const QByteArray huge = QByteArray::number(hugeBytes);
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n";
    switch (mode) {
    case Mode::canned:
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        m_bytesSent += body.size();
        socket->disconnectFromHost();
        return;
    case Mode::drip:
        socket->write(ok + "Content-Length: 100000\r\n\r\n");
        trickle(socket, QByteArray(100000, ' '));
        return;
    case Mode::slowHeader:
        trickle(socket, ok + "X-Padding: " + QByteArray(100000, 'x') + "\r\n\r\n");
        return;
    case Mode::redirect:
        if (request.startsWith("GET /moved ")) {
            const Mode before = std::exchange(mode, Mode::canned);
            answer(socket, request);
            mode = before;
            return;
        }
        socket->write("HTTP/1.1 302 Found\r\nLocation: " + redirectTo + "\r\nContent-Length: " + huge + "\r\n\r\n");
        break;
    case Mode::hugeDeclared:
        socket->write(ok + "Content-Length: " + huge + "\r\n\r\n");
        break;
    case Mode::hugeUndeclared:
        socket->write(ok + "Connection: close\r\n\r\n");
        break;
    case Mode::hugeHeader:
        socket->write("HTTP/1.1 200 OK\r\nX-Padding: ");
        break;
    case Mode::hugeChunked:
        socket->write(ok + "Transfer-Encoding: chunked\r\n\r\n");
        break;
    }
    // The rest of the modes: a body (or header line) of hugeBytes.
    pump(socket, hugeBytes, mode == Mode::hugeChunked);
}

// Writes the next pieces of a generated body whenever the socket has room.
void FeedServer::pump(QTcpSocket* socket, qint64 total, bool chunked)
{
    static const QByteArray filler(piece, 'x');
    auto left = std::make_shared<qint64>(total);
    auto refill = [this, socket, left, chunked] {
        while (*left > 0 && socket->bytesToWrite() < maxQueued && socket->state() == QAbstractSocket::ConnectedState) {
            const qint64 n = std::min(*left, piece);
            if (chunked)
                socket->write(QByteArray::number(n, 16) + "\r\n");
            socket->write(filler.left(n));
            if (chunked)
                socket->write("\r\n");
            *left -= n;
            m_bytesSent += n;
        }
        if (*left == 0 && socket->bytesToWrite() == 0) {
            if (chunked)
                socket->write("0\r\n\r\n");
            socket->disconnectFromHost();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}

// Sends the text one byte a second.
void FeedServer::trickle(QTcpSocket* socket, QByteArray text)
{
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [this, socket, timer, text, at = qsizetype(0)]() mutable {
        if (at >= text.size()) {
            timer->stop();
            return;
        }
        socket->write(text.mid(at++, 1));
        ++m_bytesSent;
    });
    timer->start(1000);
}
