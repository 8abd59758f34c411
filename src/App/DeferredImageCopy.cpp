#include "App/DeferredImageCopy.h"

#include "Debug/DebugLog.h"
#include "Storage/ImageOps.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

DeferredImageCopy::DeferredImageCopy(ClipboardService& clipboard, Place place, QObject* parent)
    : QObject(parent)
    , m_clipboard(clipboard)
    , m_place(std::move(place))
{
}

void DeferredImageCopy::copy(const QImage& image, std::function<void(bool)> done, std::optional<PngData> png)
{
    const quint64 request = ++m_latest;
    // Asking for the content brings the change count up to date.
    m_clipboard.currentContent();
    const qint64 before = m_clipboard.changeCount();
    ++m_pending;
    // The continuation runs on this object's thread, and not at all once it is gone.
    if (!png)
        png = QtConcurrent::run([image] { return ImageOps::pngData(image); });
    png->then(this, [this, image, request, before, done = std::move(done)](std::optional<QByteArray> png) {
            const auto newer = [this, request, before] {
                m_clipboard.currentContent();
                return request != m_latest || m_clipboard.changeCount() != before;
            };
            if (newer()) {
                DebugLog::write(QStringLiteral("CAPTURE Kopie übersprungen: Zwischenablage inzwischen neu belegt"));
                return end(false, done);
            }
            QPointer<DeferredImageCopy> self(this);
            m_place(
                [self, image, png, newer]() -> ClipboardWrite {
                    // Changes read while the write waited are newer than this picture.
                    if (!self || newer())
                        return {};
                    // The picture goes on even when no PNG could be made of it.
                    return self->m_clipboard.writeImage(image, png);
                },
                [self, done](const ClipboardWrite& write) {
                    if (self)
                        self->end(write.held, done);
                });
        });
}

void DeferredImageCopy::end(bool written, const std::function<void(bool)>& done)
{
    --m_pending;
    if (done)
        done(written);
    Q_EMIT finished(written);
}
