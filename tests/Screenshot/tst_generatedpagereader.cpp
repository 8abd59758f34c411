// The reader of the generated pages' marks, on pictures drawn from a page's
// own blocks: it reads every item wherever the marks stand across the
// picture (a sticky column at the left of a narrow view at scale 2 pushes
// them past its middle), and a torn item still shows, as does a fixed
// element pasted right under itself.
#include "helpers/CodedRows.h"
#include "support/GeneratedPage.h"

#include <QPainter>
#include <QTest>

namespace {

// The page's items as the browser draws them, their marks `left` pixels
// from the picture's left edge; `cut` rows taken out of the middle of item
// `torn` (-1: none).
QImage drawn(const GeneratedPage& page, int width, int left, int torn = -1, int cut = 0)
{
    int height = 0;
    for (const GeneratedPage::Block& b : page.blocks())
        height += b.height * page.scale();
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(page.dark() ? QColor(24, 24, 28) : Qt::white);
    QPainter p(&image);
    const int tall = GeneratedPage::markHeight * page.scale();
    const int wide = GeneratedPage::markWidth * page.scale();
    int y = 0, item = 0;
    for (const GeneratedPage::Block& b : page.blocks()) {
        if (b.kind == GeneratedPage::Block::Kind::item) {
            p.fillRect(left, y, wide, tall, CodedRows::colour(2 * item));
            p.fillRect(left, y + b.height * page.scale() - tall, wide, tall, CodedRows::colour(2 * item + 1));
            if (item == torn) {
                // Rows between the marks left out, the rest moved up.
                const int from = y + b.height * page.scale() / 2;
                const QImage below = image.copy(0, from + cut, width, height - from - cut);
                p.drawImage(0, from, below);
                p.fillRect(0, height - cut, width, cut, image.pixel(0, 0));
            }
            ++item;
        }
        y += b.height * page.scale();
    }
    return image;
}

} // namespace

class TestGeneratedPageReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsEveryItemWhereverTheMarksStand_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("left");
        // A dark page at scale 2 beside a sticky column of 249 px at the left,
        // in a view 986 px wide: the marks stand at 524 px.
        QTest::newRow("past the middle") << 13u << 524;
        QTest::newRow("at the left") << 13u << 24;
    }
    void readsEveryItemWhereverTheMarksStand()
    {
        QFETCH(quint32, seed);
        QFETCH(int, left);
        const GeneratedPage page(seed);
        QVERIFY(page.items() > 2);
        const GeneratedPage::Verdict whole = page.check(drawn(page, 986, left));
        QCOMPARE(whole.found, page.items());
        QVERIFY2(!whole.problem.contains(QStringLiteral("no marks")), qPrintable(whole.problem));
        // Rows lost inside an item: read up to it, and it is named.
        const GeneratedPage::Verdict torn = page.check(drawn(page, 986, left, 1, 6 * page.scale()));
        QCOMPARE(torn.found, 1);
        QVERIFY2(torn.problem.contains(QStringLiteral("inside item 1")), qPrintable(torn.problem));
    }

    // Something fixed once, beside the items, is no fault; pasted again right
    // under itself it makes one run of its colour twice its height.
    void fixedElementPastedUnderItself()
    {
        const GeneratedPage page(1u);
        QVERIFY(!page.fixedElements().isEmpty());
        const GeneratedPage::Fixed& f = page.fixedElements().first();
        const int tall = f.height * page.scale();
        QImage image = drawn(page, 986, 24);
        const int at = image.height() / 2;
        QPainter(&image).fillRect(600, at, 200, tall, CodedRows::colour(f.code));
        const GeneratedPage::Verdict once = page.check(image);
        QVERIFY2(once.whole(), qPrintable(once.problem));
        QPainter(&image).fillRect(600, at + tall, 200, tall, CodedRows::colour(f.code));
        const GeneratedPage::Verdict twice = page.check(image);
        QCOMPARE(twice.problem, QStringLiteral("fixed element 0 shown 2 times"));
    }
};

QTEST_MAIN(TestGeneratedPageReader)
#include "tst_generatedpagereader.moc"
