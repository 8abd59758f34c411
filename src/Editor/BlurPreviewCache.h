#pragma once
// Whole-picture blur results for the canvas's live preview, so a redraw
// never blurs. Bounded by bytes: a slider drag visits many amounts, and each
// result is as large as the picture; the least recently used go first.
#include "Models/CoreTypes.h"

#include <QCache>
#include <QImage>
#include <QString>

class BlurPreviewCache {
public:
    static constexpr qsizetype defaultBudgetBytes = qsizetype(256) * 1024 * 1024;
    explicit BlurPreviewCache(qsizetype budgetBytes = defaultBudgetBytes);

    // The picture processed with the style and amount. Amounts that round to
    // the same whole number share one entry (the first one computed); a new
    // picture never finds the results of an earlier one.
    QImage blurred(const QImage& source, BlurStyle style, double amount);
    void clear();
    // What the kept results occupy.
    qsizetype bytes() const { return m_cache.totalCost(); }
    qsizetype count() const { return m_cache.count(); }

private:
    QCache<QString, QImage> m_cache;
};
