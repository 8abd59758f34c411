// The window around a section over an inner box: the box scrolling leaves it
// alone, a blinking dot or a picture loading is no movement, the page moving
// is, and the point given for the wheel lies on what moved, clear of the
// box's border, at device scale 1 and 2.
#include "Screenshot/SectionSurroundings.h"
#include "helpers/ScrollPattern.h"

#include <QPainter>
#include <QTest>

namespace {

// A window 400 x 600 points at (100, 50): the page from `pageOffset` on,
// and over it the box at (60, 200) 280 x 200 in a 4 point border, showing
// its content from `boxOffset` on.
QImage window(qreal scale, int pageOffset, int boxOffset)
{
    const int s = int(scale);
    QImage image(400 * s, 600 * s, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, ScrollPattern::content(400 * s, 4000 * s), 0, pageOffset * s, 400 * s, 600 * s);
    p.fillRect(60 * s, 200 * s, 280 * s, 200 * s, Qt::gray);
    p.drawImage(64 * s, 204 * s, ScrollPattern::content(272 * s, 4000 * s), 0, (1000 + boxOffset) * s, 272 * s,
                192 * s);
    return image;
}

} // namespace

class TestSectionSurroundings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void movementAround_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 2") << 2.0;
    }
    void movementAround()
    {
        QFETCH(qreal, scale);
        const QRectF section(164, 254, 272, 192); // the box, inside its border
        const SectionSurroundings around(QRectF(100, 50, 400, 600), section, scale);
        const QImage start = around.blanked(window(scale, 0, 0));
        // The section is blanked: the box scrolling changes nothing.
        QCOMPARE(start, around.blanked(window(scale, 0, 120)));
        QVERIFY(!around.moved(start, around.blanked(window(scale, 0, 120))));
        // A blinking dot in a corner of the page.
        QImage dot = window(scale, 0, 0);
        QPainter(&dot).fillRect(QRectF(10, 560, 12, 12).toRect(), Qt::red);
        QVERIFY(!around.moved(start, around.blanked(dot)));
        // A picture loading beside the box changes much, in place.
        QImage picture = window(scale, 0, 0);
        const QImage loaded = ScrollPattern::content(int(60 * scale), int(500 * scale)).mirrored(true, false);
        QPainter(&picture).drawImage(QPoint(0, 0), loaded);
        QVERIFY(!around.moved(start, around.blanked(picture)));
        // The page moved: the point is on it, clear of the section.
        const std::optional<QPointF> point = around.moved(start, around.blanked(window(scale, 120, 0)));
        QVERIFY(point);
        const qreal clear = SectionSurroundings::clearance / scale;
        QVERIFY(QRectF(100, 50, 400, 600).contains(*point));
        QVERIFY(!section.adjusted(-clear, -clear, clear, clear).contains(*point));
        // Nearest the section: no farther than the clearance and a cell.
        const qreal reach = clear + 16 / scale + 1;
        QVERIFY(section.adjusted(-reach, -reach, reach, reach).contains(*point));
        // Pictures of another size tell nothing.
        QVERIFY(!around.moved(start, start.copy(0, 0, 10, 10)));
    }

    // At scale 2 a box may begin and end between two points: the section
    // dragged over it in points leaves a pixel of the box's content beside
    // and below it. The box scrolling changes those pixels, which is no
    // change around the section (a clock ticking far from it is none
    // either, and the two together must not look like a wide change); the
    // page moving still is.
    void boxBetweenPoints()
    {
        auto window = [](int pageOffset, int boxOffset) {
            QImage image(800, 1200, QImage::Format_RGB32);
            QPainter p(&image);
            p.drawImage(0, 0, ScrollPattern::content(800, 8000), 0, pageOffset * 2, 800, 1200);
            p.fillRect(120, 400, 562, 402, Qt::gray);
            p.drawImage(129, 409, ScrollPattern::content(545, 8000), 0, 2000 + boxOffset * 2, 545, 385);
            if (boxOffset > 0)
                p.fillRect(20, 20, 24, 12, Qt::red);
            return image;
        };
        const SectionSurroundings around(QRectF(100, 50, 400, 600), QRectF(164, 254, 272, 192), 2.0);
        const QImage start = around.blanked(window(0, 0));
        for (const int step : {60, 200}) {
            const QImage boxMoved = around.blanked(window(0, step));
            QVERIFY2(!around.changed(start, boxMoved), qPrintable(QString::number(step)));
            QVERIFY(!around.changedAlongEdge(start, boxMoved));
            QVERIFY(around.moved(start, around.blanked(window(step, 0))));
        }
    }

    // A section over most of the window, at its left edge: what the page
    // moved goes mostly under the section or out of the window, and rows
    // crossing the section never show again whole; a step of the page is
    // still told from a picture loading. Narrowed later, the section blanks
    // as given at the start on request.
    void movementAroundLargeSection()
    {
        const QRectF window(100, 50, 400, 600);
        const QRectF section(100, 110, 330, 500);
        SectionSurroundings around(window, section, 1.0);
        const QImage start = around.blanked(::window(1.0, 0, 0));
        for (const int step : {40, 250})
            QVERIFY2(around.moved(start, around.blanked(::window(1.0, step, 0))), qPrintable(QString::number(step)));
        QImage picture = ::window(1.0, 0, 0);
        QPainter(&picture).drawImage(QPoint(440, 0), ScrollPattern::content(60, 500).mirrored(true, false));
        QVERIFY(!around.moved(start, around.blanked(picture)));

        around.setSection(section.adjusted(0, 20, 0, -20));
        const QImage narrowed = around.blanked(::window(1.0, 0, 0), true);
        QCOMPARE(narrowed, start);
        QVERIFY(around.blanked(::window(1.0, 0, 0)) != start);
    }

    // The page moved by a step and carried the box along: part of the box
    // now shows beside the section, nearest to it. The wheel there would
    // scroll the box, so the point given lies on the page instead, also
    // where the rows on the other side are plain (nothing moved there).
    void pointClearOfTheCarriedBox_data()
    {
        movementAround_data();
    }
    void pointClearOfTheCarriedBox()
    {
        QFETCH(qreal, scale);
        const int s = int(scale);
        const QRectF section(164, 254, 272, 192); // the box, inside its border, at the start
        const SectionSurroundings around(QRectF(100, 50, 400, 600), section, scale);
        // The box's top at `boxTop` points in the window; plain rows on the
        // side the page moved away from.
        auto carried = [&](int pageOffset, int boxTop, int boxOffset, bool plainAbove) {
            QImage image(400 * s, 600 * s, QImage::Format_RGB32);
            QPainter p(&image);
            p.drawImage(0, 0, ScrollPattern::content(400 * s, 4000 * s), 0, (500 + pageOffset) * s, 400 * s, 600 * s);
            p.fillRect(0, plainAbove ? 0 : 420 * s, 400 * s, 180 * s, Qt::white);
            p.fillRect(60 * s, boxTop * s, 280 * s, 200 * s, Qt::gray);
            p.drawImage(64 * s, (boxTop + 4) * s, ScrollPattern::content(272 * s, 4000 * s), 0, (1000 + boxOffset) * s,
                        272 * s, 192 * s);
            p.end();
            return around.blanked(image);
        };
        // A step up at the box's top moved the page down; a step down at
        // its end moved it up.
        for (const int move : {100, -100}) {
            const bool up = move > 0;
            const QImage before = carried(0, 200, up ? 0 : 800, up);
            const QImage after = carried(-move, 200 + move, up ? 0 : 800, up);
            const QRectF box(160, 50 + 200 + move, 280, 200);
            for (const bool displacedOnly : {true, false}) {
                const std::optional<QPointF> point = displacedOnly ? around.moved(before, after)
                                                                   : around.changed(before, after, move * s);
                QVERIFY(point);
                QVERIFY2(!box.contains(*point), qPrintable(QStringLiteral("%1 at %2,%3").arg(move).arg(point->x()).arg(point->y())));
                QVERIFY(QRectF(100, 50, 400, 600).contains(*point));
            }
        }
    }

    // Rows right below the section changing across much of its width: the
    // page going on past the section, moved by more than the strip of it
    // that shows (no move to see). The box scrolling, a clock, a narrow
    // scrollbar beside the section, a line along its border or a change far
    // from it are not that.
    void changeAlongEdge()
    {
        const QRectF section(164, 254, 272, 192);
        const SectionSurroundings around(QRectF(100, 50, 400, 600), section, 1.0);
        // Everything around fixed but a strip 16 points tall below the box.
        auto strip = [&](int pageOffset, int boxOffset) {
            QImage image = window(1.0, 0, boxOffset);
            QPainter(&image).drawImage(QPoint(0, 400), ScrollPattern::content(400, 4000).copy(0, pageOffset, 400, 16));
            return around.blanked(image);
        };
        const QImage start = strip(0, 0);
        const QImage stepped = strip(57, 0);
        QVERIFY(!around.moved(start, stepped));
        QVERIFY(around.changedAlongEdge(start, stepped));
        QVERIFY(!around.changedAlongEdge(start, strip(0, 120)));
        // The start with something drawn over it that is no page going on.
        auto marked = [&](QRect rect, QColor colour) {
            QImage image = window(1.0, 0, 0);
            QPainter painter(&image);
            painter.drawImage(QPoint(0, 400), ScrollPattern::content(400, 4000).copy(0, 0, 400, 16));
            painter.fillRect(rect, colour);
            painter.end();
            return around.blanked(image);
        };
        QVERIFY(!around.changedAlongEdge(start, marked(QRect(200, 400, 20, 12), Qt::red)));     // a clock
        QVERIFY(!around.changedAlongEdge(start, marked(QRect(340, 204, 8, 240), Qt::darkGray))); // a scrollbar
        QVERIFY(!around.changedAlongEdge(start, marked(QRect(0, 500, 400, 60), Qt::blue)));     // far from it
        QVERIFY(!around.changedAlongEdge(start, marked(QRect(60, 401, 280, 1), Qt::black)));    // a border line
        QVERIFY(!around.changedAlongEdge(start, start.copy(0, 0, 10, 10)));
    }

    // Something standing over a section's newest rows while the content
    // moves: a box, or the part of a column that the section's edge cuts,
    // over text or over a table whose rows repeat at the step's period
    // (where every cell stands still, yet the rows fit the step). Not the
    // content alone, not what the caller leaves out (the rows a box covers
    // are no evidence for the rows a step away either), not a thumb one
    // cell wide.
    void standingOverTheNewRows()
    {
        const int w = 320, h = 300, step = 60;
        const QImage text = ScrollPattern::content(w, 2000);
        QImage table(w, 2000, QImage::Format_RGB32);
        for (int y = 0; y < table.height(); y += 20)
            QPainter(&table).drawImage(QPoint(0, y), text.copy(0, 0, w, 20));
        auto frame = [&](const QImage& page, int offset, QRect box) {
            QImage image = page.copy(0, offset, w, h);
            if (!box.isEmpty())
                QPainter(&image).drawImage(box.topLeft(), text.copy(0, 1500, box.width(), box.height()));
            return image;
        };
        const QRect lower(120, 220, 180, 40);   // a box among the newest rows
        const QRect thumb(304, 200, 14, 100);   // a scrollbar's thumb
        const QRect column(270, 0, 50, h);      // a column cut by the edge
        for (const QImage& page : {text, table}) {
            auto stands = [&](QRect box, const std::vector<bool>* skipRows = nullptr, const CellMask* skip = nullptr) {
                return SectionSurroundings::standsStill(frame(page, 0, box), frame(page, step, box), step, h - step, h,
                                                        skip, skipRows);
            };
            QVERIFY(stands(lower));
            QVERIFY(stands(column));
            QVERIFY(!stands(QRect()));
            QVERIFY(!stands(thumb));
            std::vector<bool> covered(size_t(h), false);
            std::fill(covered.begin() + lower.top(), covered.begin() + lower.bottom() + 1, true);
            QVERIFY(!stands(lower, &covered));
            CellMask left(h, w / FrameRows::cellWidth);
            for (int y = 0; y < h; ++y)
                for (int c = column.left() / FrameRows::cellWidth; c < left.cells(); ++c)
                    left.insert(y, c);
            QVERIFY(!stands(column, nullptr, &left));
        }
    }

    // A page whose rows repeat around the section (a table, each row seen
    // many times) tells no shift of its own when it scrolls under the
    // section, yet changes as the section's content did; a box scrolling, a
    // clock, a picture loading or a move the other way do not.
    void followingTheSectionsShift()
    {
        const QRectF section(164, 254, 272, 192);
        const SectionSurroundings around(QRectF(100, 50, 400, 600), section, 1.0);
        const QImage text = ScrollPattern::content(400, 4000);
        QImage table(400, 4000, QImage::Format_RGB32);
        for (int y = 0; y < table.height(); y += 25)
            QPainter(&table).drawImage(QPoint(0, y), text.copy(0, 0, 400, 25));
        auto window = [&](int pageOffset, int boxOffset) {
            QImage image = table.copy(0, pageOffset, 400, 600);
            QPainter(&image).drawImage(QPoint(64, 204), text.copy(0, 1000 + boxOffset, 272, 192));
            return around.blanked(image);
        };
        const QImage start = window(40, 0);
        const QImage scrolled = window(100, 0);
        QVERIFY(SectionSurroundings::followsShift(start, scrolled, 60));
        QVERIFY(SectionSurroundings::followsShift(scrolled, start, -60));
        QVERIFY(!SectionSurroundings::followsShift(start, scrolled, -60));
        QVERIFY(!SectionSurroundings::followsShift(start, window(40, 60), 60));
        QImage clock = window(40, 60);
        QPainter(&clock).fillRect(20, 560, 40, 20, Qt::red);
        QVERIFY(!SectionSurroundings::followsShift(start, clock, 60));
        QImage picture = window(40, 0);
        QPainter(&picture).drawImage(QPoint(0, 0), text.copy(0, 2000, 60, 500));
        QVERIFY(!SectionSurroundings::followsShift(start, picture, 60));
        QVERIFY(!SectionSurroundings::followsShift(start, start.copy(0, 0, 10, 10), 60));
    }

    // Which sections may lie over a box: those with the page above and
    // below them in the window, also a few points from its left or right
    // edge (a box beside a narrow margin: near the edge); not one that
    // touches the left or right edge, reaches the top or the bottom one
    // (dragged past it and clipped), nor one outside.
    void mayHoldBox()
    {
        const QRectF window(100, 50, 400, 600);
        for (const qreal scale : {1.0, 2.0}) {
            const qreal clear = SectionSurroundings::clearance / scale;
            auto holds = [&](QRectF section, bool nearEdge) {
                bool near = !nearEdge;
                const bool may = SectionSurroundings::mayHoldBox(window, section, scale, &near);
                return may && near == nearEdge;
            };
            QVERIFY(holds(QRectF(164, 254, 272, 192), false));
            QVERIFY(holds(QRectF(108, 254, 272, 192), true));
            QVERIFY(holds(QRectF(220, 254, 272, 192), true));
            QVERIFY(holds(QRectF(164, 50 + clear, 272, 192), false));
            QVERIFY(!SectionSurroundings::mayHoldBox(window, QRectF(100, 254, 272, 192), scale));
            QVERIFY(!SectionSurroundings::mayHoldBox(window, QRectF(228, 254, 272, 192), scale));
            QVERIFY(!SectionSurroundings::mayHoldBox(window, QRectF(164, 50 + clear - 2, 272, 192), scale));
            QVERIFY(!SectionSurroundings::mayHoldBox(window, QRectF(164, 450, 272, 200), scale));
            QVERIFY(!SectionSurroundings::mayHoldBox(window, QRectF(164, 500, 272, 200), scale));
            QVERIFY(!SectionSurroundings::mayHoldBox(QRectF(), QRectF(164, 254, 272, 192), scale));
        }
    }
};

QTEST_GUILESS_MAIN(TestSectionSurroundings)
#include "tst_sectionsurroundings.moc"
