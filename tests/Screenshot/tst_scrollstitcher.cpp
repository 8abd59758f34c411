// How the tall picture is built from frames whose place is known: every row
// once, from a frame where nothing fixed covered it; the header once at the
// top, the footer and a cover low in the view once at the end; a cover
// pasted into the middle or rows no frame showed counted so the result can
// say it is incomplete; how far a step may go around covers; rows near the
// bottom a shadow may darken, and rows a page grew into, taken again.
#include "Screenshot/ScrollStitcher.h"
#include "fakes/FakeScrollWorld.h"

#include <QPainter>
#include <QTest>

namespace {

constexpr int width = 120;
constexpr int height = 200;
constexpr int header = 20;
constexpr int footer = 10;
const QRgb headerColour = qRgb(10, 20, 200);
const QRgb footerColour = qRgb(200, 20, 10);
const QRgb coverColour = qRgb(250, 200, 0);

QImage joined(const QList<StitchStrip>& strips)
{
    int total = 0;
    for (const StitchStrip& s : strips)
        total += s.height;
    return stitchStrips(strips, width, total).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestScrollStitcher : public QObject {
    Q_OBJECT

    const QImage page = FakeScrollWorld::makeContent(width, 2000).convertToFormat(QImage::Format_RGB32);

    // The view at `offset` of the page: a header and a footer, and a cover
    // over frame rows [coverTop, coverEnd) of the content (none when empty).
    ScrollStitcher::Frame frame(int offset, int coverTop = 0, int coverEnd = 0) const
    {
        QImage f(width, height, QImage::Format_RGB32);
        QPainter p(&f);
        p.drawImage(0, header, page, 0, offset, width, height - header - footer);
        p.fillRect(0, 0, width, header, headerColour);
        p.fillRect(0, height - footer, width, footer, footerColour);
        if (coverEnd > coverTop)
            p.fillRect(30, coverTop, 60, coverEnd - coverTop, coverColour);
        p.end();
        ScrollStitcher::Frame out{f, offset, header, height - footer, std::vector<bool>(size_t(height), false)};
        for (int y = coverTop; y < coverEnd; ++y)
            out.covered[size_t(y)] = true;
        return out;
    }
    // The picture a whole capture of the page down to `offset` gives.
    QImage expected(int lastOffset) const
    {
        const int content = lastOffset + height - header - footer;
        QImage e(width, header + content + footer, QImage::Format_RGB32);
        QPainter p(&e);
        p.fillRect(0, 0, width, header, headerColour);
        p.drawImage(0, header, page, 0, 0, width, content);
        p.fillRect(0, header + content, width, footer, footerColour);
        return e;
    }

private Q_SLOTS:
    void rowsComeOnceFromUncoveredViews_data()
    {
        QTest::addColumn<int>("coverTop");
        QTest::addColumn<int>("coverEnd");
        QTest::addColumn<int>("step");
        QTest::newRow("nothing over the content") << 0 << 0 << 70;
        QTest::newRow("a bubble low in the view, small steps") << 150 << 175 << 40;
        QTest::newRow("a banner low in the view") << 140 << 190 << 60;
        QTest::newRow("a badge in the middle") << 90 << 120 << 50;
        QTest::newRow("a bar under the header") << 20 << 40 << 90;
    }
    void rowsComeOnceFromUncoveredViews()
    {
        QFETCH(int, coverTop);
        QFETCH(int, coverEnd);
        QFETCH(int, step);
        ScrollStitcher stitcher;
        stitcher.begin(frame(0, coverTop, coverEnd));
        int offset = 0;
        for (int i = 0; i < 10; ++i) {
            offset += step;
            QVERIFY(stitcher.add(frame(offset, coverTop, coverEnd)));
        }
        const QImage out = joined(stitcher.finish(frame(offset, coverTop, coverEnd)));
        QCOMPARE(stitcher.holes(), 0);
        QCOMPARE(stitcher.coverInside(), 0);
        // The cover shows once: where the first view had it when it stands
        // right under the header (the rows under it never came uncovered),
        // where the last view has it when it stands low (the rows under it
        // came into view with the last step), nowhere in between.
        QImage want = expected(offset);
        QPainter p(&want);
        if (coverTop == header)
            p.fillRect(30, coverTop, 60, coverEnd - coverTop, coverColour);
        else if (coverEnd + step > height - footer)
            p.fillRect(30, offset + coverTop, 60, coverEnd - coverTop, coverColour);
        p.end();
        QCOMPARE(out, want);
    }

    void coverPastedInTheMiddleOrRowsMissedAreCounted()
    {
        // A cover over rows 60-150 and steps of 150: a row is under it in
        // one view and gone under the header in the next.
        ScrollStitcher pasted;
        pasted.begin(frame(0, 60, 150));
        QVERIFY(pasted.add(frame(150, 60, 150)));
        QVERIFY(pasted.add(frame(300, 60, 150)));
        QVERIFY(pasted.unseenCovered(frame(450, 60, 150), 150) > 0);
        pasted.finish(frame(300, 60, 150));
        QVERIFY(pasted.coverInside() > 0);
        // Steps of 30 show every row uncovered below the cover first.
        ScrollStitcher small;
        small.begin(frame(0, 60, 150));
        QCOMPARE(small.unseenCovered(frame(30, 60, 150), 30), 0);
        // A box lower in the first view: the first step must show the rows
        // under it, else they count (those under a bar right below the
        // header no view shows: they stay as the first view has them).
        ScrollStitcher first;
        QVERIFY(first.unseenCovered(frame(0, 110, 150), 150) > 0);
        QCOMPARE(first.unseenCovered(frame(0, 110, 150), 60), 0);
        QCOMPARE(first.unseenCovered(frame(0, 20, 40), 150), 0);
        first.begin(frame(0, 110, 150), frame(0, 110, 150).covered);
        QVERIFY(first.add(frame(150, 110, 150)));
        first.finish(frame(150, 110, 150));
        QVERIFY(first.coverInside() > 0);
        // A step past everything the last view showed leaves a hole.
        ScrollStitcher skipped;
        skipped.begin(frame(0));
        QVERIFY(!skipped.add(frame(200)));
        skipped.finish(frame(200));
        QVERIFY(skipped.holes() > 0);
    }

    void aShadowOverTheBottomShowsOnceAfterItsBandWasMeasured()
    {
        // A shadow over content rows 170-190 that the seam counts to the
        // bottom band in some views only; in the others those rows look like
        // content. Once the band was measured, the shadow shows once, at the
        // end, and every row above it comes from a clear view.
        const QList<QList<bool>> measuredIn{{true, false, false, true, false, false},
                                            {true, false, true, false, false, true}};
        const auto bandAt = [&](int offset, int end) {
            ScrollStitcher::Frame f = frame(offset, 170, 190);
            f.covered.assign(size_t(height), false);
            f.contentEnd = end;
            return f;
        };
        for (const QList<bool>& measured : measuredIn) {
            const auto view = [&](int offset, bool bandMeasured) {
                return bandAt(offset, bandMeasured ? 170 : height - footer);
            };
            ScrollStitcher stitcher;
            stitcher.begin(view(0, measured[0]));
            int offset = 0;
            for (int i = 1; i < measured.size(); ++i) {
                offset += 60;
                QVERIFY(stitcher.add(view(offset, measured[i])));
            }
            const QImage out = joined(stitcher.finish(view(offset, measured.last())));
            QCOMPARE(stitcher.holes(), 0);
            QCOMPARE(stitcher.coverInside(), 0);
            QImage want = expected(offset);
            QPainter p(&want);
            p.fillRect(30, offset + 170, 60, 20, coverColour);
            p.end();
            QCOMPARE(out, want);
        }
    }

    void aShadowOverTheLastRowsComesFromHigherViews_data()
    {
        QTest::addColumn<bool>("clock");
        QTest::newRow("shadow") << false;
        QTest::newRow("shadow and a ticking clock") << true;
    }
    void aShadowOverTheLastRowsComesFromHigherViews()
    {
        // A banner below the view casts a shadow over its last 12 content
        // rows that no seam tells from content; a clock may tick over the
        // last rows too (its rows covered). Every row above comes from a
        // view without the shadow, and the last view's rows stay whole.
        QFETCH(bool, clock);
        const int shadowTop = height - footer - 12;
        int tick = 0;
        const auto view = [&](int offset) {
            ScrollStitcher::Frame f = frame(offset);
            for (int y = shadowTop; y < height - footer; ++y) {
                QRgb* line = reinterpret_cast<QRgb*>(f.image.scanLine(y));
                const int keep = 100 - 4 * (y - shadowTop + 1);
                for (int x = 0; x < width; ++x)
                    line[x] = qRgb(qRed(line[x]) * keep / 100, qGreen(line[x]) * keep / 100, qBlue(line[x]) * keep / 100);
            }
            if (clock) {
                QPainter(&f.image).fillRect(90, height - footer - 16, 25, 14, QColor::fromHsv(tick++ * 40 % 360, 200, 200));
                for (int y = height - footer - 16; y < height - footer - 2; ++y)
                    f.covered[size_t(y)] = true;
            }
            return f;
        };
        ScrollStitcher stitcher;
        stitcher.begin(view(0));
        int offset = 0;
        for (const int step : {70, 150, 20, 150}) {
            offset += step;
            QVERIFY(stitcher.add(view(offset)));
        }
        const ScrollStitcher::Frame last = view(offset);
        const QImage out = joined(stitcher.finish(last));
        QCOMPARE(stitcher.holes(), 0);
        QCOMPARE(stitcher.coverInside(), 0);
        QImage want = expected(offset);
        QPainter(&want).drawImage(0, offset + shadowTop - 4, last.image, 0, shadowTop - 4, width, 16);
        QCOMPARE(out, want);
    }

    // Rows taken clean from the bottom of a view that a later view showed
    // otherwise (a bar over them there, perhaps): a later clean view takes
    // their place; without one they count, unless a later look tells.
    void distrustedRowsComeFromALaterViewOrCount()
    {
        auto barred = [this](int offset) {
            ScrollStitcher::Frame f = frame(offset, 180, 185);
            f.covered.assign(size_t(height), false); // taken for content
            return f;
        };
        auto distrusted = [&](ScrollStitcher& stitcher) {
            stitcher.begin(frame(0));
            QVERIFY(stitcher.add(barred(60)));
            for (int y = 180; y < 185; ++y)
                stitcher.distrust(60 + y);
        };
        ScrollStitcher later;
        distrusted(later);
        QVERIFY(later.add(frame(120)));
        QCOMPARE(joined(later.finish(frame(120))), expected(120));
        QCOMPARE(later.coverInside(), 0);

        // The next view, the last, shows them otherwise and counts them
        // covered (it disagreed with the one before there).
        ScrollStitcher::Frame odd = frame(120);
        for (int y = 120; y < 125; ++y)
            odd.covered[size_t(y)] = true;
        ScrollStitcher none;
        distrusted(none);
        QVERIFY(none.add(odd));
        none.finish(odd);
        QCOMPARE(none.coverInside(), 5);

        // A look at that view after told.
        ScrollStitcher told;
        distrusted(told);
        QVERIFY(told.add(odd));
        for (int y = 120; y < 125; ++y)
            told.take(frame(120), y);
        QCOMPARE(joined(told.finish(frame(120))), expected(120));
        QCOMPARE(told.coverInside(), 0);

        // One that shows them covered but just as held confirms them.
        ScrollStitcher confirmed;
        distrusted(confirmed);
        QVERIFY(confirmed.add(frame(120, 120, 125)));
        confirmed.finish(frame(120, 120, 125));
        QCOMPARE(confirmed.coverInside(), 0);
    }

    // A box told only after some strips (nothing seemed to cover it): the
    // rows taken from under it come again from the views kept where they
    // show clear, or from later views; rows no view kept or to come shows
    // clear count as covered.
    void rowsUnderABoxToldLateAreTakenAgain()
    {
        std::vector<bool> over(size_t(height), false);
        for (int y = 100; y < 130; ++y)
            over[size_t(y)] = true;
        auto unknown = [this](int offset) {
            ScrollStitcher::Frame f = frame(offset, 100, 130);
            f.covered.assign(size_t(height), false);
            return f;
        };
        auto strips = [&](ScrollStitcher& stitcher) {
            stitcher.begin(unknown(0));
            QVERIFY(stitcher.add(unknown(50)));
            QVERIFY(stitcher.add(unknown(100)));
        };

        ScrollStitcher kept;
        strips(kept);
        QCOMPARE(kept.coverAgain(over, {unknown(0), unknown(50), unknown(100)}), 0);
        QVERIFY(kept.add(frame(150, 100, 130)));
        QCOMPARE(joined(kept.finish(frame(150, 100, 130))), expected(150));
        QCOMPARE(kept.coverInside(), 0);

        // None kept: the next view shows what the two views before took
        // from under the box (their rows near the bottom had given way to
        // a higher view: the box's), but not the first view's rows, nor
        // the eleven that went under its header.
        ScrollStitcher lost;
        strips(lost);
        QCOMPARE(lost.coverAgain(over, {}), 72);
        QVERIFY(lost.add(frame(150, 100, 130)));
        lost.finish(frame(150, 100, 130));
        QCOMPARE(lost.coverInside(), 30 + 11);
    }

    void rowsAPageGrewIntoAreTakenAgain()
    {
        // The view stands at the end of a page whose last rows (from page
        // row 240 on) are a plain end; items appended there show in place
        // of it without the view moving, and the run goes on below.
        const QImage grown = page;
        QImage ended = page.copy();
        QPainter(&ended).fillRect(0, 240, width, ended.height() - 240, Qt::white);
        const auto view = [&](const QImage& content, int offset) {
            ScrollStitcher::Frame f = frame(offset);
            QPainter(&f.image).drawImage(0, header, content, 0, offset, width, height - header - footer);
            return f;
        };
        ScrollStitcher stitcher;
        stitcher.begin(view(ended, 0));
        QVERIFY(stitcher.add(view(ended, 100)));
        // Nothing changed yet: all agree, also where the header's shadow
        // darkens the rows below it, but not where something new is as dark
        // there (nor where a little brighter).
        QCOMPARE(stitcher.firstChanged(view(ended, 100), width), -1);
        ScrollStitcher::Frame shadowed = view(ended, 100);
        for (int r = 0; r < 12; ++r)
            QPainter(&shadowed.image).fillRect(0, header + r, width, 1, QColor(0, 0, 0, 60 - r * 4));
        QCOMPARE(stitcher.firstChanged(shadowed, width), -1);
        ScrollStitcher::Frame darker = shadowed;
        darker.image = shadowed.image.copy();
        QPainter(&darker.image).fillRect(40, header + 3, 8, 1, Qt::black);
        QCOMPARE(stitcher.firstChanged(darker, width), 3 + header);
        ScrollStitcher::Frame lighter = view(ended, 100);
        for (int x = 0; x < width; ++x) {
            const QRgb p = lighter.image.pixel(x, header + 5);
            lighter.image.setPixel(x, header + 5, qRgb(qMin(255, qRed(p) + 3), qMin(255, qGreen(p) + 3), qMin(255, qBlue(p) + 3)));
        }
        QCOMPARE(stitcher.firstChanged(lighter, width), header + 5);
        // Below the shadow's reach, any difference counts.
        ScrollStitcher::Frame lower = view(ended, 100);
        QPainter(&lower.image).fillRect(0, header + ScrollStitcher::shadowRows + 4, width, 1, QColor(0, 0, 0, 30));
        QCOMPARE(stitcher.firstChanged(lower, width), header + ScrollStitcher::shadowRows + 4);
        const ScrollStitcher::Frame there = view(grown, 100);
        const int changed = stitcher.firstChanged(there, width);
        QCOMPARE(changed, header + 240 - 100);
        stitcher.retake(there, changed);
        QVERIFY(stitcher.add(there));
        QVERIFY(stitcher.add(view(grown, 250)));
        QCOMPARE(joined(stitcher.finish(view(grown, 250))), expected(250));
        QCOMPARE(stitcher.holes(), 0);
    }

    void sideColumnsAndBlankEndFollowTheFirstView()
    {
        ScrollStitcher stitcher;
        std::vector<bool> fixed(size_t(width), false);
        for (int x = 0; x < 16; ++x)
            fixed[size_t(x)] = true;
        stitcher.setFixedColumns(fixed, std::vector<QRgb>(size_t(width), qRgb(1, 2, 3)));
        stitcher.begin(frame(0));
        QVERIFY(stitcher.add(frame(100)));
        stitcher.addBlank(40, qRgb(255, 255, 255));
        const QImage out = joined(stitcher.finish(frame(100)));
        QCOMPARE(out.height(), height + 100 + 40);
        // The first view's rows keep their column; later rows get its fill.
        QCOMPARE(out.pixel(5, header + 10), page.pixel(5, 10));
        QCOMPARE(out.pixel(5, height), qRgb(1, 2, 3));
        QCOMPARE(out.pixel(60, height - footer + 100 + 20), qRgb(255, 255, 255));
        QCOMPARE(out.pixel(60, out.height() - 1), footerColour);
        // How far a step may go: down to a cover over the lower half.
        QCOMPARE(ScrollStitcher::stepRows(frame(0, 150, 190)), 150 - header);
        QCOMPARE(ScrollStitcher::stepRows(frame(0, 30, 60)), height - footer - header);
    }
};

QTEST_MAIN(TestScrollStitcher)
#include "tst_scrollstitcher.moc"
