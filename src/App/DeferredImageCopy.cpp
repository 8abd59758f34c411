#include "App/DeferredImageCopy.h"

#include "Platform/ClipboardService.h"
#include "Storage/DebugLog.h"
#include "Storage/ImageOps.h"

#include <QtConcurrent/QtConcurrentRun>

DeferredImageCopy::DeferredImageCopy(ClipboardService& clipboard, QObject* parent)
    : QObject(parent)
    , m_clipboard(clipboard)
{
}

void DeferredImageCopy::copy(const QImage& image, std::function<void(qint64)> written)
{
    const quint64 request = ++m_latest;
    const qint64 before = m_clipboard.changeCount();
    ++m_pending;
    // The continuation runs on this object's thread, and not at all once it is gone.
    QtConcurrent::run([image] { return ImageOps::pngData(image); })
        .then(this, [this, image, request, before, written = std::move(written)](std::optional<QByteArray> png) {
            --m_pending;
            // Only the latest request, and only onto the content it was meant to replace.
            if (request != m_latest || m_clipboard.changeCount() != before) {
                DebugLog::write(QStringLiteral("CAPTURE Kopie übersprungen: Zwischenablage inzwischen neu belegt"));
                Q_EMIT finished(false);
                return;
            }
            // The picture goes on even when no PNG could be made of it.
            const qint64 count = m_clipboard.writeImage(image, png);
            if (written)
                written(count);
            Q_EMIT finished(true);
        });
}
