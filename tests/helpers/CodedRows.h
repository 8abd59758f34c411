#pragma once
// Content that a test can read back from a stitched image: item n of a page
// (a section, a line of a document, a terminal line) carries a flat block in
// a colour that encodes n. Reading one column of the image from top to bottom
// gives the items in the order they were stitched, with the height each one
// got, so lost, repeated or reordered content shows.
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace CodedRows {

// Channel levels 24, 40, ..., 248 (15 per channel, far from white
// backgrounds and black text), never all three alike: greys are what text
// edges and toolbars are made of.
constexpr int levels = 15;
constexpr int codes = levels * levels * levels;
constexpr int greyEvery = 1 + levels + levels * levels; // 241: the codes v, v, v
constexpr int maxItems = codes - codes / greyEvery - 1;

inline QColor colour(int n)
{
    const int k = n + 1 + n / (greyEvery - 1);
    auto level = [](int v) { return 24 + 16 * v; };
    return QColor(level(k % levels), level(k / levels % levels), level(k / (levels * levels) % levels));
}

// The item a pixel shows, or -1.
inline int decode(QRgb pixel)
{
    int k = 0;
    int scale = 1;
    for (int c : {qRed(pixel), qGreen(pixel), qBlue(pixel)}) {
        const int v = (c - 24 + 8) / 16;
        if (c < 20 || v < 0 || v >= levels || std::abs(24 + 16 * v - c) > 3)
            return -1;
        k += v * scale;
        scale *= levels;
    }
    if (k % greyEvery == 0)
        return -1;
    return k - 1 - k / greyEvery;
}

struct Run {
    int item = -1;
    int top = 0;
    int height = 0;
};

// The runs of coded rows down column x (rows whose pixel decodes to nothing
// separate them).
inline QList<Run> runs(const QImage& image, int x)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QList<Run> out;
    for (int y = 0; y < img.height(); ++y) {
        const int n = decode(img.pixel(x, y));
        if (n < 0)
            continue;
        if (!out.isEmpty() && out.last().item == n && out.last().top + out.last().height == y)
            ++out.last().height;
        else
            out.append({n, y, 1});
    }
    // A stray pixel that happens to decode is no block.
    out.removeIf([](const Run& r) { return r.height < 4; });
    return out;
}

// The column crossing the most coded pixels: the column of the blocks.
inline int blockColumn(const QImage& image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    int best = 0;
    int bestCount = -1;
    for (int x = 0; x < img.width(); x += 2) {
        int count = 0;
        for (int y = 0; y < img.height(); y += 3)
            if (decode(img.pixel(x, y)) >= 0)
                ++count;
        if (count > bestCount) {
            best = x;
            bestCount = count;
        }
    }
    return best;
}

struct Verdict {
    int found = 0;      // items 0, 1, ... present in order, each once and whole
    QString problem;    // the first fault, empty when none
};

// Items in the order their rows were read: they must be 0, 1, 2, ... each
// once, evenly spaced except where `gapEvery` items end (a page break), and
// with `sameHeight` each as tall as the others (within one row). `expected`
// items make it complete; `noun` names them in the problem.
inline Verdict inOrder(const QList<Run>& found, int expected, int gapEvery, bool sameHeight, const QString& noun)
{
    Verdict v;
    if (found.isEmpty()) {
        v.problem = QStringLiteral("no coded %1s").arg(noun);
        return v;
    }
    QList<int> heights;
    for (const Run& r : found)
        heights.append(r.height);
    std::sort(heights.begin(), heights.end());
    const int height = heights[heights.size() / 2];
    QList<int> spacings;
    for (qsizetype i = 1; i < found.size(); ++i)
        if (!gapEvery || found[i].item % gapEvery != 0)
            spacings.append(found[i].top - found[i - 1].top);
    std::sort(spacings.begin(), spacings.end());
    const int spacing = spacings.isEmpty() ? 0 : spacings[spacings.size() / 2];
    for (qsizetype i = 0; i < found.size(); ++i) {
        const Run& r = found[i];
        if (r.item != i) {
            v.problem = r.item < 0 ? QStringLiteral("unreadable %1 where %2 belongs (row %3)").arg(noun).arg(i).arg(r.top)
                                   : QStringLiteral("%1 %2 where %3 belongs (row %4)").arg(noun).arg(r.item).arg(i).arg(r.top);
            return v;
        }
        // The last one found may be cut short where an incomplete capture ended.
        const bool cutShort = i == found.size() - 1 && i + 1 < expected && r.height < height;
        if (sameHeight && std::abs(r.height - height) > 1 && !cutShort) {
            v.problem = QStringLiteral("item %1 is %2 rows tall instead of %3 (row %4)").arg(i).arg(r.height).arg(height).arg(r.top);
            return v;
        }
        if (i > 0 && (!gapEvery || r.item % gapEvery != 0) && std::abs(r.top - found[i - 1].top - spacing) > 1) {
            v.problem = QStringLiteral("%1 %2 starts %3 rows after %1 %4 instead of %5")
                            .arg(noun).arg(i).arg(r.top - found[i - 1].top).arg(i - 1).arg(spacing);
            return v;
        }
        if (i > 0 && gapEvery && r.item % gapEvery == 0 && r.top - found[i - 1].top < spacing) {
            v.problem = QStringLiteral("page break before item %1 too short").arg(i);
            return v;
        }
        v.found = int(i) + 1;
    }
    if (v.found < expected)
        v.problem = QStringLiteral("only %1 of %2 %3s").arg(v.found).arg(expected).arg(noun);
    return v;
}

// Reads the items back from the column of their blocks, each as tall as the others.
inline Verdict verify(const QImage& image, int expected, int gapEvery = 0)
{
    return inOrder(runs(image, blockColumn(image)), expected, gapEvery, true, QStringLiteral("item"));
}

} // namespace CodedRows
