#pragma once
// Decodes pictures larger than Qt lets a reader decode by default (128 MB
// decoded, so a 6000 x 6000 picture fails with only a warning on stderr), up
// to a bound that still fits in memory. Any thread.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class LargeImageReader {
public:
    // 16384 x 16384 pixels of four bytes.
    static constexpr qint64 maxDecodedBytes = qint64(1) << 30;

    struct Result {
        QImage image;     // null when the data is no picture or too large
        QSize size;       // as the data declares it; invalid when unknown
        bool tooLarge = false;
    };
    static Result decode(const QByteArray& data);
};
