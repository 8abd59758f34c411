#include "support/SimulatedVerdict.h"

#include "helpers/CodedRows.h"
#include "support/SimulatedPage.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace {

struct Run {
    int code = -1;
    int top = 0;
    int height = 0;
};

// Coded blocks down column x: a row counts when the pixel is a code's exact
// colour and so is the block around it (a picture's noise never is).
QList<Run> blocks(const QImage& image, int x, int markW)
{
    QList<Run> out;
    if (x < 0 || x >= image.width())
        return out;
    const int half = markW / 2 - 2;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const QRgb p = line[x] | 0xff000000u;
        int code = CodedRows::decode(p);
        if (code >= 0 && CodedRows::colour(code).rgb() != p)
            code = -1;
        for (int dx = -half; code >= 0 && dx <= half; dx += 3)
            if (x + dx >= 0 && x + dx < image.width() && (line[x + dx] | 0xff000000u) != p)
                code = -1;
        if (code < 0)
            continue;
        if (!out.isEmpty() && out.last().code == code && out.last().top + out.last().height == y)
            ++out.last().height;
        else
            out.append({code, y, 1});
    }
    return out;
}

// Every row of the document against the page's final layout, pixel for
// pixel, leaving out only where something fixed may stand in a whole capture:
// a fixed element pasted between the marks, or a piece of one (a shadow, a
// banner's lower half), shows here and nowhere else. Empty when all agree.
QString foreignRows(const SimulatedPage& page, const QImage& image)
{
    const QRect view = page.documentViewInCapture();
    const int origin = page.documentRowInCapture();
    const int left = page.documentColumnInCapture();
    const int width = page.documentWidth();
    const QList<QRect> places = page.fixedPlaces();
    const int xFrom = qMax(0, view.left());
    const int xTo = qMin(image.width() - 1, view.right());
    const int yTo = qMin(image.height() - 1, view.bottom() + page.documentScroll());
    std::vector<bool> free(size_t(qMax(0, image.width())));
    int rows = 0;
    int runTop = -1, runEnd = -1, runLeft = 0, runRight = 0;
    for (int y = qMax(0, view.top()); y <= yTo; ++y) {
        const QRgb* want = page.documentLine(y - origin);
        if (!want)
            continue;
        std::fill(free.begin(), free.end(), true);
        for (const QRect& p : places)
            if (y >= p.top() && y <= p.bottom())
                for (int x = qMax(xFrom, p.left()); x <= qMin(xTo, p.right()); ++x)
                    free[size_t(x)] = false;
        const QRgb* got = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int from = -1, to = -1;
        for (int x = xFrom; x <= xTo; ++x) {
            const int dx = x - left;
            if (!free[size_t(x)] || dx < 0 || dx >= width || ((got[x] ^ want[dx]) & 0xffffffu) == 0)
                continue;
            if (from < 0)
                from = x;
            to = x;
        }
        if (from < 0)
            continue;
        ++rows;
        if (runTop < 0 || runEnd == y - 1) {
            if (runTop < 0) {
                runTop = y;
                runLeft = from;
                runRight = to;
            }
            runEnd = y;
            runLeft = qMin(runLeft, from);
            runRight = qMax(runRight, to);
        }
    }
    if (!rows)
        return {};
    return QStringLiteral("rows %1-%2 not the page's (columns %3-%4; %5 such rows in all)")
        .arg(runTop)
        .arg(runEnd)
        .arg(runLeft)
        .arg(runRight)
        .arg(rows);
}

} // namespace

SimulatedVerdict SimulatedVerdict::judge(const SimulatedPage& page, const QImage& capture)
{
    SimulatedVerdict v;
    const QImage image = capture.convertToFormat(QImage::Format_RGB32);
    const int markH = page.markHeight();
    const int markW = 24 * page.scale();
    const int origin = page.documentRowInCapture();
    auto fail = [&v](const QString& problem) {
        if (v.problem.isEmpty())
            v.problem = problem;
    };

    QHash<int, SimulatedPage::Mark> byCode;
    const QList<SimulatedPage::Mark> marks = page.marks();
    for (const SimulatedPage::Mark& m : marks)
        byCode.insert(m.code, m);
    QSet<int> found;
    for (int x : page.markColumns()) {
        for (const Run& r : blocks(image, x, markW)) {
            const auto it = byCode.constFind(r.code);
            if (it == byCode.cend())
                continue;
            const SimulatedPage::Mark& m = *it;
            const QString which = QStringLiteral("item %1 %2").arg(m.item).arg(m.top ? QStringLiteral("top") : QStringLiteral("bottom"));
            if (r.height > markH)
                fail(QStringLiteral("%1 mark %2 rows tall at row %3 (torn)").arg(which).arg(r.height).arg(r.top));
            if (r.height != markH)
                continue;
            if (r.top != origin + m.docY)
                fail(QStringLiteral("%1 at row %2 instead of %3").arg(which).arg(r.top).arg(origin + m.docY));
            else
                found.insert(m.code);
        }
    }
    for (const SimulatedPage::Mark& m : marks) {
        if (!page.markShowable(m))
            continue;
        ++v.marksShowable;
        if (found.contains(m.code))
            ++v.marksFound;
        else
            fail(QStringLiteral("item %1 %2 mark missing (row %3)")
                     .arg(m.item)
                     .arg(m.top ? QStringLiteral("top") : QStringLiteral("bottom"))
                     .arg(origin + m.docY));
    }

    // Fixed marks: at most as often as allowed, in their own column.
    QHash<int, QList<Run>> columns;
    for (const SimulatedPage::FixedMark& f : page.fixedMarks()) {
        if (!columns.contains(f.x))
            columns.insert(f.x, blocks(image, f.x, markW));
        int times = 0;
        for (const Run& r : columns.value(f.x))
            if (r.code == f.code && r.height >= markH / 2)
                ++times;
        if (times > f.allowed)
            fail(QStringLiteral("fixed mark %1 shows %2 times").arg(f.code).arg(times));
    }

    if (image.height() != page.expectedHeight())
        fail(QStringLiteral("%1 rows tall instead of %2").arg(image.height()).arg(page.expectedHeight()));
    if (v.problem.isEmpty())
        fail(foreignRows(page, image));
    v.whole = v.problem.isEmpty();
    return v;
}
