// The rows along a scrolled view's bottom edge at the end of the content: a
// footer that shows there from the top on, and content under an overlay
// scrollbar whose thumb fades out a while after the last scroll.
#include "Screenshot/FadingEdge.h"

#include <QPainter>
#include <QTest>

namespace {

const QColor page(30, 32, 36);

// Rows of content (a label at `label`), with an overlay thumb over them
// at `opacity` (0: gone).
QImage rows(int label, qreal opacity)
{
    QImage image(300, 12, QImage::Format_RGB32);
    image.fill(page);
    QPainter p(&image);
    p.fillRect(QRect(label, 2, 40, 8), QColor(200, 120, 60));
    if (opacity > 0) {
        p.setOpacity(opacity);
        p.fillRect(QRect(0, 8, 180, 4), QColor(180, 180, 180));
    }
    return image;
}

QImage footer()
{
    QImage image(300, 12, QImage::Format_RGB32);
    image.fill(QColor(60, 20, 20));
    QPainter(&image).fillRect(QRect(100, 3, 90, 6), Qt::white);
    return image;
}

} // namespace

class TestFadingEdge : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void footerOrNothingIsNotWaitedFor()
    {
        QVERIFY(!FadingEdge(footer(), footer()).suspect());
        QVERIFY(!FadingEdge(QImage(), QImage()).suspect());
    }

    // Content differs from the top's: the thumb over it counts as faded only
    // once it changed and held still for two more looks.
    void thumbFadesThenHoldsStill()
    {
        FadingEdge edge(rows(20, 1.0), rows(140, 1.0));
        QVERIFY(edge.suspect());
        edge.look(rows(140, 1.0));
        edge.look(rows(140, 1.0));
        QVERIFY(!edge.faded()); // not yet fading
        edge.look(rows(140, 0.6));
        edge.look(rows(140, 0.3)); // still fading
        QVERIFY(!edge.faded());
        edge.look(rows(140, 0.0));
        edge.look(rows(140, 0.0));
        QVERIFY(!edge.faded());
        edge.look(rows(140, 0.0));
        QVERIFY(edge.faded());
        // A look of another size (a grab that failed) changes nothing.
        edge.look(QImage(10, 10, QImage::Format_RGB32));
        QVERIFY(edge.faded());
    }
};

QTEST_MAIN(TestFadingEdge)
#include "tst_fadingedge.moc"
