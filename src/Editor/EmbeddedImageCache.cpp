#include "Editor/EmbeddedImageCache.h"

#include "Editor/AnnotationRenderer.h"

EmbeddedImageCache::EmbeddedImageCache(qsizetype budgetBytes)
    : m_cache(budgetBytes)
{
}

QImage EmbeddedImageCache::image(const QUuid& id, const QByteArray& data)
{
    if (Entry* e = m_cache.object(id)) {
        // Shared bytes (undo steps and copies share them) answer at once;
        // equal bytes in another buffer are compared in full.
        if (e->data.constData() == data.constData() && e->data.size() == data.size())
            return e->image;
        if (e->data == data) {
            e->data = data;
            return e->image;
        }
    }
    ++m_decodes;
    const QImage decoded = AnnotationRenderer::decodeEmbeddedImage(data);
    if (!decoded.isNull())
        m_cache.insert(id, new Entry{data, decoded}, decoded.sizeInBytes() + data.size());
    else
        m_cache.remove(id);
    return decoded;
}
