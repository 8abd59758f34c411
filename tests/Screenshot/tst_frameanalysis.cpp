// Frame analysis and stitching on synthetic frames: exact shifts on content
// that never repeats, the nearest-to-expected rule on periodic rows, the
// threshold edges, sticky bands, scrollbar bands and stitching; and the dense
// seam check on the content that defeats sparse sampling (rows that differ
// only in small details, sparse text, steps larger than the shared band,
// blank overlaps, a few labels in a long plain stretch), badges standing
// over the content, a box left out over every row, and the reason a seam is
// refused.
#include "Screenshot/CaptureError.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/WindowShot.h"
#include "support/IsolatedEnvironment.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtMath>

namespace {

// A page whose rows never repeat: every pixel random, channels in [30, 200]
// so that offsets of a few levels never clip.
QImage randomPage(int w, int h, quint32 seed)
{
    QImage page(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb(30 + rng.bounded(171), 30 + rng.bounded(171), 30 + rng.bounded(171));
    }
    return page;
}

// A page that changes smoothly from row to row (like real text blurred by
// sampling) but never repeats: every column is a sine of its own frequency.
QImage smoothPage(int w, int h, quint32 seed)
{
    QImage page(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    QList<double> freq, phase;
    for (int i = 0; i < 3 * w; ++i) {
        freq.append(0.03 + rng.bounded(0.06));
        phase.append(rng.bounded(6.28));
    }
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = 128 + int(std::lround(90 * std::sin(y * freq[3 * x + k] + phase[3 * x + k])));
            line[x] = qRgb(c[0], c[1], c[2]);
        }
    }
    return page;
}

// A page of identical list rows: the rows of one period are random, then repeat.
QImage periodicPage(int w, int h, int period, quint32 seed)
{
    const QImage one = randomPage(w, period, seed);
    QImage page(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        memcpy(page.scanLine(y), one.constScanLine(y % period), size_t(w) * 4);
    return page;
}

QImage view(const QImage& page, int offset, int h)
{
    return page.copy(0, offset, page.width(), h);
}

// Adds `delta` to every channel of the rows [from, to).
void addToRows(QImage& image, int from, int to, int delta)
{
    for (int y = from; y < to; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(qRed(line[x]) + delta, qGreen(line[x]) + delta, qBlue(line[x]) + delta);
    }
}

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

quint32 mix(quint32 v)
{
    v *= 2654435761u;
    return v ^ (v >> 15);
}

// A list of 40-row entries on one background colour; entries differ only in
// a small coloured icon and a short dark mark whose place depends on the
// entry's number, a few dozen pixels of each 40-row period.
QImage detailedListPage(int w, int h)
{
    QImage page = filled(w, h, qRgb(236, 236, 236));
    for (int k = 0; k * 40 < h; ++k) {
        const quint32 c = mix(quint32(k) + 1);
        for (int y = k * 40 + 16; y < qMin(h, k * 40 + 24); ++y) {
            for (int x = 10; x < 18; ++x)
                page.setPixel(x, y, qRgb(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff));
            if (y < k * 40 + 19)
                for (int x = 40 + (k % 7) * 6; x < 45 + (k % 7) * 6; ++x)
                    page.setPixel(x, y, qRgb(40, 40, 40));
        }
    }
    return page;
}

// White with lines of "text" every 18 rows: dark marks only in columns that
// the sparse samples (every tenth column at 400 px) never look at.
QImage sparseTextPage(int w, int h)
{
    QImage page = filled(w, h, qRgb(255, 255, 255));
    for (int line = 0; line * 18 < h; ++line)
        for (int y = line * 18 + 4; y < qMin(h, line * 18 + 12); ++y)
            for (int x = 3; x < w / 3; ++x)
                if (x % 10 != 0 && (mix(quint32(line * 977 + x + y * 31)) & 3) == 0)
                    page.setPixel(x, y, qRgb(20, 20, 20));
    return page;
}

// A frame of `page` at `offset` under a fixed header of `header` rows and
// above a fixed footer of `footer` rows.
QImage underBands(const QImage& page, int offset, int h, int header, int footer = 0)
{
    QImage f = view(page, offset, h);
    const QImage bars = randomPage(page.width(), header + footer + 1, 99);
    for (int y = 0; y < header + footer; ++y)
        memcpy(f.scanLine(y < header ? y : h - header - footer + y), bars.constScanLine(y), size_t(page.width()) * 4);
    return f;
}

FrameMatcher::Match matchFrames(const QImage& a, const QImage& b, FrameMatcher::Request request = {})
{
    return FrameMatcher::match(FrameRows(a), FrameRows(b), request);
}

} // namespace

