// Steps taken at the distance measured steps moved, where the frames hold
// too little to measure it: a dark page's plain stretch between small
// labels, at scale 1 and 2; what the pixels or a scrollbar's thumb say
// against it; a later measured step that proves the distance unsteady; and
// the first steps of a run over a plain stretch, taken at the distance the
// steps after them measured.
#include "Screenshot/KnownShift.h"

#include <QPainter>
#include <QTest>

namespace {

constexpr int width = 400;
constexpr int height = 300;
constexpr int bar = 14;
const QColor dark(24, 26, 30);

// A dark page `length` rows long with small labels at the given rows (and
// rules across at `rules`), as the view shows it from row `offset`; with a
// classic scrollbar when `thumb`.
QImage view(const QList<int>& labels, int offset, int length, bool thumb, int scale = 1, const QList<int>& rules = {})
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(dark);
    QPainter p(&image);
    for (int y : rules)
        p.fillRect(QRect(10, y - offset, width - bar - 60, 2), QColor(90, 90, 96));
    for (int i = 0; i < labels.size(); ++i) {
        const int y = labels[i] - offset;
        // A few glyph-like blocks, different per label.
        for (int k = 0; k < 5; ++k)
            p.fillRect(QRect((30 + k * 9 + i * 3) * scale % (width - bar - 40), y + (k % 2) * scale, 6 * scale,
                             (8 + k) * scale),
                       QColor(200, 200, 210));
    }
    if (thumb) {
        p.fillRect(QRect(width - bar, 0, bar, height), QColor(40, 42, 46));
        const int thumbRows = qMax(20, height * height / qMax(1, length));
        const int top = offset * height / qMax(1, length);
        p.fillRect(QRect(width - bar + 3, top, bar - 6, thumbRows), QColor(120, 120, 126));
    }
    return image;
}

// The views `steps` steps of `step` rows apart from the top, and what the
// matcher found between each two in a row.
struct Steps
{
    QList<FrameRows> frames;
    QList<FrameMatcher::Match> found;
};
Steps steps(const QList<int>& labels, int count, int step, int length, bool thumb)
{
    Steps out;
    for (int i = 0; i <= count; ++i) {
        out.frames.append(FrameRows(view(labels, i * step, length, thumb)));
        if (i > 0)
            out.found.append(FrameMatcher::match(out.frames[i - 1], out.frames[i], {}));
    }
    return out;
}

// The right edge of a window around a section (the page seen from row
// `offset` of `length`): a toolbar over a classic scrollbar's track, its
// thumb where the view stands; `travel` moves the thumb that much further.
QImage windowEdge(int offset, int length, bool thumb = true, int travel = 0)
{
    QImage image(60, height + 40, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 250));
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 60, 40), QColor(210, 214, 220));
    p.fillRect(QRect(60 - bar, 40, bar, height), QColor(236, 236, 236));
    if (thumb) {
        const int rows = qMax(20, height * height / qMax(1, length));
        p.fillRect(QRect(60 - bar + 3, 40 + offset * height / qMax(1, length) + travel, bar - 6, rows),
                   QColor(160, 160, 160));
    }
    return image;
}

} // namespace

