#pragma once
// Content that a test can read back from a stitched picture of plain text (an
// editor shows no colours): line n starts with a bar code of upper half
// blocks ("▀", one character cell each, so lines never touch): a sync mark
// "▀ ▀", then the bits of n and of n mod 3, then the number as text for a
// person. Reading the code column from top to bottom gives the lines in the
// order they were stitched, with the spacing between them, so lost, repeated
// or reordered lines show.
#include "helpers/CodedRows.h"

#include <QImage>
#include <QList>
#include <QString>
#include <cmath>
#include <vector>

namespace CodedText {

constexpr int numberBits = 12;
constexpr int checkBits = 2;
constexpr int maxItems = 1 << numberBits;

inline QString line(int n)
{
    const QChar block(0x2580);
    QString code = QString(block) + QLatin1Char(' ') + block;
    for (int i = 0; i < numberBits; ++i)
        code += (n >> i) & 1 ? block : QChar(QLatin1Char(' '));
    for (int i = 0; i < checkBits; ++i)
        code += ((n % 3) >> i) & 1 ? block : QChar(QLatin1Char(' '));
    return code + QStringLiteral("  Zeile %1").arg(n, 4, 10, QLatin1Char('0'));
}

struct Line {
    int item = -1;
    int top = 0;
};

// The coded lines of an image, top to bottom (unreadable ones as item -1).
inline QList<Line> read(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    auto dark = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
            return false;
        return qGray(image.pixel(x, y)) < 110;
    };
    // The code starts in the leftmost column crossed by many short dark runs
    // (one per line; a window border or a caret is one long run).
    auto shortRuns = [&](int x) {
        int runs = 0;
        for (int y = 0; y < image.height();) {
            if (!dark(x, y)) {
                ++y;
                continue;
            }
            const int start = y;
            while (y < image.height() && dark(x, y))
                ++y;
            runs += y - start >= 3 && y - start <= 30;
        }
        return runs;
    };
    int most = 0;
    std::vector<int> runs(size_t(image.width() / 2), 0);
    for (int x = 0; x < int(runs.size()); ++x)
        most = qMax(most, runs[size_t(x)] = shortRuns(x));
    int x0 = -1;
    for (int x = 0; x < int(runs.size()) && x0 < 0; ++x)
        if (runs[size_t(x)] >= 5 && runs[size_t(x)] * 3 >= most)
            x0 = x;
    QList<Line> out;
    if (x0 < 0)
        return out;
    for (int y = 0; y < image.height(); ++y) {
        if (!dark(x0 + 2, y))
            continue;
        // One line's blocks: the rows dark at the start of the sync mark.
        int end = y;
        while (end < image.height() && dark(x0 + 2, end))
            ++end;
        if (end - y < 3 || end - y > 30) {
            y = end;
            continue;
        }
        const int mid = (y + end) / 2;
        // Cell width from the sync mark: dark, light, dark.
        int x = x0;
        while (x < image.width() && dark(x, mid))
            ++x;
        int second = x;
        while (second < image.width() && !dark(second, mid))
            ++second;
        const double cell = (second - x0) / 2.0;
        Line found{-1, y};
        if (cell >= 3 && cell <= 40) {
            auto bit = [&](int index) { return dark(int(std::lround(x0 + (index + 0.5) * cell)), mid); };
            int n = 0;
            for (int i = 0; i < numberBits; ++i)
                n |= bit(3 + i) << i;
            int check = 0;
            for (int i = 0; i < checkBits; ++i)
                check |= bit(3 + numberBits + i) << i;
            if (check == n % 3)
                found.item = n;
        }
        out.append(found);
        y = end;
    }
    return out;
}

// Lines 0, 1, 2, ... in order, each once, evenly spaced; `expected` make it
// complete.
inline CodedRows::Verdict verify(const QImage& image, int expected)
{
    QList<CodedRows::Run> lines;
    for (const Line& l : read(image))
        lines.append({l.item, l.top, 0});
    // The window's own bars above and below the text are no lines.
    while (!lines.isEmpty() && lines.first().item < 0)
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().item < 0)
        lines.removeLast();
    return CodedRows::inOrder(lines, expected, 0, false, QStringLiteral("line"));
}

} // namespace CodedText
