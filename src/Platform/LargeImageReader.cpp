#include "Platform/LargeImageReader.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <cmath>

namespace {
// Qt's limit is one for the whole process: it is only ever raised, so a
// reader elsewhere never sees it drop under a picture it is decoding.
void allowAtLeast(qint64 bytes)
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    const int megabytes = int(std::ceil(double(bytes) / (1024.0 * 1024.0))) + 1;
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < megabytes)
        QImageReader::setAllocationLimit(megabytes);
}
} // namespace

LargeImageReader::Result LargeImageReader::decode(const QByteArray& data)
{
    Result result;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    result.size = reader.size();
    if (result.size.isValid()) {
        const qint64 bytes = qint64(result.size.width()) * result.size.height() * 4;
        if (bytes > maxDecodedBytes) {
            result.tooLarge = true;
            return result;
        }
        allowAtLeast(bytes);
    }
    result.image = reader.read();
    return result;
}
