#include "Editor/BlurPreviewCache.h"

#include "Editor/BlurProcessor.h"

#include <algorithm>
#include <cmath>

BlurPreviewCache::BlurPreviewCache(qsizetype budgetBytes)
    : m_cache(budgetBytes)
{
}

QImage BlurPreviewCache::blurred(const QImage& source, BlurStyle style, double amount)
{
    const double rounded = std::isfinite(amount) ? std::round(std::clamp(amount, -1.0, 101.0)) : 0.0;
    const QString key = QStringLiteral("%1-%2@%3").arg(rawValue(style)).arg(qint64(rounded)).arg(source.cacheKey());
    if (const QImage* hit = m_cache.object(key))
        return *hit;
    QImage result = BlurProcessor::process(source, style, amount);
    if (!result.isNull())
        m_cache.insert(key, new QImage(result), result.sizeInBytes()); // refused (and freed) when over budget alone
    return result;
}

void BlurPreviewCache::clear()
{
    m_cache.clear();
}