class TestKnownShift : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A label leaves the view and only the plain stretch follows: the known
    // distance fits, standing still does not; at scale 2 the distance is
    // twice as large and fits the same way.
    void labelLeavingForAPlainStretch_data()
    {
        QTest::addColumn<int>("scale");
        QTest::newRow("scale 1") << 1;
        QTest::newRow("scale 2") << 2;
    }
    void labelLeavingForAPlainStretch()
    {
        QFETCH(int, scale);
        const int step = 60 * scale;
        // The next label comes in at the bottom.
        const QList<int> labels = {40, height - 40 + step};
        const FrameRows a(view(labels, 0, 2000, false, scale));
        const FrameRows b(view(labels, step, 2000, false, scale));
        const FrameMatcher::Match measured = FrameMatcher::match(a, b, {step, true, nullptr});
        QVERIFY(!measured.confirmed || measured.shift <= 3); // the frames alone cannot tell

        KnownShift known;
        const std::optional<FrameMatcher::Match> m = known.assume(a, b, step, 0, {}, nullptr, measured);
        QVERIFY(m);
        QCOMPARE(m->shift, step);
        QVERIFY(m->confirmed);
        QCOMPARE(known.assumed(), 1);
        // Nothing in the rows both share: ending here, the view may have
        // stopped short at the end.
        QVERIFY(known.lastUnverified());
        // A view all one colour after the step: taken, and as unpinned.
        const FrameRows plain(view({40}, step, 2000, false, scale));
        QVERIFY(known.assume(a, plain, step, 0, {}, nullptr, FrameMatcher::match(a, plain, {})));
        QVERIFY(known.lastUnverified());
        // A distance off by a few rows: the label, still in both frames, says no.
        const FrameRows c(view({120, 900}, 0, 2000, false, scale));
        const FrameRows d(view({120, 900}, step, 2000, false, scale));
        QVERIFY(!known.assume(c, d, step + 3, 0, {}, nullptr, FrameMatcher::match(c, d, {})));
        QVERIFY(known.assume(c, d, step, 0, {}, nullptr, FrameMatcher::match(c, d, {})));
        QVERIFY(!known.lastUnverified()); // the label in both frames pins it
    }

    // A view caught half redrawn: its lower half still shows what stood
    // there; the rows both frames share agree, the new ones do not move.
    void halfRedrawnViewIsNoStep()
    {
        const QList<int> labels = {40, 250};
        const FrameRows a(view(labels, 0, 2000, false, 1, {270}));
        QImage torn = view(labels, 200, 2000, false, 1, {270});
        for (int y = height / 2; y < height; ++y)
            memcpy(torn.scanLine(y), a.image().constScanLine(y), size_t(torn.bytesPerLine()));
        const FrameRows b(torn);
        KnownShift known;
        QVERIFY(!known.assume(a, b, 200, 0, {}, nullptr, FrameMatcher::match(a, b, {})));
    }

    // Dotted rules across the view come in at the bottom of a plain view:
    // the plain rows next to them are alike in both frames, yet nothing in
    // them stood where it stood, and the thumb moved as far. A view whose
    // lower half still shows the rules where they stood is no step.
    void rulesComingIntoAPlainView()
    {
        const int step = 100;
        const int length = 3000;
        auto withRules = [](QImage image, int offset) {
            QPainter p(&image);
            for (int row : {660, 668, 690})
                for (int x = 10; x + 12 < width - bar; x += 30)
                    p.fillRect(QRect(x, row - offset, 12, 1), QColor(210, 210, 216));
            return image;
        };
        const FrameRows a(withRules(view({}, 300, length, true), 300));
        const FrameRows b(withRules(view({}, 400, length, true), 400));
        const FrameMatcher::Match measured = FrameMatcher::match(a, b, {step, true, nullptr});
        QVERIFY(!measured.confirmed || measured.shift <= 3); // the frames alone cannot tell
        KnownShift known;
        const std::optional<FrameMatcher::Match> m = known.assume(a, b, step, bar, {}, nullptr, measured);
        QVERIFY(m);
        QCOMPARE(m->shift, step);

        // The same rules standing where they stood in both frames.
        const FrameRows c(withRules(view({}, 300, length, true), 400));
        const FrameRows d(withRules(view({}, 400, length, true), 400));
        QVERIFY(!known.assume(c, d, step, bar, {}, nullptr, FrameMatcher::match(c, d, {step, true, nullptr})));
    }

    // Nothing changed in the view: only a thumb that moved as far as the
    // distance moves it lets the step count; a thumb that stood still is the
    // end, one that moved otherwise says the distance is wrong.
    void plainViewsAndTheThumb()
    {
        const QList<int> labels = {1500};
        const FrameRows a(view(labels, 300, 3000, true));
        const FrameRows moved(view(labels, 400, 3000, true));
        const FrameRows still(view(labels, 300, 3000, true));
        const FrameRows further(view(labels, 600, 3000, true));
        const FrameMatcher::Match m = FrameMatcher::match(a, moved, {});
        QVERIFY(!m.moved);

        KnownShift known;
        QVERIFY(!known.assume(a, moved, 100, 0, {}, nullptr, m)); // no bar: nothing tells it moved
        QVERIFY(!known.assume(a, still, 100, bar, {}, nullptr, FrameMatcher::match(a, still, {})));
        QVERIFY(!known.assume(a, further, 100, bar, {}, nullptr, FrameMatcher::match(a, further, {})));
        const std::optional<FrameMatcher::Match> ok = known.assume(a, moved, 100, bar, {}, nullptr, m);
        QVERIFY(ok);
        QCOMPARE(ok->shift, 100);

        const std::optional<KnownShift::Thumb> t = KnownShift::thumb(a.image(), width - bar, 0, height);
        QVERIFY(t);
        QCOMPARE(t->top, 30);
        QCOMPARE(t->length(), 30);
    }

    // Without a thumb, a view that looks the same after the step is a plain
    // stretch taller than the view, or the end: taken a few times in a row
    // after the label left, all of them unpinned until the view moves on,
    // and taken back together. A thumb that moved unknown as one, or a
    // label standing in the view, is no plain stretch.
    void plainStretchTallerThanTheView()
    {
        const int step = 100;
        const QList<int> labels = {40, 1000};
        QList<FrameRows> views;
        for (int offset = 0; offset <= 800; offset += step)
            views.append(FrameRows(view(labels, offset, 3000, false)));
        auto assume = [&](KnownShift& known, int from) {
            const FrameRows& a = views[from];
            const FrameRows& b = views[from + 1];
            return known.assume(a, b, step, 0, {}, nullptr, FrameMatcher::match(a, b, {}));
        };
        KnownShift known;
        QVERIFY(assume(known, 0)); // the label leaves
        QVERIFY(!known.lastStill());
        for (int i = 1; i <= KnownShift::stillStepsMax; ++i) {
            QVERIFY2(assume(known, i), qPrintable(QString::number(i)));
            QVERIFY(known.lastStill());
            QVERIFY(known.lastUnverified());
        }
        QVERIFY(!assume(known, KnownShift::stillStepsMax + 1)); // as far as one trusts the distance blind
        QCOMPARE(known.assumed(), KnownShift::stillStepsMax + 1);
        known.withdraw(); // the view stood still after them: all of them go
        QCOMPARE(known.assumed(), 0);
        QVERIFY(!known.lastUnverified());

        // The view moves on with the next label coming in: the still seams
        // before it hold, and the one it brings starts anew.
        KnownShift on;
        QVERIFY(assume(on, 0));
        QVERIFY(assume(on, 1));
        const FrameRows before(view({40, 660}, 300, 3000, false));
        const FrameRows arriving(view({40, 660}, 400, 3000, false));
        QVERIFY(on.assume(before, arriving, step, 0, {}, nullptr, FrameMatcher::match(before, arriving, {})));
        QVERIFY(!on.lastStill());
        on.withdraw();
        QCOMPARE(on.assumed(), 2);

        // A thumb that moved though no bar is known; a label standing where
        // it stood (the end, showing something).
        const FrameRows thumbA(view(labels, 300, 3000, true));
        const FrameRows thumbB(view(labels, 400, 3000, true));
        KnownShift unknownBar;
        QVERIFY(!unknownBar.assume(thumbA, thumbB, step, 0, {}, nullptr, FrameMatcher::match(thumbA, thumbB, {})));
        const FrameRows end(view({2850}, 2700, 3000, false));
        KnownShift atEnd;
        QVERIFY(!atEnd.assume(end, end, step, 0, {}, nullptr, FrameMatcher::match(end, end, {})));
    }

    // The thumb tells where the view stands on the page and how long the
    // page is: a page that grew above the view while the view kept its
    // content shows, one that kept its length or grew at its end does not,
    // and neither does a track the frames do not show alike.
    void thumbShowsGrowthAbove_data()
    {
        QTest::addColumn<int>("lengthAfter");
        QTest::addColumn<int>("offsetAfter"); // from 300 on a page 1500 rows long, the content moved 100
        QTest::addColumn<int>("barCovered");  // rows over the top of the bar in the second frame
        QTest::addColumn<bool>("grown");
        QTest::addColumn<bool>("told"); // the thumb tells at all (its places overlap: not enough track between)
        QTest::newRow("same length") << 1500 << 400 << 0 << false << false;
        QTest::newRow("same length, far down") << 1500 << 1100 << 0 << false << true;
        QTest::newRow("grew at the end") << 2500 << 400 << 0 << false << false;
        QTest::newRow("grew above") << 1900 << 800 << 0 << true << true;
        QTest::newRow("grew above, track covered") << 1900 << 800 << 40 << false << false;
        QTest::newRow("thumb at its least") << 9000 << 7900 << 0 << false << false;
    }
    void thumbShowsGrowthAbove()
    {
        QFETCH(int, lengthAfter);
        QFETCH(int, offsetAfter);
        QFETCH(int, barCovered);
        QFETCH(bool, grown);
        QFETCH(bool, told);
        const QList<int> labels = {350, 520, 700};
        const QImage a = view(labels, 300, 1500, true);
        QImage b = view(labels, offsetAfter, lengthAfter, true);
        QPainter(&b).fillRect(QRect(0, 0, width, barCovered), QColor(200, 60, 60));
        const std::optional<int> found = KnownShift::grownAbove(a, b, 100, bar);
        QCOMPARE(found.has_value(), told);
        const int rows = found.value_or(0);
        QCOMPARE(rows > 0, grown);
        if (grown)
            QVERIFY2(std::abs(rows - (offsetAfter - 400)) < 30, qPrintable(QString::number(rows)));
        QVERIFY(!KnownShift::grownAbove(a, b, 100, 0)); // no bar: nothing tells
    }

    // A status bar below the track in nearly the track's colour reads as
    // track: the thumb's place is read against too long a track, and a page
    // that only grew at its end reads as grown above. With the view at the
    // end of the page, the thumb's end is the track's.
    void thumbAtPageEndEndsTheTrack()
    {
        const QList<int> labels = {350, 520, 700, 1150, 1300, 1650};
        auto withStatus = [](const QImage& page) {
            QImage window(width, height + 30, QImage::Format_RGB32);
            window.fill(QColor(45, 45, 50));
            QPainter(&window).drawImage(0, 0, page);
            return window;
        };
        const QImage a = withStatus(view(labels, 0, 1500, true));
        // At the end; the content moved 1500 rows, the page grew 300 at its end.
        const QImage grewAtEnd = withStatus(view(labels, 1500, 1800, true));
        QVERIFY(KnownShift::grownAbove(a, grewAtEnd, 1500, bar).value_or(0) > 0); // read against too long a track
        const std::optional<int> found = KnownShift::grownAbove(a, grewAtEnd, 1500, bar, true);
        QVERIFY(found.has_value());
        QCOMPARE(*found, 0);
        // The content moved 1200 only: 300 rows grew above the view.
        const int above = KnownShift::grownAbove(a, grewAtEnd, 1200, bar, true).value_or(0);
        QVERIFY2(std::abs(above - 300) < 60, qPrintable(QString::number(above)));
    }

    // A step that went short of its clicks: the thumb tells whether it met
    // the end of the page. Only a thumb that reaches the end of the track it
    // showed before, as long as it was then, does; one short of it, one the
    // page's growth made shorter, or one cut by something over the track
    // does not.
    void thumbTellsTheEnd_data()
    {
        QTest::addColumn<int>("earlierOffset");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length"); // of the page in the second frame (1500 in the first)
        QTest::addColumn<int>("below");  // rows of a status bar under the track in both frames
        QTest::addColumn<int>("covered"); // rows over the end of the track in the second frame
        QTest::addColumn<bool>("atEnd");
        QTest::newRow("at the end") << 1000 << 1200 << 1500 << 0 << 0 << true;
        QTest::newRow("at the end, status bar under it") << 1000 << 1200 << 1500 << 20 << 0 << true;
        QTest::newRow("short of the end") << 1000 << 1150 << 1500 << 0 << 0 << false;
        QTest::newRow("short of the end, status bar") << 1000 << 1150 << 1500 << 20 << 0 << false;
        QTest::newRow("the page grew, at its new end") << 1000 << 1700 << 2000 << 0 << 0 << false;
        QTest::newRow("the page grew, short of its end") << 1000 << 1200 << 2000 << 0 << 0 << false;
        QTest::newRow("track covered at its end") << 1000 << 1150 << 1500 << 0 << 40 << false;
        QTest::newRow("at the end before as well") << 1200 << 1200 << 1500 << 0 << 0 << false;
    }
    void thumbTellsTheEnd()
    {
        QFETCH(int, earlierOffset);
        QFETCH(int, offset);
        QFETCH(int, length);
        QFETCH(int, below);
        QFETCH(int, covered);
        QFETCH(bool, atEnd);
        const QList<int> labels = {1100, 1250, 1420};
        auto withBar = [below](const QImage& v) {
            QImage image(width, height + below, QImage::Format_RGB32);
            image.fill(QColor(90, 200, 120));
            QPainter(&image).drawImage(0, 0, v);
            return image;
        };
        const QImage earlier = withBar(view(labels, earlierOffset, 1500, true));
        QImage frame = withBar(view(labels, offset, length, true));
        QPainter(&frame).fillRect(QRect(0, height - covered, width, covered), QColor(200, 60, 60));
        QCOMPARE(KnownShift::thumbAtEnd(earlier, frame, bar, 0), atEnd);
        QVERIFY(!KnownShift::thumbAtEnd(earlier, frame, 0, 0)); // no bar: nothing tells
    }

    // Where the thumb stands against its place at the top of the page tells
    // how many rows lie below the view: near the end closely enough to tell
    // a step that met the end from one that fell short by itself; also with
    // a header fixed over the top rows, and after the page grew at its end.
    // Too near the top or at the end it tells nothing.
    void thumbTellsTheRowsBelow_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length"); // of the page in the later frame (1500 at the top)
        QTest::addColumn<int>("top");    // rows of a header fixed over the page
        QTest::addColumn<int>("rows");   // below the view; -1: nothing tells
        QTest::newRow("far from the end") << 600 << 1500 << 0 << 600;
        QTest::newRow("near the end") << 1100 << 1500 << 0 << 100;
        QTest::newRow("near the end, header") << 1100 << 1500 << 40 << 100;
        QTest::newRow("grew at its end since") << 900 << 2000 << 0 << 800;
        QTest::newRow("near the top") << 30 << 1500 << 0 << -1;
        QTest::newRow("at the end") << 1200 << 1500 << 0 << -1;
    }
    void thumbTellsTheRowsBelow()
    {
        QFETCH(int, offset);
        QFETCH(int, length);
        QFETCH(int, top);
        QFETCH(int, rows);
        const QList<int> labels = {350, 520, 700, 1250};
        const QImage first = view(labels, 0, 1500, true);
        const QImage frame = view(labels, offset, length, true);
        const std::optional<KnownShift::Reach> reach = KnownShift::rowsBelow(first, frame, bar, top, offset);
        QCOMPARE(reach.has_value(), rows >= 0);
        if (reach) {
            QVERIFY2(std::abs(reach->rows - rows) <= reach->tolerance,
                     qPrintable(QStringLiteral("%1 ± %2").arg(reach->rows).arg(reach->tolerance)));
            QVERIFY2(reach->tolerance <= 4 + (offset + rows) / 60, qPrintable(QString::number(reach->tolerance)));
        }
        QVERIFY(!KnownShift::rowsBelow(first, frame, 0, top, offset)); // no bar: nothing tells
    }

    // After assumed seams the next measured step moves as its clicks ask, or
    // stops short at the end: the seams stand. Further than asked, or short
    // and then on: the distance was unsteady.
    void laterStepsCheckTheDistance_data()
    {
        QTest::addColumn<QList<int>>("measured"); // shifts of the measured steps after one assumed seam
        QTest::addColumn<bool>("movesOn");        // the view moves again after them
        QTest::addColumn<bool>("contradicted");
        QTest::newRow("as asked") << QList<int>{100, 100} << true << false;
        QTest::newRow("short at the end") << QList<int>{70} << false << false;
        QTest::newRow("further") << QList<int>{130} << false << true;
        QTest::newRow("short, then on") << QList<int>{70, 100} << false << true;
        QTest::newRow("short, then moving") << QList<int>{70} << true << true;
    }
    void laterStepsCheckTheDistance()
    {
        QFETCH(QList<int>, measured);
        QFETCH(bool, movesOn);
        QFETCH(bool, contradicted);
        const QList<int> labels = {40, 360};
        const FrameRows a(view(labels, 0, 3000, false));
        const FrameRows b(view(labels, 100, 3000, false));
        KnownShift known;
        QVERIFY(known.assume(a, b, 100, 0, {}, nullptr, FrameMatcher::match(a, b, {})));
        for (int shift : measured)
            known.measured(a, b, shift, 100, 0, {});
        if (movesOn)
            known.assume(a, b, 100, 0, {}, nullptr, FrameMatcher::match(a, b, {}));
        QCOMPARE(known.contradicted(), contradicted);
    }

    // A run whose first steps go over a plain stretch, before anything
    // measured how far a step goes: the steps after it measure it, and the
    // first ones are taken at it where the pixels and a thumb agree. A
    // distance the thumb or a label in the shared rows contradicts, and more
    // still views in a row than further down, are refused.
    void startOverAPlainStretch_data()
    {
        QTest::addColumn<bool>("thumb");
        QTest::newRow("no scrollbar") << false;
        QTest::newRow("scrollbar") << true;
    }
    void startOverAPlainStretch()
    {
        QFETCH(bool, thumb);
        const int step = 100;
        // The first label leaves with the first step; the next comes in four
        // steps further down.
        const QList<int> labels = {40, 690};
        const auto [frames, found] = steps(labels, 4, step, 3000, thumb);
        const int b = thumb ? bar : 0;
        KnownShift known;
        const std::optional<QList<FrameMatcher::Match>> seams = known.acrossStart(frames, found, step, b, {}, nullptr, {});
        QVERIFY(seams);
        QCOMPARE(seams->size(), 4);
        for (const FrameMatcher::Match& m : *seams) {
            QCOMPARE(m.shift, step);
            QVERIFY(m.confirmed);
        }
        QCOMPARE(known.assumed(), 4);

        // Half the distance: the thumb moved twice as far, where it shows;
        // without one, the leaving label's last rows stand in the rows both
        // frames would share.
        KnownShift half;
        QVERIFY(!half.acrossStart(frames, found, step / 2, b, {}, nullptr, {}));

        // A label standing in the rows both frames share, 20 rows off the
        // distance: the pixels contradict it.
        const QList<int> shared = {40, 200};
        const FrameRows a(view(shared, 0, 3000, thumb));
        const FrameRows c(view(shared, step, 3000, thumb));
        KnownShift off;
        QVERIFY(!off.acrossStart({a, c}, {FrameMatcher::match(a, c, {})}, step + 20, b, {}, nullptr, {}));
        QCOMPARE(off.assumed(), 0);
    }

    // Without a thumb, views that look the same count as steps only a few
    // times in a row: the input may have stopped moving the view.
    void startOverAPlainStretchTallerThanTheView()
    {
        const int step = 100;
        const QList<int> labels = {40, 1200};
        const auto [frames, found] = steps(labels, 9, step, 3000, false);
        KnownShift known;
        QVERIFY(!known.acrossStart(frames, found, step, 0, {}, nullptr, {}));
        // With a thumb that moved each step, they hold.
        const auto [withBar, barFound] = steps(labels, 9, step, 3000, true);
        KnownShift thumbed;
        QVERIFY(thumbed.acrossStart(withBar, barFound, step, bar, {}, nullptr, {}));
    }

    // A section shows no scrollbar of its own: the window's around it, read
    // from grabs taken with each frame, must show the page move as far on
    // every step over the plain stretch. A thumb that stood (the page did
    // not move), went further, or does not show refuses the steps the
    // section's frames alone would allow.
    void sectionStartCrossedByTheWindowsThumb_data()
    {
        QTest::addColumn<int>("standsAt"); // the step the thumb stands still on (-1: none)
        QTest::addColumn<int>("furtherAt"); // the step it goes twice as far on (-1: none)
        QTest::addColumn<bool>("shows");
        QTest::addColumn<int>("from"); // where the page stands at the first frame, as the thumb tells
        QTest::addColumn<bool>("crossed");
        QTest::newRow("thumb moves as far") << -1 << -1 << true << 0 << true;
        QTest::newRow("thumb stands on a step") << 2 << -1 << true << 0 << false;
        QTest::newRow("thumb goes further on a step") << -1 << 1 << true << 0 << false;
        QTest::newRow("no thumb shows") << -1 << -1 << false << 0 << false;
        // The way up stopped inside the plain stretch: the first frame is
        // not the page's top.
        QTest::newRow("first frame below the top") << -1 << -1 << true << 300 << false;
    }
    void sectionStartCrossedByTheWindowsThumb()
    {
        QFETCH(int, standsAt);
        QFETCH(int, furtherAt);
        QFETCH(bool, shows);
        QFETCH(int, from);
        QFETCH(bool, crossed);
        const int step = 100;
        const int length = 1500;
        const QList<int> labels = {40, 690};
        const auto [frames, found] = steps(labels, 4, step, length, false);
        KnownShift::OutsideThumb outside;
        int extra = from;
        for (int i = 0; i <= 5; ++i) {
            if (i == standsAt + 1)
                extra -= step;
            if (i == furtherAt + 1)
                extra += step;
            outside.images.append(windowEdge(i * step + extra, length, shows));
        }
        outside.column = KnownShift::thumbColumn(outside.images[4], outside.images[5], step);
        QCOMPARE(outside.column >= 0, shows);
        if (shows)
            QVERIFY(outside.column >= 60 - bar + 3 && outside.column < 60 - 3);
        KnownShift known;
        QCOMPARE(known.acrossStart(frames, found, step, 0, {}, nullptr, {}, &outside).has_value(), crossed);
        // The frames alone would have been taken at the distance.
        KnownShift frameOnly;
        QVERIFY(frameOnly.acrossStart(frames, found, step, 0, {}, nullptr, {}));
    }

    // A section's step in the middle of a run that its frames cannot
    // measure is taken at the known distance only where the window's thumb
    // moved as far as the rows the run went down so far make it move per
    // row, and the frames do not stand against that distance. Such a seam
    // holds once the view moves on.
    void sectionStepTakenByTheWindowsThumb_data()
    {
        QTest::addColumn<int>("from");   // rows the run went down before the step
        QTest::addColumn<int>("moved");  // rows the page really moved
        QTest::addColumn<int>("travel"); // rows the thumb went further than the page makes it
        QTest::addColumn<bool>("shows");
        QTest::addColumn<bool>("taken");
        QTest::newRow("thumb moves as far") << 600 << 100 << 0 << true << true;
        QTest::newRow("thumb goes twice as far") << 600 << 100 << 10 << true << false;
        QTest::newRow("thumb stands") << 600 << 100 << -10 << true << false;
        QTest::newRow("thumb too near the top to tell") << 100 << 100 << 0 << true << false;
        QTest::newRow("no thumb shows") << 600 << 100 << 0 << false << false;
        QTest::newRow("page moved less than the distance") << 600 << 40 << 6 << true << false;
    }
    void sectionStepTakenByTheWindowsThumb()
    {
        QFETCH(int, from);
        QFETCH(int, moved);
        QFETCH(int, travel);
        QFETCH(bool, shows);
        QFETCH(bool, taken);
        const int length = 3000;
        const int distance = 100;
        // A label leaves at the top, the next one comes in at the bottom.
        const QList<int> labels = {from + 40, from + height - 40 + distance};
        const FrameRows a(view(labels, from, length, false));
        const FrameRows b(view(labels, from + moved, length, false));
        const FrameMatcher::Match found = FrameMatcher::match(a, b, {});
        const QImage before = windowEdge(from, length, shows);
        const QImage after = windowEdge(from + moved, length, shows, travel);
        KnownShift known;
        const std::optional<FrameMatcher::Match> seam
            = known.assumeByWindowThumb(a, b, distance, before, after, from, {}, nullptr, found);
        QCOMPARE(seam.has_value(), taken);
        if (!taken)
            return;
        QCOMPARE(seam->shift, distance);
        QVERIFY(seam->confirmed);
        QCOMPARE(known.assumed(), 1);
        QVERIFY(known.lastUnverified());
    }

    // The thumb is found by how it moves: content at the edge goes up as
    // the page does, and a column where nothing moved shows no thumb.
    void thumbColumnIsWhatMovesDownLessThanThePage()
    {
        QCOMPARE(KnownShift::thumbColumn(windowEdge(0, 1500), windowEdge(0, 1500), 100), -1);
        QImage a = windowEdge(0, 1500, false);
        QImage b = a;
        QPainter(&a).fillRect(QRect(40, 200, 20, 80), Qt::darkBlue);
        QPainter(&b).fillRect(QRect(40, 160, 20, 80), Qt::darkBlue);
        QCOMPARE(KnownShift::thumbColumn(a, b, 40), -1);
        // Seen the other way it moves down: as far as the page is content
        // too, less far is taken for a thumb.
        QCOMPARE(KnownShift::thumbColumn(b, a, 40), -1);
        QVERIFY(KnownShift::thumbColumn(b, a, 100) >= 40);
        // The thumb moving down less far, the toolbar above it unchanged.
        const std::optional<int> travel = KnownShift::thumbTravelAt(windowEdge(100, 1500), windowEdge(300, 1500), 60 - bar / 2);
        QVERIFY(travel);
        QCOMPARE(*travel, 300 * height / 1500 - 100 * height / 1500);
    }

    // A step up over a plain section shows only in the window's thumb: it
    // moves up, far enough that its old and new rows do not overlap; it
    // moves down the other way. A thumb that stood still, or an overlay bar
    // that shows in one grab only, says nothing.
    void edgeThumbTellsAStepEitherWay()
    {
        const int far = (1200 - 400) * height / 1500;
        const std::optional<int> up = KnownShift::edgeThumbTravel(windowEdge(1200, 1500), windowEdge(400, 1500));
        QVERIFY(up);
        QVERIFY(std::abs(*up + far) <= 1);
        const std::optional<int> down = KnownShift::edgeThumbTravel(windowEdge(400, 1500), windowEdge(1200, 1500));
        QVERIFY(down);
        QVERIFY(std::abs(*down - far) <= 1);
        const std::optional<int> near = KnownShift::edgeThumbTravel(windowEdge(600, 1500), windowEdge(500, 1500));
        QVERIFY(near && *near < 0);
        QVERIFY(!KnownShift::edgeThumbTravel(windowEdge(400, 1500), windowEdge(400, 1500)));
        QVERIFY(!KnownShift::edgeThumbTravel(windowEdge(400, 1500, false), windowEdge(100, 1500)));
    }
};

QTEST_MAIN(TestKnownShift)
#include "tst_knownshift.moc"
