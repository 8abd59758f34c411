#pragma once
// The messages between the app and zentu-pagecapture, the helper that renders
// web pages and PDF documents in a process of its own (so the tray app never
// loads a web engine, and a crashing page takes only the helper down).
//
// Every message is a header of nine bytes (payload length as unsigned 64-bit
// big endian, then the type) followed by the payload. The app sends one
// request; the helper asks before every band or page whether to go on, reports
// each one rendered, and ends with exactly one of image, stopped or error. An
// image that lacks content (a page cut at its height limit, a band or page
// that stayed blank) is announced by incomplete just before it. An image's
// payload is its ImageHeader followed by the raw pixel rows.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUrl>
#include <optional>

namespace PageCaptureWire {

enum class Type : quint8 {
    request = 1, // app -> helper: Request
    ask,         // helper -> app: may the next band or page be rendered?
    proceed,     // app -> helper: yes
    stop,        // app -> helper: no, end without an image
    log,         // helper -> app: a line for the debug log (UTF-8)
    alive,       // helper -> app: still working (sent while nothing else is)
    image,       // helper -> app: the result
    stopped,     // helper -> app: ended without an image, as asked
    error,       // helper -> app: the user's message (UTF-8, already translated)
    progress,    // helper -> app: Progress, after each band or page
    incomplete,  // helper -> app: the image that follows lacks content
};

constexpr int headerSize = 9;
// Anything but an image is small; a larger announcement is a broken stream.
constexpr quint64 maxSmallPayload = 1 << 20;

struct Header {
    Type type;
    quint64 length;
};

QByteArray header(Type type, quint64 length);
QByteArray message(Type type, const QByteArray& payload = {});
// Null for an unknown type or an oversized small message.
std::optional<Header> parseHeader(const char (&bytes)[headerSize]);

struct Request {
    enum class Kind { page, document };
    Kind kind = Kind::page;
    QUrl url;     // page
    QString path; // document
    QString language;
};

QByteArray encode(const Request& request);
std::optional<Request> decodeRequest(const QByteArray& payload);

// Width, height, QImage::Format and bytes per line as four unsigned 32-bit big
// endian numbers.
constexpr int imageHeaderSize = 16;
struct ImageHeader {
    quint32 width = 0;
    quint32 height = 0;
    quint32 format = 0;
    quint32 bytesPerLine = 0;
};

// Bands or pages rendered so far and the height they fill in pixels, as two
// unsigned 32-bit big endian numbers.
struct Progress {
    quint32 done = 0;
    quint32 heightPx = 0;
};
QByteArray encode(const Progress& progress);
std::optional<Progress> decodeProgress(const QByteArray& payload);

QByteArray encode(const ImageHeader& header);
// Null unless it describes a 32-bit image whose rows fill `payloadLength`.
std::optional<ImageHeader> decodeImageHeader(const char (&bytes)[imageHeaderSize], quint64 payloadLength);
ImageHeader describe(const QImage& image);

}
