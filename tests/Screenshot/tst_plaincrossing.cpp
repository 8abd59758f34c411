// Steps across a stretch of one colour: only whole rows per click, so that
// steps added up never drift from where the content is, and never more than
// half the band, so that every row of the stretch shows in some frame. And
// the step before the stretch, taken at the clicks' distance only where the
// few rows of content left fit it and nothing else.
#include "Screenshot/CellMask.h"
#include "Screenshot/PlainCrossing.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int width = 320;
constexpr int height = 400;
const QColor paper(250, 250, 250);

// A page of labels (blocks of glyph-like marks, placed from `seed`) that
// ends in a plain stretch at row `contentEnd`, as the view shows it from row
// `offset`; a box of noise stands over the view at `box` when given (what a
// shadow over changing content looks like).
QImage view(quint32 seed, int contentEnd, int offset, QRect box = {})
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(paper);
    QPainter p(&image);
    QRandomGenerator gen(seed);
    for (int y = 8; y + 12 < contentEnd; y += 18 + gen.bounded(10)) {
        for (int x = 10; x < width - 80; x += 7 + gen.bounded(6)) {
            const int h = 6 + gen.bounded(6);
            p.fillRect(QRect(x, y - offset, 4 + gen.bounded(3), h), QColor(30, 30, 30));
        }
    }
    if (!box.isNull()) {
        QRandomGenerator noise(seed + quint32(offset));
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                image.setPixel(x, y, qRgb(noise.bounded(256), noise.bounded(256), noise.bounded(256)));
    }
    return image;
}

CellMask cellsOf(QRect box, const FrameRows& frame)
{
    CellMask mask(frame.height(), frame.cells());
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int c = box.left() / FrameRows::cellWidth; c <= box.right() / FrameRows::cellWidth; ++c)
            mask.insert(y, c);
    return mask;
}

} // namespace

class TestPlainCrossing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stepsStayWithinHalfTheBand()
    {
        QCOMPARE(PlainCrossing::stepClicks(400, 60), std::optional<int>(3));
        QCOMPARE(PlainCrossing::stepClicks(120, 60), std::optional<int>(1));
        // One click moves more than half the band: rows would go unseen.
        QCOMPARE(PlainCrossing::stepClicks(100, 60), std::nullopt);
        QCOMPARE(PlainCrossing::stepClicks(400, 0), std::nullopt);
    }

    void onlyWholeRowsPerClickAddUp()
    {
        QCOMPARE(PlainCrossing::rows(3, 53.0), std::optional<int>(159));
        QCOMPARE(PlainCrossing::rows(4, 56.998), std::optional<int>(228));
        // A click of a fraction of rows: twenty steps would drift by rows.
        QCOMPARE(PlainCrossing::rows(3, 53.33), std::nullopt);
        QCOMPARE(PlainCrossing::rows(0, 53.0), std::nullopt);
    }

    void stepBeforeTheStretchFitsOnlyItsDistance_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {3u, 17u, 41u, 96u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void stepBeforeTheStretchFitsOnlyItsDistance()
    {
        QFETCH(quint32, seed);
        const FrameMatcher::Bands bands;
        const FrameMatcher::Match unpinned;
        // The content ends in the lower half of the first view: after a
        // step of 150 rows only its last rows show above the stretch.
        const FrameRows before(view(seed, 300, 0));
        const FrameRows after(view(seed, 300, 150));
        QVERIFY(PlainCrossing::stepFits(before, after, 150, bands, nullptr, unpinned));
        // A click's distance the view did not go, a row off or a good deal.
        QVERIFY(!PlainCrossing::stepFits(before, after, 149, bands, nullptr, unpinned));
        QVERIFY(!PlainCrossing::stepFits(before, after, 120, bands, nullptr, unpinned));
        // A view that stood still (at the end) fits any distance's rows.
        QVERIFY(!PlainCrossing::stepFits(before, FrameRows(view(seed, 300, 0)), 150, bands, nullptr, unpinned));
        // Nothing left to tell rows apart: the content went out of view.
        const FrameRows gone(view(seed, 300, 310));
        QVERIFY(!PlainCrossing::stepFits(before, gone, 310, bands, nullptr, unpinned));
    }

    void whatStandsOverTheContentIsLeftOutOnlyWhereKnown()
    {
        const FrameMatcher::Bands bands;
        const FrameMatcher::Match unpinned;
        const QRect box(200, 30, 40, 40);
        const FrameRows before(view(5, 300, 0, box));
        const FrameRows after(view(5, 300, 150, box));
        QVERIFY(!PlainCrossing::stepFits(before, after, 150, bands, nullptr, unpinned));
        const CellMask known = cellsOf(box, before);
        QVERIFY(PlainCrossing::stepFits(before, after, 150, bands, &known, unpinned));
    }

    // A view of the stretch with a box fixed over it (placed from the seed):
    // the box is what stands over it, as long as it stays small beside the
    // view; a view with content across it, or nothing over it, has none.
    void whatStandsOverAStretch_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {2u, 11u, 58u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void whatStandsOverAStretch()
    {
        QFETCH(quint32, seed);
        QRandomGenerator gen(seed);
        const QRect box(gen.bounded(10, width - 120), gen.bounded(10, height - 100), gen.bounded(30, 70),
                        gen.bounded(20, 80));
        const FrameMatcher::Bands bands;
        const FrameRows stretch(view(seed, 0, 0, box));
        const std::optional<CellMask> over = PlainCrossing::standingOver(stretch, bands, nullptr);
        QVERIFY(over.has_value());
        const CellMask cells = cellsOf(box, stretch);
        QCOMPARE(over->count(), cells.count());
        for (int y = 0; y < height; ++y)
            for (int c = 0; c < stretch.cells(); ++c)
                QCOMPARE(over->contains(y, c), cells.contains(y, c));
        // Where the box stood, it must stand in the next view too.
        QVERIFY(PlainCrossing::alikeIn(stretch, FrameRows(view(seed, 0, 0, box)), *over));
        QVERIFY(!PlainCrossing::alikeIn(stretch, FrameRows(view(seed, 0, 0, box.translated(0, 30))), *over));
        // Content across the view is no stretch; a plain one has nothing
        // standing over it.
        QVERIFY(!PlainCrossing::standingOver(FrameRows(view(seed, 300, 0, box)), bands, nullptr));
        QVERIFY(!PlainCrossing::standingOver(FrameRows(view(seed, 0, 0)), bands, nullptr));
    }
};

QTEST_MAIN(TestPlainCrossing)
#include "tst_plaincrossing.moc"
