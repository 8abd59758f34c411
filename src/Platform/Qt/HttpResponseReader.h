#pragma once
// Reads one HTTP/1.x answer from the bytes as they arrive, within limits: a
// head larger than maxHeaderBytes, a declared or chunked body larger than
// maxBodyBytes, and a body that grows past it are refused as soon as that is
// known, before anything more is kept. The head is reported on its own
// (headerDone), so that the caller can act on the status, a redirect say,
// without reading any of the body.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

class HttpResponseReader {
public:
    struct Limits {
        qint64 maxHeaderBytes;
        qint64 maxBodyBytes;
    };
    enum class State { header, headerDone, body, complete, failed };

    explicit HttpResponseReader(Limits limits);

    // The next bytes of the answer. After headerDone, bytes are kept back
    // until readBody() is called.
    State take(QByteArrayView bytes);
    // Continues after headerDone with the body, as the head frames it.
    State readBody();
    // The connection was closed: the end of a body without declared length.
    State closed();

    State state() const { return m_state; }
    int status() const { return m_status; }
    // The value of a header field (name in any case; repeated fields joined
    // with ", "), empty when absent.
    QByteArray header(QByteArrayView name) const;
    QByteArray takeBody() { return std::exchange(m_body, {}); }
    QString error() const { return m_error; }

    static constexpr qint64 maxChunkLineBytes = 1024;

private:
    enum class Framing { none, length, chunked, untilClose };
    enum class ChunkStep { size, data, dataEnd };

    State fail(const QString& error);
    bool parseHead(QByteArrayView head);
    State consumeBody(QByteArrayView bytes);
    bool appendBody(QByteArrayView bytes);
    // Collects one line of a chunked body; true once it is complete.
    bool takeLine(QByteArrayView& bytes);

    Limits m_limits;
    State m_state = State::header;
    QByteArray m_head;
    QByteArray m_pending; // bytes after the head, before readBody()
    int m_status = 0;
    QList<std::pair<QByteArray, QByteArray>> m_fields;
    Framing m_framing = Framing::none;
    qint64 m_length = 0;
    ChunkStep m_chunkStep = ChunkStep::size;
    qint64 m_chunkLeft = 0;
    QByteArray m_line;
    QByteArray m_body;
    QString m_error;
};
