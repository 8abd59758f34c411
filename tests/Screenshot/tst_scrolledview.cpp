// Where a window shows what it scrolls. From frames: the rows between the
// first and the last one that changed, whatever band lies above and below
// (a toolbar with a bar under it of any height and the shadow it casts over
// the page, a status bar, a banner),
// with cells that change by themselves left out, a plain stretch at the
// view's edge counted to the band, and no answer where too little or
// everything changed. From the accessibility tree: the outermost web
// document, else the first text view, terminal or scroll pane around the
// point, inside the window. A scrollbar found by its thumb takes its track
// beside it too.
#include "Screenshot/ScrolledView.h"
#include "fakes/FakeAccessibilityTree.h"
#include "helpers/ScrollPattern.h"

#include <QPainter>
#include <QTest>

namespace {

// A window of `height` rows: `above` rows of toolbar, then the content from
// `offset` on, then `below` rows of status bar; the toolbar casts a shadow
// over the first `shadow` rows of the content.
QImage window(int height, int above, int below, int offset, int plainTop = 0, int shadow = 0)
{
    QImage image(300, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, ScrollPattern::band(300, above, 1));
    const QImage content = ScrollPattern::content(300, 4000);
    p.drawImage(0, above, content, 0, offset, 300, height - above - below);
    if (plainTop)
        p.fillRect(0, above, 300, plainTop, Qt::white);
    p.drawImage(0, height - below, ScrollPattern::band(300, below, 2));
    for (int y = 0; y < shadow; ++y)
        p.fillRect(0, above + y, 300, 1, QColor(0, 0, 0, 120 - y * 100 / shadow));
    return image;
}

} // namespace

