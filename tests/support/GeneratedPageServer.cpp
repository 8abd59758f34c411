#include "support/GeneratedPageServer.h"

#include "helpers/CodedRows.h"
#include "support/GeneratedPage.h"

#include <QBuffer>
#include <QPainter>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

namespace {

// A picture of grey shapes (greys never read as marks), different for every code.
QByteArray picture(int width, int height, int code)
{
    QImage image(qBound(1, width, 2000), qBound(1, height, 2000), QImage::Format_RGB32);
    QRandomGenerator r(quint32(code) * 7919u + 17u);
    image.fill(QColor::fromRgb(qRgb(120, 120, 120)));
    QPainter p(&image);
    for (int i = 0; i < 24; ++i) {
        const int g = 40 + int(r.bounded(180));
        p.fillRect(int(r.bounded(quint32(image.width()))), int(r.bounded(quint32(image.height()))),
                   8 + int(r.bounded(120)), 4 + int(r.bounded(60)), QColor(g, g, g));
    }
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace


QUrl GeneratedPageServer::pageUrl(quint32 seed) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/page/%2").arg(serverPort()).arg(seed));
}

QUrl GeneratedPageServer::calibrationUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/calibration").arg(serverPort()));
}

void GeneratedPageServer::navigate(const QUrl& url)
{
    m_next = url;
    m_loaded.clear();
}

QString GeneratedPageServer::script() const
{
    return QStringLiteral(
        "<script>setInterval(function(){fetch('/next').then(function(r){return r.text();}).then(function(u){"
        "if(u)location.href=u;}).catch(function(){});},250);window.addEventListener('load',function(){"
        "document.fonts.ready.then(function(){fetch('/loaded'+location.pathname);});});</script>");
}

void GeneratedPageServer::reply(QTcpSocket* socket, const QByteArray& type, const QByteArray& body)
{
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size())
                  + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void GeneratedPageServer::answer(QTcpSocket* socket, const QByteArray& request)
{
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QUrl url(QString::fromLatin1(line.value(1)));
    const QStringList path = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString first = path.value(0);
    if (first == QLatin1String("next")) {
        const QByteArray to = m_next.toEncoded();
        m_next.clear();
        reply(socket, "text/plain", to);
    } else if (first == QLatin1String("loaded")) {
        m_loaded = QLatin1Char('/') + path.mid(1).join(QLatin1Char('/'));
        reply(socket, "text/plain", "ok");
    } else if (first == QLatin1String("page") && path.size() == 2) {
        const GeneratedPage page(path[1].toUInt());
        reply(socket, "text/html; charset=utf-8", page.html(QStringLiteral("/img"), script()));
    } else if (first == QLatin1String("calibration")) {
        const QColor c = CodedRows::colour(calibrationCode);
        reply(socket, "text/html; charset=utf-8",
              QStringLiteral("<!doctype html><html><head><title>Kalibrierung</title></head>"
                             "<body style=\"margin:0;background:rgb(%1,%2,%3)\">%4</body></html>")
                  .arg(c.red())
                  .arg(c.green())
                  .arg(c.blue())
                  .arg(script())
                  .toUtf8());
    } else if (first == QLatin1String("img") && path.size() == 4) {
        const int delay = QUrlQuery(url).queryItemValue(QStringLiteral("ms")).toInt();
        const QByteArray png = picture(path[1].toInt(), path[2].toInt(), path[3].toInt());
        QTimer::singleShot(qBound(0, delay, 10000), socket, [this, socket = QPointer<QTcpSocket>(socket), png] {
            if (socket)
                reply(socket, "image/png", png);
        });
    } else {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    }
}
