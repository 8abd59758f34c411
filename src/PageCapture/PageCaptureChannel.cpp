#include "PageCapture/PageCaptureChannel.h"

#include <cerrno>
#include <unistd.h>

using namespace PageCaptureWire;

PageCaptureChannel::PageCaptureChannel(int input, int output)
    : m_input(input)
    , m_output(output)
{
}

bool PageCaptureChannel::readExactly(char* into, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::read(m_input, into, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        size -= n;
    }
    return true;
}

std::optional<Header> PageCaptureChannel::readHeader()
{
    char bytes[headerSize];
    if (!readExactly(bytes, headerSize))
        return std::nullopt;
    return parseHeader(bytes);
}

std::optional<Request> PageCaptureChannel::readRequest()
{
    const std::optional<Header> h = readHeader();
    if (!h || h->type != Type::request)
        return std::nullopt;
    QByteArray payload(qsizetype(h->length), Qt::Uninitialized);
    if (!readExactly(payload.data(), payload.size()))
        return std::nullopt;
    return decodeRequest(payload);
}

bool PageCaptureChannel::mayGoOn()
{
    write(header(Type::ask, 0));
    const std::optional<Header> h = readHeader();
    return h && h->type == Type::proceed && h->length == 0;
}

void PageCaptureChannel::write(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_output, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(3); // the app is gone: nobody wants the result
        data += n;
        size -= n;
    }
}

void PageCaptureChannel::log(const QString& line)
{
    write(message(Type::log, line.toUtf8()));
}

void PageCaptureChannel::alive()
{
    write(header(Type::alive, 0));
}

void PageCaptureChannel::sendProgress(int done, int heightPx)
{
    write(message(Type::progress, encode(Progress{quint32(qMax(0, done)), quint32(qMax(0, heightPx))})));
}

void PageCaptureChannel::sendImage(const QImage& image, bool incomplete)
{
    if (incomplete)
        write(header(Type::incomplete, 0));
    // Rows of a 32-bit QImage lie back to back: one write of the whole buffer.
    const ImageHeader description = describe(image);
    write(header(Type::image, imageHeaderSize + quint64(image.sizeInBytes())));
    write(encode(description));
    write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

void PageCaptureChannel::sendStopped()
{
    write(header(Type::stopped, 0));
}

void PageCaptureChannel::sendError(const QString& message)
{
    write(PageCaptureWire::message(Type::error, message.toUtf8()));
}