class TestFrameAnalysis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void differentSizesAreNeverComparable()
    {
        const QImage a = randomPage(200, 300, 1);
        const QImage b = randomPage(200, 301, 1);
        QCOMPARE(WindowShot::fixedEdges(a, b), WindowShot::Edges{});
        QCOMPARE(WindowShot::contentShift(a, b, 0, 0, 290, 260), 0);
        QCOMPARE(WindowShot::scrollbarWidth(a, b, 40), 0);
        // Null frames: nothing can be read.
        QCOMPARE(WindowShot::contentShift(QImage(), QImage(), 0, 0, 290, 260), 0);
    }

    void narrowFramesAreSampledInEveryColumn()
    {
        // Only columns 1 and 3 differ. Below 40 px every column is sampled, so
        // the difference counts; at 80 px only every second column is.
        for (int w : {39, 80}) {
            QImage a = filled(w, 100, qRgb(50, 50, 50));
            QImage b = a.copy();
            for (int y = 0; y < 100; ++y) {
                b.setPixel(1, y, qRgb(255, 255, 255));
                b.setPixel(3, y, qRgb(255, 255, 255));
            }
            const WindowShot::Edges edges = WindowShot::fixedEdges(a, b);
            QCOMPARE(edges.top, w == 80 ? 100 / 3 : 0);
        }
        // contentShift below 60 px: every column.
        for (int w : {30, 59}) {
            const QImage page = randomPage(w, 600, 11);
            QCOMPARE(WindowShot::contentShift(view(page, 0, 300), view(page, 48, 300), 0, 0, 294, 264), 48);
        }
    }

    void exactShiftOnContentThatNeverRepeats_data()
    {
        QTest::addColumn<bool>("smooth");
        QTest::addColumn<int>("shift");
        QTest::newRow("random 4") << false << 4;
        QTest::newRow("random 40") << false << 40;
        QTest::newRow("random 264") << false << 264;
        QTest::newRow("smooth 2") << true << 2;
        QTest::newRow("smooth 7") << true << 7;
        QTest::newRow("smooth 37") << true << 37;
        QTest::newRow("smooth 101") << true << 101;
        QTest::newRow("smooth 250") << true << 250;
        QTest::newRow("smooth 275 (largest)") << true << 275;
    }
    void exactShiftOnContentThatNeverRepeats()
    {
        QFETCH(bool, smooth);
        QFETCH(int, shift);
        const QImage page = smooth ? smoothPage(240, 700, 3) : randomPage(240, 700, 3);
        // Whole-window parameters for a 300-row frame: expected 88 %, largest 98 %.
        QCOMPARE(WindowShot::contentShift(view(page, 100, 300), view(page, 100 + shift, 300), 0, 0, 294, 264), shift);
    }

    void shiftBetweenFixedBands()
    {
        // A sticky 40-row header and 30-row footer; content moves by 57 rows.
        const QImage page = smoothPage(240, 900, 5);
        const QImage a = underBands(page, 0, 360, 40, 30);
        QImage b = underBands(page, 57, 360, 40, 30);
        // A blinking element in the footer (rows 8..11 from the bottom).
        addToRows(b, 360 - 12, 360 - 8, 40);
        const WindowShot::Edges edges = WindowShot::fixedEdges(a, b);
        QCOMPARE(edges.top, 40);
        QCOMPARE(edges.bottom, 30);
        QCOMPARE(WindowShot::contentShift(a, b, edges.top, edges.bottom, 360 * 98 / 100, 360 * 88 / 100), 57);
    }

    void bestScoreOf21IsAcceptedAnd22Rejected()
    {
        const QImage page = randomPage(240, 700, 9);
        for (int delta : {21, 22}) {
            // Every compared channel is off by exactly delta at the true shift.
            QImage b = view(page, 40, 300);
            addToRows(b, 0, 300, delta);
            QCOMPARE(WindowShot::contentShift(view(page, 0, 300), b, 0, 0, 294, 264), delta == 21 ? 40 : 0);
        }
    }

    void periodicRowsPickTheShiftNearestToExpected_data()
    {
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("result");
        QTest::newRow("130 -> 120") << 130 << 120;
        QTest::newRow("equal distance keeps the smaller") << 140 << 120;
        QTest::newRow("171 -> 160") << 171 << 160;
        QTest::newRow("nearest is the best itself") << 30 << 40;
        QTest::newRow("far beyond the largest") << 900 << 240;
    }
    void periodicRowsPickTheShiftNearestToExpected()
    {
        QFETCH(int, expected);
        QFETCH(int, result);
        // Identical list rows every 40 px: 40, 80, ... all fit perfectly.
        const QImage page = periodicPage(120, 1000, 40, 13);
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), view(page, 120, 300), 0, 0, 294, expected), result);
    }

    void candidateMarginIsInclusive()
    {
        // Rows repeat every 40 px; the rows of b above `split` carry an offset of
        // `delta` per channel, the rest match exactly. Larger shifts compare
        // fewer of the matching lower rows, so their scores rise. The counts are
        // worked out for a 300-row frame (rows 12, 14, ... below 288):
        //   delta 12, split 170: scores 40:8 80:9 120:12 160:12 200:12 240:12;
        //     margin 8 + 2 + 2 = 12, so 200 (nearest to 200) is a candidate.
        //   delta 13, split 160: scores 40:8 80:9 120:12 160:13 200:13 240:13;
        //     200 is out, 120 (exactly at the margin) is the nearest candidate.
        const QImage page = periodicPage(120, 1000, 40, 17);
        QImage b = view(page, 40, 300);
        addToRows(b, 0, 170, 12);
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), b, 0, 0, 260, 200), 200);
        QImage c = view(page, 40, 300);
        addToRows(c, 0, 160, 13);
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), c, 0, 0, 260, 200), 120);
    }

    void bandShorterThan41RowsGivesNoShift()
    {
        const QImage page = randomPage(200, 400, 19);
        // 64 rows: 64 - 24 = 40 compared rows -> no shift; 65 rows -> 41.
        QCOMPARE(WindowShot::contentShift(view(page, 0, 64), view(page, 8, 64), 0, 0, 60, 30), 0);
        QCOMPARE(WindowShot::contentShift(view(page, 0, 65), view(page, 8, 65), 0, 0, 60, 30), 8);
        // The same through fixed bands: 300 - 120 - 116 - 24 = 40.
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), view(page, 8, 300), 120, 116, 290, 30), 0);
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), view(page, 8, 300), 120, 115, 290, 30), 8);
        // A largest shift below 2 leaves nothing to search.
        QCOMPARE(WindowShot::contentShift(view(page, 0, 300), view(page, 8, 300), 0, 0, 1, 30), 0);
    }

    void fixedEdgesBridgeABlinkingRow()
    {
        const QImage page = randomPage(320, 1200, 23);
        auto frame = [&](int offset) { return underBands(page, offset, 420, 60); };
        QImage a = frame(0);
        QImage b = frame(100);
        // A blinking cursor in rows 20..29 of the header: 10 changed rows.
        addToRows(b, 20, 30, 60);
        QCOMPARE(WindowShot::fixedEdges(a, b).top, 60);
        // 25 changed rows end the scan: only the rows above count.
        QImage c = frame(100);
        addToRows(c, 10, 35, 60);
        QCOMPARE(WindowShot::fixedEdges(a, c).top, 10);
        // 24 changed rows are still bridged.
        QImage d = frame(100);
        addToRows(d, 10, 34, 60);
        QCOMPARE(WindowShot::fixedEdges(a, d).top, 60);
        QCOMPARE(WindowShot::fixedEdges(a, b).bottom, 0);
        // Unchanged frames: both bands stop at a third of the height.
        QCOMPARE(WindowShot::fixedEdges(a, a), (WindowShot::Edges{140, 140}));
        QCOMPARE(WindowShot::fixedEdges(filled(10, 2, 0), filled(10, 2, 0)), WindowShot::Edges{});
    }

    void scrollbarBandAtTheRightEdge_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("width");
        QTest::newRow("none") << 0 << 50 << 0;
        QTest::newRow("2 px is too thin") << 2 << 50 << 0;
        QTest::newRow("3 px") << 3 << 50 << 3;
        QTest::newRow("14 px") << 14 << 50 << 14;
        QTest::newRow("40 px") << 40 << 50 << 40;
        QTest::newRow("41 px is too wide") << 41 << 50 << 0;
        QTest::newRow("shift 8 is too small") << 14 << 8 << 0;
        QTest::newRow("shift 9") << 14 << 9 << 14;
        QTest::newRow("band too short") << 14 << 236 << 0;
        QTest::newRow("band just tall enough") << 14 << 235 << 14;
    }
    void scrollbarBandAtTheRightEdge()
    {
        QFETCH(int, band);
        QFETCH(int, shift);
        QFETCH(int, width);
        // 300 columns: the examined band is min(300 / 6, 48) = 48 columns. The
        // scrollbar is a texture that stays put while the content moves.
        const int w = 300;
        const QImage page = randomPage(w, 900, 29);
        const QImage bar = randomPage(qMax(band, 1), 300, 30);
        auto frame = [&](int offset) {
            QImage f = view(page, offset, 300);
            for (int y = 0; y < 300 && band > 0; ++y)
                memcpy(f.scanLine(y) + (w - band) * 4, bar.constScanLine(y), size_t(band) * 4);
            return f;
        };
        QCOMPARE(WindowShot::scrollbarWidth(frame(0), frame(shift), shift), width);
    }

    // A browser drawing its page at twice the size: a 30 px track whose
    // thumb keeps 6 px off its right side, and the window's 8 px border
    // beside it, 14 columns that never change right of what moves. Columns
    // of the page's own colour there are content's margin, and end the bar.
    void scrollbarWithAWideMarginBesideItsThumb_data()
    {
        QTest::addColumn<QRgb>("margin");
        QTest::addColumn<int>("width");
        QTest::newRow("track and border") << qRgb(252, 252, 252) << 32;
        QTest::newRow("the page's colour") << qRgb(22, 24, 28) << 0;
    }
    void scrollbarWithAWideMarginBesideItsThumb()
    {
        QFETCH(QRgb, margin);
        QFETCH(int, width);
        const int w = 400;
        const QRgb background = qRgb(22, 24, 28);
        QImage page = filled(w, 1200, background);
        for (int k = 0; k * 30 < page.height(); ++k)
            for (int y = k * 30 + 8; y < k * 30 + 20; ++y)
                for (int x = 20; x < 100 + int(mix(quint32(k)) % 200); ++x)
                    page.setPixel(x, y, qRgb(200, 200, 200));
        auto frame = [&](int offset) {
            QImage f = view(page, offset, 300);
            QPainter p(&f);
            p.fillRect(w - 38, 0, 30, 300, QColor(margin == background ? background : qRgb(252, 252, 252)));
            p.fillRect(w - 14, 0, 6, 300, QColor(margin));
            p.fillRect(w - 8, 0, 8, 300, QColor(margin == background ? background : qRgb(211, 227, 253)));
            p.fillRect(w - 32, 10 + offset / 8, 18, 60, QColor(139, 139, 139));
            return FrameRows(f);
        };
        QCOMPARE(FrameMatcher::scrollbarWidth(frame(0), frame(120), 120, {}), width);
    }

    void denseSeamOnRowsThatDifferOnlyInSmallDetails_data()
    {
        QTest::addColumn<int>("shift");
        QTest::newRow("not a multiple of the row height") << 97;
        QTest::newRow("exactly three rows") << 120;
        QTest::newRow("one row") << 40;
    }
    void denseSeamOnRowsThatDifferOnlyInSmallDetails()
    {
        QFETCH(int, shift);
        // The sparse samples see equal rows everywhere: a fixed band of a
        // third of the frame and a shift that may be off by whole rows.
        const QImage page = detailedListPage(300, 2000);
        const QImage a = underBands(page, 200, 400, 50);
        const QImage b = underBands(page, 200 + shift, 400, 50);
        const FrameMatcher::Match m = matchFrames(a, b, {400 * 88 / 100, false});
        QVERIFY(m.moved);
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, shift);
        // The header, perhaps with the blank rows above the first icon, but
        // never the entries below.
        QVERIFY2(m.bands.top >= 50 && m.bands.top < 50 + 40, qPrintable(QString::number(m.bands.top)));
        QVERIFY(m.bands.bottom < 40);
        QCOMPARE(m.matchedRows, m.overlapRows);
    }

    void denseChecksSeeSparseText()
    {
        const QImage page = sparseTextPage(400, 1500);
        const QImage a = view(page, 0, 360);
        const QImage b = view(page, 45, 360);
        QVERIFY(!FrameMatcher::sameContent(FrameRows(a), FrameRows(b)));
        const FrameMatcher::Match m = matchFrames(a, b);
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 45);
        // A view that really did not move.
        QVERIFY(FrameMatcher::sameContent(FrameRows(a), FrameRows(view(page, 0, 360))));
        QVERIFY(!matchFrames(a, a.copy()).moved);
    }

    void stepLargerThanTheSharedBandIsNeverConfirmed_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("rows that never repeat") << 0;
        QTest::newRow("rows differing in details") << 1;
        QTest::newRow("sparse text") << 2;
    }
    void stepLargerThanTheSharedBandIsNeverConfirmed()
    {
        QFETCH(int, page);
        const QImage content = page == 0 ? smoothPage(300, 2000, 41) : page == 1 ? detailedListPage(300, 2000)
                                                                                 : sparseTextPage(300, 2000);
        // 60-row sticky header over a 400-row frame: 340 content rows. A
        // step of 345 leaves nothing in common; 330 leaves 10 rows, too few.
        for (int step : {345, 330, 600}) {
            const FrameMatcher::Match m
                = matchFrames(underBands(content, 100, 400, 60), underBands(content, 100 + step, 400, 60));
            QVERIFY(m.moved);
            QVERIFY2(!m.confirmed, qPrintable(QStringLiteral("step %1 confirmed as %2").arg(step).arg(m.shift)));
        }
        // With a third of the band in common it holds.
        const FrameMatcher::Match m
            = matchFrames(underBands(content, 100, 400, 60), underBands(content, 100 + 226, 400, 60));
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 226);
    }

    void blankOrIdenticalOverlapsNeedAMeasuredExpectation()
    {
        // Nothing but blank rows in common: any shift fits, none is confirmed.
        QImage page = filled(300, 2000, qRgb(255, 255, 255));
        const QImage text = smoothPage(300, 60, 3);
        for (int y = 0; y < 60; ++y) {
            memcpy(page.scanLine(y), text.constScanLine(y), 300 * 4);
            memcpy(page.scanLine(700 + y), text.constScanLine(y), 300 * 4);
        }
        QVERIFY(!matchFrames(view(page, 0, 400), view(page, 200, 400)).confirmed);

        // Identical list rows: a shift of a whole number of rows is only
        // settled by a step size measured before.
        const QImage list = periodicPage(300, 2000, 40, 5);
        const QImage a = view(list, 0, 400);
        const QImage b = view(list, 130, 400);
        QVERIFY(!matchFrames(a, b, {130, false}).confirmed);
        const FrameMatcher::Match trusted = matchFrames(a, b, {131, true});
        QVERIFY(trusted.confirmed);
        QCOMPARE(trusted.shift, 130);
        QVERIFY(!matchFrames(a, b, {150, true}).confirmed);
    }

    void fewLabelsInALongPlainStretchProveTheShift()
    {
        // A dark plain page: a picture and a label in the last tenth of the
        // rows in common, plain above them; each column fits standing still
        // nine times in ten, but only the movement explains what shows.
        QImage page = filled(320, 2000, qRgb(34, 34, 34));
        const QImage picture = randomPage(180, 70, 11);
        for (int y = 0; y < 70; ++y)
            memcpy(page.scanLine(620 + y) + 8 * 4, picture.constScanLine(y), 180 * 4);
        for (int y = 596; y < 604; ++y)
            for (int x = 220; x < 290; ++x)
                page.setPixel(x, y, qRgb(90, 30, 30));
        const FrameMatcher::Match m = matchFrames(view(page, 0, 660), view(page, 53, 660));
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 53);
        QVERIFY(m.evidence >= 96);
        // The label went another way than the picture: no shift holds.
        QImage torn = view(page, 53, 660);
        for (int y = 543; y < 551; ++y)
            for (int x = 220; x < 290; ++x) {
                torn.setPixel(x, y, qRgb(34, 34, 34));
                torn.setPixel(x, y + 30, qRgb(90, 30, 30));
            }
        QVERIFY(!matchFrames(view(page, 0, 660), torn).confirmed);
    }

    void contentChangingInPlaceIsNoShift()
    {
        const QImage page = smoothPage(300, 800, 7);
        const QImage a = view(page, 0, 400);
        QImage b = a.copy();
        addToRows(b, 200, 206, 60); // a small animation
        const FrameMatcher::Match m = matchFrames(a, b);
        QVERIFY(m.moved);
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 0);
    }

    void stickyColumnAndChangingCellsStayOutOfTheSeam()
    {
        // A 64-px column that stands still beside the content, and a clock
        // over the content that changes between any two frames.
        const QImage page = smoothPage(300, 1500, 7);
        const QImage column = randomPage(64, 360, 51);
        auto frame = [&](int offset, int tick) {
            QImage f = underBands(page, offset, 400, 40);
            for (int y = 40; y < 400; ++y)
                memcpy(f.scanLine(y), column.constScanLine(y - 40), 64 * 4);
            for (int y = 60; y < 76; ++y)
                for (int x = 200; x < 240; ++x)
                    f.setPixel(x, y, qRgb(tick * 40 % 256, 10, 10));
            return f;
        };
        const FrameRows a(frame(100, 1));
        const FrameRows b(frame(180, 2));
        // The clock contradicts every shift...
        QVERIFY(!FrameMatcher::match(a, b, {}).confirmed);
        // ...until its cells are left out; the column is reported as fixed.
        CellMask clock(400, a.cells());
        for (int y = 56; y < 80; ++y)
            for (int c = 12; c < 16; ++c)
                clock.insert(y, c);
        const FrameMatcher::Match m = FrameMatcher::match(a, b, {0, false, &clock});
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 80);
        QCOMPARE(m.fixedColumns, (FrameMatcher::Columns{{0, 64}}));
        // What the settle step learns from: a change in place in one spot,
        // while a scroll changes rows all over the frame.
        QVERIFY(FrameMatcher::localChange(FrameMatcher::change(FrameRows(frame(100, 1)), FrameRows(frame(100, 2)))));
        QVERIFY(!FrameMatcher::localChange(FrameMatcher::change(a, b)));
        QVERIFY(FrameMatcher::sameContent(FrameRows(frame(100, 1)), FrameRows(frame(100, 2)), &clock));
    }

    void badgeOverTheContentStaysOutOfSeamAndColumns()
    {
        // A boxed clock standing still over text that scrolls beneath it;
        // some of its digits change between the two frames. Beside the text
        // the page is blank, so the clock's columns hold nothing that moves.
        const QImage page = sparseTextPage(300, 2000);
        auto frame = [&](int offset, int time) {
            QImage f = underBands(page, offset, 400, 40);
            QPainter p(&f);
            p.fillRect(QRect(170, 60, 100, 40), QColor(0x99, 0x99, 0x99));
            p.fillRect(QRect(171, 61, 98, 38), QColor(0xf2, 0xf2, 0xf2));
            p.end();
            for (int i = 0, rest = time; i < 6; ++i, rest /= 10)
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 10; ++x)
                        if (mix(quint32((rest % 10) * 1000 + y * 10 + x)) & 1)
                            f.setPixel(250 - i * 14 + x, 70 + y, qRgb(51, 51, 51));
            return f;
        };
        const FrameMatcher::Match m = matchFrames(frame(100, 123456), frame(260, 123479));
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 160);
        QVERIFY(m.fixedColumns.isEmpty());
    }

    void boxFixedAtTheSideIsNoColumn_data()
    {
        QTest::addColumn<int>("boxTop");
        QTest::addColumn<int>("boxEnd");
        // Over most of the 160 rows a long step leaves in common, and below
        // them, in the rows the step brought.
        QTest::newRow("in the rows in common") << 60 << 185;
        QTest::newRow("below them") << 240 << 350;
    }
    void boxFixedAtTheSideIsNoColumn()
    {
        QFETCH(int, boxTop);
        QFETCH(int, boxEnd);
        const QImage page = smoothPage(300, 1500, 7);
        auto frame = [&](int offset) {
            QImage f = underBands(page, offset, 400, 40);
            QPainter p(&f);
            p.setPen(QColor(20, 20, 20));
            p.setBrush(QColor(230, 100, 230));
            p.drawRect(QRect(0, boxTop, 47, boxEnd - boxTop - 1));
            return f;
        };
        const FrameMatcher::Match m = matchFrames(frame(100), frame(300));
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, 200);
        QVERIFY(m.fixedColumns.isEmpty());
        // A fixed element over the content: its rows are covered there.
        for (int y = boxTop; y < boxEnd; ++y)
            QVERIFY2(m.badges.contains(y, 0), qPrintable(QString::number(y)));
        QVERIFY(!m.badges.contains(boxTop, 8));
    }

    void shortBoxInTheRowsAStepBrings_data()
    {
        QTest::addColumn<int>("boxTop");
        QTest::addColumn<int>("lineGap");
        // A step of 60 rows leaves rows 40 to 340 in common. A framed box of
        // short lines entirely in the rows the step brought, at two line
        // spacings.
        QTest::newRow("close lines") << 348 << 14;
        QTest::newRow("lines further apart") << 346 << 18;
    }
    void shortBoxInTheRowsAStepBrings()
    {
        QFETCH(int, boxTop);
        QFETCH(int, lineGap);
        const QImage page = smoothPage(300, 1500, 7);
        const int boxEnd = 390;
        auto frame = [&](int offset) {
            QImage f = underBands(page, offset, 400, 40);
            QPainter p(&f);
            p.setPen(QColor(30, 90, 40));
            p.setBrush(QColor(80, 200, 90));
            p.drawRect(QRect(16, boxTop, 79, boxEnd - boxTop - 1));
            for (int line = boxTop + 6, k = 0; line + 7 < boxEnd; line += lineGap, ++k)
                for (int x = 24 + k * 3 % 8; x < 86; x += 9 + k % 3)
                    p.fillRect(QRect(x, line, 6, 7), QColor(20, 20, 20));
            return f;
        };
        const FrameMatcher::Match m = matchFrames(frame(100), frame(160));
        QVERIFY2(m.confirmed, qPrintable(QStringLiteral("%1 %2,%3 %4x%5").arg(m.contradicting).arg(m.badges.boundingBox().x()).arg(m.badges.boundingBox().y()).arg(m.badges.boundingBox().width()).arg(m.badges.boundingBox().height())));
        QCOMPARE(m.shift, 60);
        // The box is fixed over the content, whole.
        for (int y = boxTop; y < boxEnd; ++y)
            QVERIFY2(m.badges.contains(y, 2), qPrintable(QString::number(y)));
        QVERIFY(!m.badges.contains(boxTop, 9));
    }

    void fewCellsStandingInTheRowsAStepBringsAreNoBox()
    {
        // A speck of a few cells equal in place by chance below the rows in
        // common, over content the first frame showed moving: no badge.
        const QImage page = smoothPage(300, 1500, 7);
        auto frame = [&](int offset) {
            QImage f = underBands(page, offset, 400, 40);
            QPainter p(&f);
            p.fillRect(QRect(100, 360, 20, 4), QColor(20, 20, 20));
            return f;
        };
        const FrameMatcher::Match m = matchFrames(frame(100), frame(160));
        QVERIFY(m.confirmed);
        QVERIFY(!m.badges.contains(361, 6));
    }

    void unconfirmedSeamSaysWhy()
    {
        using Doubt = FrameMatcher::Doubt;
        // Under a 60-row header, 340 content rows: past them, ten rows in
        // common, a third of them.
        const QImage content = smoothPage(300, 2000, 41);
        auto step = [&](int rows) {
            return matchFrames(underBands(content, 100, 400, 60), underBands(content, 100 + rows, 400, 60));
        };
        QCOMPARE(step(600).doubt, Doubt::noShift);
        QCOMPARE(step(330).doubt, Doubt::shortOverlap);
        QCOMPARE(step(226).doubt, Doubt::none);
        // Identical list rows, no step size known.
        const QImage list = periodicPage(300, 2000, 40, 5);
        QCOMPARE(matchFrames(view(list, 0, 400), view(list, 130, 400), {130, false}).doubt, Doubt::ambiguous);
        // A step size measured before settles it, and says so: a step that
        // fell short by whole rows of the list looks just the same.
        const FrameMatcher::Match settled = matchFrames(view(list, 0, 400), view(list, 130, 400), {130, true});
        QVERIFY(settled.confirmed && settled.settledByStep);
        const FrameMatcher::Match fellShort = matchFrames(view(list, 0, 400), view(list, 90, 400), {130, true});
        QVERIFY(!fellShort.confirmed || fellShort.settledByStep);
        QVERIFY(!step(226).settledByStep);
        // A block changing by itself over the content, not left out.
        const QImage page = smoothPage(300, 1500, 7);
        auto clocked = [&](int offset, int tick) {
            QImage f = underBands(page, offset, 400, 40);
            for (int y = 60; y < 76; ++y)
                for (int x = 200; x < 240; ++x)
                    f.setPixel(x, y, qRgb(tick * 40 % 256, 10, 10));
            return f;
        };
        const FrameMatcher::Match changed = matchFrames(clocked(100, 1), clocked(180, 2));
        QCOMPARE(changed.doubt, Doubt::contradicted);
        QVERIFY(changed.contradicting > 12);
    }

    void boxesLeftOutInEveryRowStillPlaceTheShift()
    {
        // Two boxes stand over the content, one over the upper half of the
        // view and one beside it over the lower half, and play something of
        // their own (videos): they are left out, and every row holds some
        // of them. The smooth content beside them must still give the exact
        // shift.
        const QImage page = smoothPage(320, 2000, 23);
        auto frame = [&](int offset, quint32 tick) {
            QImage f = view(page, offset, 400);
            const QImage film = randomPage(80, 400, tick);
            for (int y = 0; y < 400; ++y)
                memcpy(f.scanLine(y) + 4 * (y < 200 ? 128 : 208), film.constScanLine(y), 80 * 4);
            return f;
        };
        const FrameRows a(frame(300, 1));
        const FrameRows b(frame(371, 2));
        CellMask box(400, a.cells());
        for (int y = 0; y < 400; ++y)
            for (int c = y < 200 ? 8 : 13; c < (y < 200 ? 13 : 18); ++c)
                box.insert(y, c);
        for (int expected : {0, 71, 90}) {
            const FrameMatcher::Match m = FrameMatcher::match(a, b, {expected, expected > 0, &box});
            QVERIFY2(m.confirmed, qPrintable(QStringLiteral("expected %1, doubt %2, shift %3")
                                                 .arg(expected)
                                                 .arg(int(m.doubt))
                                                 .arg(m.shift)));
            QCOMPARE(m.shift, 71);
        }
        // A step past the shared rows is still no seam.
        const FrameMatcher::Match far = FrameMatcher::match(a, FrameRows(frame(720, 2)), {0, false, &box});
        QVERIFY(!far.confirmed);
    }

    void plainViewApartFromWhatStandsOverIt()
    {
        // A plain stretch under a header, with a clock standing over it: no
        // movement can show there once the clock's cells are left out.
        QImage f = filled(200, 300, qRgb(250, 250, 250));
        QPainter p(&f);
        p.fillRect(0, 0, 200, 30, QColor(20, 40, 90));
        p.fillRect(120, 200, 40, 20, QColor(200, 30, 30));
        p.end();
        const FrameRows frame(f);
        QVERIFY(!FrameMatcher::blank(frame, {30, 0}));
        CellMask clock(300, frame.cells());
        for (int y = 200; y < 220; ++y)
            for (int c = 7; c < 10; ++c)
                clock.insert(y, c);
        QVERIFY(FrameMatcher::blank(frame, {30, 0}, &clock));
        // Nothing left to look at says nothing.
        CellMask all(300, frame.cells());
        all.unite(clock, 300, frame.cells());
        QVERIFY(!FrameMatcher::blank(frame, {30, 0}, &all));
    }

    void stitchStacksStripsIntoExactRows()
    {
        QList<StitchStrip> strips;
        strips.append({filled(100, 30, qRgb(255, 0, 0)), 30});
        strips.append({filled(100, 20, qRgb(0, 255, 0)), 20});
        strips.append({filled(120, 10, qRgb(0, 0, 255)), 10}); // wider: cut at 100
        const QImage out = stitchStrips(strips, 100, 70);
        QCOMPARE(out.size(), QSize(100, 70));
        QCOMPARE(out.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(99, 29), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(0, 30), qRgb(0, 255, 0));
        QCOMPARE(out.pixel(50, 49), qRgb(0, 255, 0));
        QCOMPARE(out.pixel(99, 50), qRgb(0, 0, 255));
        QCOMPARE(out.pixel(0, 59), qRgb(0, 0, 255));
        // Rows no strip reached stay transparent.
        QCOMPARE(qAlpha(out.pixel(0, 60)), 0);
        QCOMPARE(qAlpha(out.pixel(99, 69)), 0);
        // Real content survives row for row.
        const QImage page = randomPage(64, 90, 31);
        const QImage joined = stitchStrips({{page.copy(0, 0, 64, 50), 50}, {page.copy(0, 50, 64, 40), 40}}, 64, 90);
        QCOMPARE(joined.convertToFormat(QImage::Format_RGB32), page);
    }

    void stitchTooLargeFailsWithAMessage()
    {
        try {
            stitchStrips({{filled(10, 10, 0), 10}}, 40000, 200000);
            QFAIL("no error");
        } catch (const CaptureError& error) {
            QCOMPARE(error.message(), QStringLiteral("Zu großes Bild für den Bildspeicher."));
        }
        QVERIFY_THROWS_EXCEPTION(CaptureError, stitchStrips({}, 0, 10));
    }
};

ZENTU_TEST_MAIN(TestFrameAnalysis)
#include "tst_frameanalysis.moc"
