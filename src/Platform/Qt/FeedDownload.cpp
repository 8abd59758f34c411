#include "Platform/Qt/FeedDownload.h"

#include <QSslSocket>
#include <QTcpSocket>

#include <utility>

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

} // namespace

FeedDownload::FeedDownload(QString userAgent, Limits limits, std::function<void(const UpdateFeed::Reply&)> done,
                           QObject* parent)
    : QObject(parent)
    , m_userAgent(std::move(userAgent))
    , m_limits(limits)
    , m_done(std::move(done))
{
    // A transfer timeout only measures silence, which a server sending a byte
    // now and then never lets pass: the deadline counts from the start.
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] { giveUp(QStringLiteral("Zeitüberschreitung")); });
}

FeedDownload::~FeedDownload()
{
    dropSocket();
}

void FeedDownload::start(const QUrl& url)
{
    m_deadline.start(m_limits.deadlineMs);
    connectTo(url);
}

void FeedDownload::connectTo(const QUrl& url)
{
    dropSocket();
    if (!isWebAddress(url)) {
        giveUp(QStringLiteral("keine Web-Adresse: %1").arg(QString::fromLatin1(url.toEncoded())));
        return;
    }
    m_url = url;
    m_reader.emplace(HttpResponseReader::Limits{m_limits.maxHeaderBytes, m_limits.maxBytes});
    const bool tls = url.scheme() == QLatin1String("https");
    QTcpSocket* socket = tls ? new QSslSocket(this) : new QTcpSocket(this);
    m_socket = socket;
    socket->setReadBufferSize(m_limits.readPieceBytes);
    if (tls)
        connect(static_cast<QSslSocket*>(socket), &QSslSocket::encrypted, this, &FeedDownload::sendRequest);
    else
        connect(socket, &QTcpSocket::connected, this, &FeedDownload::sendRequest);
    connect(socket, &QTcpSocket::readyRead, this, &FeedDownload::readAvailable);
    connect(socket, &QTcpSocket::disconnected, this, &FeedDownload::connectionClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            connectionClosed(); // the end of an answer without length, or too early
        else if (m_socket)
            giveUp(m_socket->errorString());
    });
    const QString host = url.host(QUrl::FullyEncoded);
    if (tls)
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(host, quint16(url.port(443)));
    else
        socket->connectToHost(host, quint16(url.port(80)));
}

void FeedDownload::sendRequest()
{
    QByteArray target = m_url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    QByteArray host = m_url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']'; // an IPv6 address
    if (m_url.port() != -1)
        host += ':' + QByteArray::number(m_url.port());
    m_socket->write("GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: " + m_userAgent.toUtf8()
                    + "\r\nAccept: application/rss+xml, application/xml, text/xml, */*\r\n"
                      // What arrives is what is counted: no compressed body that unpacks into a huge one.
                      "Accept-Encoding: identity\r\nConnection: close\r\n\r\n");
}

void FeedDownload::readAvailable()
{
    while (m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray piece = m_socket->read(m_limits.readPieceBytes);
        const HttpResponseReader::State state = m_reader->take(piece);
        if (state == HttpResponseReader::State::headerDone)
            headArrived();
        else
            afterReading();
    }
}

void FeedDownload::headArrived()
{
    const int status = m_reader->status();
    if (isRedirect(status) && !m_reader->header("Location").isEmpty()) {
        // Relative or absolute; its body is of no use.
        const QUrl location = QUrl::fromEncoded(m_reader->header("Location"), QUrl::StrictMode);
        const QUrl to = m_url.resolved(location);
        if (++m_redirects > m_limits.maxRedirects)
            giveUp(QStringLiteral("zu viele Weiterleitungen"));
        else if (!location.isValid() || !isWebAddress(to)
                 || (m_url.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https")))
            giveUp(QStringLiteral("Weiterleitung nach %1 abgelehnt").arg(QString::fromLatin1(to.toEncoded())));
        else
            connectTo(to);
        return;
    }
    if (status < 200 || status >= 300) {
        giveUp(QStringLiteral("HTTP %1").arg(status));
        return;
    }
    m_reader->readBody();
    afterReading();
}

void FeedDownload::afterReading()
{
    if (m_reader->state() == HttpResponseReader::State::failed)
        giveUp(m_reader->error());
    else if (m_reader->state() == HttpResponseReader::State::complete)
        finish({m_reader->takeBody(), {}});
}

void FeedDownload::connectionClosed()
{
    if (!m_socket || !m_reader)
        return;
    readAvailable();
    if (!m_socket || !m_reader)
        return;
    m_reader->closed();
    afterReading();
}

void FeedDownload::giveUp(const QString& error)
{
    finish({{}, error});
}

void FeedDownload::finish(UpdateFeed::Reply reply)
{
    m_deadline.stop();
    // Closed at once: nothing more is read from a server given up on.
    dropSocket();
    m_reader.reset();
    deleteLater();
    if (const auto done = std::exchange(m_done, {}))
        done(reply);
}

void FeedDownload::dropSocket()
{
    if (QTcpSocket* socket = m_socket.data()) {
        m_socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}
