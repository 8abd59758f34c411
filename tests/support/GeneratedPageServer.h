#pragma once
// Serves generated pages (GeneratedPage) to a real browser on loopback, so
// that one browser can show seed after seed: every page asks the server
// every quarter second where to go next, and reports when it has loaded.
// Its images come late, after the delay the page asks for, as a server under
// load sends them. A calibration page of one colour shows where a browser's
// view lies on the screen.
#include <QHash>
#include "support/LoopbackServer.h"

#include <QUrl>

class QTcpSocket;

class GeneratedPageServer : public LoopbackServer {
public:
    QUrl pageUrl(quint32 seed) const;
    QUrl calibrationUrl() const;
    // The colour (a CodedRows code) that fills the calibration page.
    static constexpr int calibrationCode = 3300;

    // The page a browser shows goes to `url` at its next question.
    void navigate(const QUrl& url);
    // The last page that reported itself loaded: its path, empty before.
    QString loaded() const { return m_loaded; }

private:
    void answer(QTcpSocket* socket, const QByteArray& request) override;
    void reply(QTcpSocket* socket, const QByteArray& type, const QByteArray& body);
    QString script() const;

    QUrl m_next;
    QString m_loaded;
};