class TestScrolledView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsThatMove_data()
    {
        QTest::addColumn<int>("above");
        QTest::addColumn<int>("below");
        QTest::addColumn<int>("shadow");
        QTest::newRow("toolbar and status bar") << 80 << 24 << 0;
        QTest::newRow("toolbar with a bar under it") << 137 << 0 << 0;
        QTest::newRow("a bar casting a shadow") << 143 << 0 << 6;
        QTest::newRow("a deep shadow at scale 2") << 286 << 0 << 12;
        QTest::newRow("a banner at the bottom") << 60 << 90 << 0;
    }
    void rowsThatMove()
    {
        QFETCH(int, above);
        QFETCH(int, below);
        QFETCH(int, shadow);
        const FrameRows before(window(600, above, below, 0, 0, shadow));
        const FrameRows after(window(600, above, below, 120, 0, shadow));
        const auto rows = ScrolledView::movingRows(before, after, nullptr);
        QVERIFY(rows);
        QCOMPARE(*rows, (ScrolledView::Rows{above + shadow, 600 - below}));
    }

    void edgesThatTellNothing()
    {
        // Plain rows under the bar that stay plain: shown once with it.
        const FrameRows before(window(600, 80, 0, 0, 40));
        const FrameRows after(window(600, 80, 0, 120, 40));
        QCOMPARE(*ScrolledView::movingRows(before, after, nullptr), (ScrolledView::Rows{120, 600}));
        // A ticking clock in the toolbar changes by itself.
        QImage ticked = window(600, 80, 0, 120);
        QPainter(&ticked).fillRect(200, 10, 40, 20, Qt::red);
        const FrameRows clock(ticked);
        QCOMPARE(ScrolledView::movingRows(FrameRows(window(600, 80, 0, 0)), clock, nullptr)->top, 10);
        CellMask ticking(600, clock.cells());
        for (int y = 10; y < 30; ++y)
            for (int c = 200 / FrameRows::cellWidth; c <= 240 / FrameRows::cellWidth; ++c)
                ticking.insert(y, c);
        QCOMPARE(ScrolledView::movingRows(FrameRows(window(600, 80, 0, 0)), clock, &ticking)->top, 80);
        // Nothing moved; only a corner moved; everything moved; sizes differ.
        QVERIFY(!ScrolledView::movingRows(before, before, nullptr));
        QImage corner = window(600, 80, 0, 0);
        QPainter(&corner).fillRect(0, 500, 300, 40, Qt::blue);
        QVERIFY(!ScrolledView::movingRows(FrameRows(window(600, 80, 0, 0)), FrameRows(corner), nullptr));
        QVERIFY(!ScrolledView::movingRows(FrameRows(window(600, 0, 0, 0)), FrameRows(window(600, 0, 0, 50)), nullptr));
        QVERIFY(!ScrolledView::movingRows(before, FrameRows(window(500, 80, 0, 0)), nullptr));
    }

    void scrollbarTrackBesideTheThumb()
    {
        // Content, then a 15 px bar: its track, a thumb 3 px in from its
        // left edge; found by the thumb as 12 px wide.
        QImage frame = ScrollPattern::content(300, 400);
        QPainter p(&frame);
        p.fillRect(285, 0, 15, 400, QColor(241, 241, 241));
        p.fillRect(288, 120, 9, 60, QColor(193, 193, 193));
        p.end();
        QCOMPARE(ScrolledView::scrollbarWithTrack(frame, 12, 0, 400), 15);
        // Only the rows of the view count (a toolbar above reaches across).
        QImage toolbar = frame;
        QPainter(&toolbar).fillRect(0, 0, 300, 40, Qt::darkBlue);
        QCOMPARE(ScrolledView::scrollbarWithTrack(toolbar, 12, 40, 400), 15);
        // Content up to the bar is never taken for its track.
        QCOMPARE(ScrolledView::scrollbarWithTrack(frame, 15, 0, 400), 15);
        // A page of the track's colour: at most a few columns more.
        QImage plain(300, 400, QImage::Format_RGB32);
        plain.fill(QColor(241, 241, 241));
        QPainter(&plain).fillRect(288, 120, 9, 60, QColor(193, 193, 193));
        QCOMPARE(ScrolledView::scrollbarWithTrack(plain, 12, 0, 400), 12 + ScrolledView::trackMax);
        QCOMPARE(ScrolledView::scrollbarWithTrack(frame, 0, 0, 400), 0);
    }

    void fromTheAccessibilityTree()
    {
        const QRectF win(100, 50, 800, 600);
        const QPointF centre = win.center();
        FakeAccessibilityTree tree;
        // A text field inside a page inside a frame inside the page: the page.
        tree.add(QStringLiteral("AXTextArea"), QRectF(300, 300, 200, 100));
        tree.add(QStringLiteral("AXWebArea"), QRectF(100, 200, 800, 300));
        tree.add(QStringLiteral("AXWebArea"), QRectF(100, 160, 800, 490));
        tree.add(QStringLiteral("frame"), win);
        QCOMPARE(ScrolledView::fromAccessibility(tree, centre, win, 7), QRectF(100, 160, 800, 490));
        QCOMPARE(tree.lastPID, 7);
        // An editor: its text view, not the scroll pane with its bars.
        tree.chain.clear();
        tree.add(QStringLiteral("paragraph"), QRectF(120, 300, 600, 20));
        tree.add(QStringLiteral("AXTextArea"), QRectF(100, 120, 785, 500));
        tree.add(QStringLiteral("AXScrollArea"), QRectF(100, 120, 800, 515));
        QCOMPARE(ScrolledView::fromAccessibility(tree, centre, win, 7), QRectF(100, 120, 785, 500));
        // A terminal reaching past the window is cut to it.
        tree.chain.clear();
        tree.add(QStringLiteral("terminal"), QRectF(100, 80, 800, 700));
        QCOMPARE(ScrolledView::fromAccessibility(tree, centre, win, 7), QRectF(100, 80, 800, 570));
        // No answer: the view is the window, too small, elsewhere, no tree.
        tree.chain.clear();
        tree.add(QStringLiteral("AXScrollArea"), win);
        QVERIFY(!ScrolledView::fromAccessibility(tree, centre, win, 7));
        tree.chain.clear();
        tree.add(QStringLiteral("AXTextArea"), QRectF(110, 60, 60, 60));
        QVERIFY(!ScrolledView::fromAccessibility(tree, centre, win, 7));
        tree.chain.clear();
        tree.add(QStringLiteral("AXScrollArea"), QRectF(100, 50, 300, 300));
        QVERIFY(!ScrolledView::fromAccessibility(tree, centre, win, 7));
        tree.chain.clear();
        tree.add(QStringLiteral("AXWebArea"), QRectF(100, 160, 800, 490));
        tree.available = false;
        QVERIFY(!ScrolledView::fromAccessibility(tree, centre, win, 7));
    }
};

QTEST_GUILESS_MAIN(TestScrolledView)
#include "tst_scrolledview.moc"
