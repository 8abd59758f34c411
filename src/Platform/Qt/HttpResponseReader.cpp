#include "Platform/Qt/HttpResponseReader.h"

#include <QRegularExpression>

#include <utility>

namespace {

QString unreadable(const char* part)
{
    return QStringLiteral("HTTP-Antwort unlesbar (%1)").arg(QLatin1String(part));
}

QString tooLarge(qint64 maxBytes)
{
    return QStringLiteral("Antwort größer als %1 Bytes").arg(maxBytes);
}

// Where the head ends (the index after its blank line), -1 while it goes on;
// lines may end in CRLF or LF alone.
qsizetype headEnd(const QByteArray& head, qsizetype searchFrom)
{
    for (qsizetype i = std::max<qsizetype>(searchFrom, 0); i < head.size(); ++i) {
        if (head.at(i) != '\n')
            continue;
        if (i >= 1 && head.at(i - 1) == '\n')
            return i + 1;
        if (i >= 2 && head.at(i - 1) == '\r' && head.at(i - 2) == '\n')
            return i + 1;
    }
    return -1;
}

bool allDigits(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

HttpResponseReader::HttpResponseReader(Limits limits)
    : m_limits(limits)
{
}

HttpResponseReader::State HttpResponseReader::fail(const QString& error)
{
    if (m_state != State::failed)
        m_error = error;
    m_state = State::failed;
    m_pending.clear();
    m_body.clear();
    return m_state;
}

QByteArray HttpResponseReader::header(QByteArrayView name) const
{
    // Repeated fields count as one list, as HTTP defines them.
    QByteArrayList values;
    for (const auto& [field, value] : m_fields)
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            values << value;
    return values.join(", ");
}

HttpResponseReader::State HttpResponseReader::take(QByteArrayView bytes)
{
    switch (m_state) {
    case State::header: {
        const qsizetype searchFrom = m_head.size() - 2;
        m_head.append(bytes);
        const qsizetype end = headEnd(m_head, searchFrom);
        if (end < 0) {
            if (m_head.size() > m_limits.maxHeaderBytes)
                return fail(QStringLiteral("Antwortkopf größer als %1 Bytes").arg(m_limits.maxHeaderBytes));
            return m_state;
        }
        if (end > m_limits.maxHeaderBytes)
            return fail(QStringLiteral("Antwortkopf größer als %1 Bytes").arg(m_limits.maxHeaderBytes));
        QByteArray rest = m_head.mid(end);
        if (!parseHead(QByteArrayView(m_head).first(end)))
            return m_state;
        if (m_status < 200) {
            // An interim answer ("100 Continue"): the real one follows.
            m_head.clear();
            m_fields.clear();
            return take(rest);
        }
        m_head.clear();
        m_pending = std::move(rest);
        m_state = State::headerDone;
        return m_state;
    }
    case State::headerDone:
        if (m_pending.size() + bytes.size() > m_limits.maxBodyBytes)
            return fail(tooLarge(m_limits.maxBodyBytes));
        m_pending.append(bytes);
        return m_state;
    case State::body:
        return consumeBody(bytes);
    case State::complete:
    case State::failed:
        return m_state;
    }
    return m_state;
}

bool HttpResponseReader::parseHead(QByteArrayView head)
{
    QList<QByteArray> lines = head.toByteArray().split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    static const QRegularExpression statusLine(QStringLiteral("^HTTP/1\\.[01] ([1-5]\\d\\d)(?: .*)?$"));
    const QRegularExpressionMatch m = statusLine.match(QString::fromLatin1(lines.value(0)));
    if (!m.hasMatch() || m.captured(1) == QLatin1String("101")) {
        fail(unreadable("Statuszeile"));
        return false;
    }
    m_status = m.captured(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(std::max<qsizetype>(colon, 0));
        if (colon <= 0 || name.contains(' ') || name.contains('\t')) {
            fail(unreadable("Kopfzeile"));
            return false;
        }
        m_fields.append({name, line.sliced(colon + 1).trimmed()});
    }
    return true;
}

HttpResponseReader::State HttpResponseReader::readBody()
{
    if (m_state != State::headerDone)
        return m_state;
    const QByteArray encoding = header("Transfer-Encoding").trimmed().toLower();
    const QByteArray length = header("Content-Length");
    if (m_status == 204 || m_status == 304) {
        m_framing = Framing::none;
    } else if (!encoding.isEmpty()) {
        if (encoding != "chunked")
            return fail(unreadable("Transfer-Encoding"));
        m_framing = Framing::chunked;
    } else if (!length.isEmpty()) {
        // One value, or the same one repeated in a list.
        QByteArray first;
        for (const QByteArray& part : length.split(',')) {
            const QByteArray value = part.trimmed();
            if (!allDigits(value) || (!first.isEmpty() && value != first))
                return fail(unreadable("Content-Length"));
            first = value;
        }
        m_length = first.toLongLong();
        if (m_length > m_limits.maxBodyBytes)
            return fail(tooLarge(m_limits.maxBodyBytes));
        m_framing = Framing::length;
    } else {
        m_framing = Framing::untilClose;
    }
    // Room for the whole body at once: no copies while it grows. Pages the
    // body never reaches are never touched, so they cost no memory.
    if (m_framing != Framing::none)
        m_body.reserve(m_framing == Framing::length ? m_length : m_limits.maxBodyBytes);
    m_state = State::body;
    if (m_framing == Framing::none || (m_framing == Framing::length && m_length == 0))
        m_state = State::complete;
    return consumeBody(std::exchange(m_pending, {}));
}

bool HttpResponseReader::appendBody(QByteArrayView bytes)
{
    if (m_body.size() + bytes.size() > m_limits.maxBodyBytes) {
        fail(tooLarge(m_limits.maxBodyBytes));
        return false;
    }
    m_body.append(bytes);
    return true;
}

bool HttpResponseReader::takeLine(QByteArrayView& bytes)
{
    const qsizetype newline = bytes.indexOf('\n');
    const QByteArrayView part = newline < 0 ? bytes : bytes.first(newline + 1);
    bytes = bytes.sliced(part.size());
    m_line.append(part);
    if (m_line.size() > maxChunkLineBytes) {
        fail(unreadable("Chunk"));
        return false;
    }
    return newline >= 0;
}

HttpResponseReader::State HttpResponseReader::consumeBody(QByteArrayView bytes)
{
    if (m_state != State::body)
        return m_state;
    switch (m_framing) {
    case Framing::none:
        m_state = State::complete;
        return m_state;
    case Framing::length: {
        const QByteArrayView wanted = bytes.first(std::min<qsizetype>(bytes.size(), m_length - m_body.size()));
        if (!appendBody(wanted))
            return m_state;
        if (m_body.size() == m_length)
            m_state = State::complete;
        return m_state;
    }
    case Framing::untilClose:
        appendBody(bytes);
        return m_state;
    case Framing::chunked:
        while (m_state == State::body && !bytes.isEmpty()) {
            if (m_chunkStep == ChunkStep::data) {
                const QByteArrayView piece = bytes.first(std::min<qsizetype>(bytes.size(), m_chunkLeft));
                if (!appendBody(piece))
                    return m_state;
                bytes = bytes.sliced(piece.size());
                m_chunkLeft -= piece.size();
                if (m_chunkLeft == 0)
                    m_chunkStep = ChunkStep::dataEnd;
                continue;
            }
            if (!takeLine(bytes))
                return m_state;
            const QByteArray line = std::exchange(m_line, {}).trimmed();
            if (m_chunkStep == ChunkStep::dataEnd) {
                if (!line.isEmpty())
                    return fail(unreadable("Chunk"));
                m_chunkStep = ChunkStep::size;
                continue;
            }
            const qsizetype extension = line.indexOf(';');
            const QByteArray size = (extension < 0 ? line : line.left(extension)).trimmed();
            bool ok = !size.isEmpty() && size.size() <= 15;
            const qint64 n = ok ? size.toLongLong(&ok, 16) : 0;
            if (!ok || n < 0)
                return fail(unreadable("Chunk"));
            if (n > m_limits.maxBodyBytes - m_body.size())
                return fail(tooLarge(m_limits.maxBodyBytes));
            if (n == 0) {
                // Trailers, if any, carry nothing a feed needs.
                m_state = State::complete;
                return m_state;
            }
            m_chunkLeft = n;
            m_chunkStep = ChunkStep::data;
        }
        return m_state;
    }
    return m_state;
}

HttpResponseReader::State HttpResponseReader::closed()
{
    if (m_state == State::body && m_framing == Framing::untilClose)
        m_state = State::complete;
    else if (m_state == State::header || m_state == State::headerDone || m_state == State::body)
        fail(QStringLiteral("Verbindung vor dem Ende der Antwort geschlossen"));
    return m_state;
}
