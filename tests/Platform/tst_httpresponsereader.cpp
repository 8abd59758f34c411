// The update feed's HTTP reader on answers as servers frame them, given whole
// and one byte at a time: every framing HTTP/1.1 allows is read whole, and
// malformed, truncated or oversized answers fail with their reason.
#include "Platform/Qt/HttpResponseReader.h"
#include "support/IsolatedEnvironment.h"

#include <QTest>

namespace {

using State = HttpResponseReader::State;

struct Outcome {
    State state;
    QByteArray body;
    QString error;
};

// Reads the answer in pieces of the given size, reading the body whatever the
// status, then tells of the closed connection.
Outcome read(const QByteArray& answer, qsizetype piece, qint64 maxBody = 64)
{
    HttpResponseReader reader({256, maxBody});
    for (qsizetype at = 0; at < answer.size() && reader.state() != State::failed && reader.state() != State::complete;
         at += piece) {
        if (reader.take(QByteArrayView(answer).sliced(at, std::min(piece, answer.size() - at))) == State::headerDone)
            reader.readBody();
    }
    reader.closed();
    return {reader.state(), reader.takeBody(), reader.error()};
}

} // namespace

class TestHttpResponseReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");   // when read whole
        QTest::addColumn<QString>("error");     // else the reason
        const QString unreadable = QStringLiteral("HTTP-Antwort unlesbar (%1)");
        QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfeed!trailing") << QByteArray("feed!") << QString();
        QTest::newRow("same length twice") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 4, 4\r\n\r\nfeed") << QByteArray("feed") << QString();
        QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n3;x=y\r\nfee\r\n"
                                               "A\r\nd-and-more\r\n0\r\nTrailer: t\r\n\r\n")
                                 << QByteArray("feed-and-more") << QString();
        QTest::newRow("until close, LF only") << QByteArray("HTTP/1.0 200 OK\nServer: x\n\n<rss/>") << QByteArray("<rss/>") << QString();
        QTest::newRow("interim answer first") << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
                                              << QByteArray("ok") << QString();
        QTest::newRow("no body") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << QByteArray() << QString();

        QTest::newRow("status line") << QByteArray("ICY 200 OK\r\n\r\nx") << QByteArray() << unreadable.arg("Statuszeile");
        QTest::newRow("header line") << QByteArray("HTTP/1.1 200 OK\r\nNo colon\r\n\r\n") << QByteArray() << unreadable.arg("Kopfzeile");
        QTest::newRow("two lengths") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\nfeed!")
                                     << QByteArray() << unreadable.arg("Content-Length");
        QTest::newRow("length list") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 4, 5\r\n\r\nfeed!") << QByteArray()
                                     << unreadable.arg("Content-Length");
        QTest::newRow("negative length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n") << QByteArray()
                                         << unreadable.arg("Content-Length");
        QTest::newRow("gzip transfer") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n") << QByteArray()
                                       << unreadable.arg("Transfer-Encoding");
        QTest::newRow("chunk size") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n") << QByteArray()
                                    << unreadable.arg("Chunk");
        QTest::newRow("chunk end") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n") << QByteArray()
                                   << unreadable.arg("Chunk");
        QTest::newRow("huge chunk") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffffff\r\n")
                                    << QByteArray() << unreadable.arg("Chunk");
        QTest::newRow("chunk over cap") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n41\r\n") << QByteArray()
                                        << QStringLiteral("Antwort größer als 64 Bytes");
        QTest::newRow("declared over cap") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 3221225472\r\n\r\n") << QByteArray()
                                           << QStringLiteral("Antwort größer als 64 Bytes");
        QTest::newRow("grows over cap") << QByteArray("HTTP/1.1 200 OK\r\n\r\n" + QByteArray(65, 'x')) << QByteArray()
                                        << QStringLiteral("Antwort größer als 64 Bytes");
        QTest::newRow("head over cap") << QByteArray("HTTP/1.1 200 OK\r\nX: " + QByteArray(300, 'x')) << QByteArray()
                                       << QStringLiteral("Antwortkopf größer als 256 Bytes");
        QTest::newRow("cut short") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nfeed") << QByteArray()
                                   << QStringLiteral("Verbindung vor dem Ende der Antwort geschlossen");
        QTest::newRow("no head") << QByteArray("HTTP/1.1 200 OK\r\n") << QByteArray()
                                 << QStringLiteral("Verbindung vor dem Ende der Antwort geschlossen");
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        QFETCH(QString, error);
        for (const qsizetype piece : {answer.size(), qsizetype(1)}) {
            const Outcome got = read(answer, piece);
            QCOMPARE(got.error, error);
            QCOMPARE(got.state, error.isEmpty() ? State::complete : State::failed);
            QCOMPARE(got.body, body);
        }
    }
};

ZENTU_TEST_MAIN(TestHttpResponseReader)
#include "tst_httpresponsereader.moc"
