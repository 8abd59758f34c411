#pragma once
// Decoded pictures of image annotations for a view that redraws often. An
// entry belongs to one annotation and remembers the very bytes it was decoded
// from, so a picture is only ever shown for its own data: a changed or
// different picture under the same annotation is decoded anew. Bounded by
// bytes, least recently used first out.
#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QUuid>

class EmbeddedImageCache {
public:
    static constexpr qsizetype defaultBudgetBytes = qsizetype(256) * 1024 * 1024;
    explicit EmbeddedImageCache(qsizetype budgetBytes = defaultBudgetBytes);

    // The picture of annotation `id` with these bytes; null when they cannot
    // be read.
    QImage image(const QUuid& id, const QByteArray& data);

    qsizetype bytes() const { return m_cache.totalCost(); }
    qsizetype count() const { return m_cache.count(); }
    // How many decodes ran (tests and the benchmark watch it).
    qsizetype decodes() const { return m_decodes; }

private:
    struct Entry {
        // Held, so the same address can never name other bytes while the entry lives.
        QByteArray data;
        QImage image;
    };
    QCache<QUuid, Entry> m_cache;
    qsizetype m_decodes = 0;
};
