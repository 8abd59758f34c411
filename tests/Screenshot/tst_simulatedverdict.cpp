// The judge of captures of generated pages, on pictures made from a page's
// own frames as a correct stitch puts them together: the first frame's upper
// half, the page's rows, the last frame's lower half. That is whole; the
// same with something fixed pasted between the items, whole or a piece of it
// without its mark, is not.
#include "support/SimulatedPage.h"
#include "support/SimulatedVerdict.h"

#include <QPainter>
#include <QTest>

namespace {

QImage frameAt(SimulatedPage& page, qint64& now, int pageKeys)
{
    page.topKey();
    for (int i = 0; i < pageKeys; ++i)
        page.pageKey(1);
    do
        page.advanceTo(now += 250);
    while (page.busy());
    return page.render();
}

// A whole window capture of the page.
QImage stitched(SimulatedPage& page)
{
    qint64 now = 0;
    const QImage first = frameAt(page, now, 0);
    const QImage last = frameAt(page, now, 1000);
    const int scroll = page.documentScroll();
    // The first frame down to its middle, the last one from below what
    // stands over the upper half (its content came clear before).
    const int middle = first.height() / 2;
    int below = middle;
    for (const QRect& place : page.fixedPlaces())
        if (place.top() >= 0 && place.top() < middle)
            below = qMax(below, place.bottom() + 1);
    QImage out(first.width(), first.height() + scroll, QImage::Format_RGB32);
    const QRect view = page.documentViewInCapture();
    const int origin = page.documentRowInCapture();
    const int left = page.documentColumnInCapture();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (y < middle || y >= below + scroll) {
            const QImage& from = y < middle ? first : last;
            memcpy(line, from.constScanLine(y < middle ? y : y - scroll), size_t(out.width()) * 4);
            continue;
        }
        // Rows no frame has whole: the page's own (what is left and right of
        // the view does not count).
        std::fill_n(line, out.width(), qRgb(128, 128, 128));
        memcpy(line + view.left(), page.documentLine(y - origin) + view.left() - left, size_t(view.width()) * 4);
    }
    return out;
}

// Something standing over the lower half of the window, where the stitched
// picture has it at the end.
QRect lowerFixed(const SimulatedPage& page, const QImage& capture)
{
    for (const QRect& place : page.fixedPlaces())
        if (place.top() > capture.height() - page.windowPixels().height() && place.bottom() < capture.height()
            && place.height() > 40)
            return place;
    return {};
}

// A row from `from` on where `rows` rows hold no item's mark; -1: none
// before the end.
int betweenMarks(const SimulatedPage& page, int from, int rows)
{
    const int origin = page.documentRowInCapture();
    for (int at = from; at + rows < page.expectedHeight(); ++at) {
        bool clear = true;
        for (const SimulatedPage::Mark& m : page.marks())
            clear = clear && (origin + m.docY + page.markHeight() <= at || origin + m.docY >= at + rows);
        if (clear)
            return at;
    }
    return -1;
}

} // namespace

class TestSimulatedVerdict : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fixedPastedBetweenItems_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("badge at the bottom, dark") << 37u;
        QTest::newRow("sticky column, clock, scale 2") << 95u;
    }
    void fixedPastedBetweenItems()
    {
        QFETCH(quint32, seed);
        SimulatedPage page(seed, SimulatedPage::Pick::window);
        const QImage whole = stitched(page);
        const SimulatedVerdict right = SimulatedVerdict::judge(page, whole);
        QVERIFY2(right.whole, qPrintable(page.describe() + QStringLiteral(": ") + right.problem));
        QCOMPARE(right.marksFound, right.marksShowable);

        const QRect fixed = lowerFixed(page, whole);
        QVERIFY2(!fixed.isEmpty(), qPrintable(page.describe()));
        const int at = betweenMarks(page, whole.height() / 2, fixed.height());
        QVERIFY(at >= 0);
        // Whole, its mark and all, as a stitch that took it for content
        // would paste it.
        QImage pasted = whole;
        QPainter(&pasted).drawImage(QPoint(fixed.x(), at), whole.copy(fixed));
        const SimulatedVerdict once = SimulatedVerdict::judge(page, pasted);
        QVERIFY(!once.whole);
        // Its lower rows only, where no mark is: the rows between the items'
        // marks tell.
        QImage piece = whole;
        const QRect lower = fixed.adjusted(0, fixed.height() / 2, 0, 0);
        QPainter(&piece).drawImage(QPoint(lower.x(), at), whole.copy(lower));
        const SimulatedVerdict part = SimulatedVerdict::judge(page, piece);
        QVERIFY(!part.whole);
        QCOMPARE(part.marksFound, right.marksFound);
        QVERIFY2(part.problem.startsWith(QStringLiteral("rows %1-").arg(at)), qPrintable(part.problem));
    }
};

QTEST_MAIN(TestSimulatedVerdict)
#include "tst_simulatedverdict.moc"
