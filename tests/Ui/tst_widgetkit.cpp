#include "Ui/AnimatedValue.h"
#include "Ui/AppImages.h"
#include "Ui/FrameClock.h"
#include "Ui/HoverRowButton.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Theme.h"
#include "Ui/ToggleSwitch.h"
#include "Ui/ZentuMark.h"
#include "support/IsolatedEnvironment.h"

#include <QEnterEvent>
#include <QFontInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTextDocumentFragment>

namespace {
int countPixels(const QImage& image, const std::function<bool(QColor)>& match)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixelColor(x, y)))
                ++n;
    return n;
}
// Brand red, or its antialiased edge on white.
bool isBrandRed(QColor c) { return c.red() > 200 && c.green() < 170 && c.blue() < 160 && c.red() - c.green() > 60; }
} // namespace

class TestWidgetKit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fontsAreSizedInLogicalPixels()
    {
        QCOMPARE(QFontInfo(Theme::font(13)).pixelSize(), 13);
        QCOMPARE(QFontInfo(Theme::font(10, QFont::DemiBold)).pixelSize(), 10);
        QCOMPARE(Theme::font(12, QFont::Bold).weight(), QFont::Bold);
        QCOMPARE(Theme::brandRed().name(), QStringLiteral("#e8453b"));
        QVERIFY(qAbs(Theme::secondary().alphaF() - Theme::primary().alphaF() * 0.5f) < 0.01f);
    }

    void iconsComeFromTheIconFont()
    {
        for (const char* name : {"crop", "macwindow", "display", "folder", "gearshape", "power", "trash", "pencil",
                                 "star", "star.fill", "star.slash", "photo", "clipboard", "magnifyingglass",
                                 "xmark.circle.fill", "doc.on.doc", "doc.plaintext", "checkmark.circle.fill",
                                 "exclamationmark.triangle.fill", "rectangle.portrait.arrowtriangle.2.outward"}) {
            QVERIFY2(IconRegistry::hasGlyph(QString::fromLatin1(name)), name);
            const QImage img = IconRegistry::pixmap(QString::fromLatin1(name), 24, Qt::black).toImage();
            QVERIFY2(countPixels(img, [](QColor c) { return c.alpha() > 128; }) > 20, name);
        }
        // The slashed star is the outline star with a bar across.
        const QImage star = IconRegistry::pixmap(QStringLiteral("star"), 24, Qt::black).toImage();
        const QImage slashed = IconRegistry::pixmap(QStringLiteral("star.slash"), 24, Qt::black).toImage();
        QVERIFY(star != slashed);
        // Unknown names still draw something rather than nothing.
        QVERIFY(!IconRegistry::knows(QStringLiteral("no.such.symbol")));
        const QImage unknown = IconRegistry::pixmap(QStringLiteral("no.such.symbol"), 24, Qt::black).toImage();
        QVERIFY(countPixels(unknown, [](QColor c) { return c.alpha() > 128; }) > 10);
    }

    void springAndEaseOut()
    {
        QCOMPARE(AnimatedValue::springProgress(0, 0.28, 0.72), 0.0);
        const double settle = AnimatedValue::springSettleTime(0.28, 0.72);
        QVERIFY(qAbs(AnimatedValue::springProgress(settle, 0.28, 0.72) - 1.0) < 0.002);
        // Under-damped: it overshoots on the way.
        double peak = 0;
        for (double t = 0; t < settle; t += 0.005)
            peak = qMax(peak, AnimatedValue::springProgress(t, 0.28, 0.72));
        QVERIFY(peak > 1.0 && peak < 1.1);

        AnimatedValue v(0.0);
        v.setEaseOut(100);
        QSignalSpy spy(&v, &AnimatedValue::valueChanged);
        v.animateTo(1.0);
        QTRY_COMPARE(v.value(), 1.0);
        QVERIFY(spy.count() > 1);
    }

    void hoverRowLightsUp()
    {
        QCOMPARE(HoverRowButton::backgroundOpacity(true, true), 0.12);
        QCOMPARE(HoverRowButton::backgroundOpacity(true, false), 0.12);
        QCOMPARE(HoverRowButton::backgroundOpacity(false, true), 0.07);
        QCOMPARE(HoverRowButton::backgroundOpacity(false, false), 0.0);
        HoverRowButton b(QStringLiteral("gearshape"), QStringLiteral("Einstellungen"));
        b.show();
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(&b, &enter);
        QTRY_COMPARE(b.currentBackgroundOpacity(), 0.07);
        QTest::mousePress(&b, Qt::LeftButton);
        QTRY_COMPARE(b.currentBackgroundOpacity(), 0.12);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        // The padding is part of the button: a click in the corner counts.
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(b.sizeHint().height() - 2 * HoverRowButton::vPadding, qCeil(qMax(QFontMetricsF(Theme::font(12)).height(), 15.0)));
    }

    void segmentedControlSelectsByClick()
    {
        SegmentedControl c({QStringLiteral("Alle"), QStringLiteral("Text"), QStringLiteral("Bild")});
        c.resize(300, c.sizeHint().height());
        c.show();
        QSignalSpy changed(&c, &SegmentedControl::currentIndexChanged);
        QCOMPARE(c.segmentRect(0).width(), c.segmentRect(2).width());
        // A click on the edge of a segment, away from its text, selects it too.
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).topRight().toPoint() + QPoint(-2, 2));
        QCOMPARE(c.currentIndex(), 2);
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).center().toPoint());
        QCOMPARE(changed.count(), 1);
    }

    void toggleSlides()
    {
        ToggleSwitch t;
        t.show();
        QTest::mouseClick(&t, Qt::LeftButton);
        QVERIFY(t.isChecked());
        QTRY_COMPARE(t.knobPosition(), 1.0);
    }

    void frameClockRunsWhileSomethingIsShown()
    {
        FrameClock::setTimeSource([] { return 42.0; });
        QCOMPARE(FrameClock::now(), 42.0);
        FrameClock::setTimeSource({});
        QVERIFY(FrameClock::now() > 1.7e9);
        QWidget w;
        FrameClock::shared().attach(&w);
        QVERIFY(!FrameClock::shared().isRunning());
        w.show();
        FrameClock::shared().attach(&w);
        QVERIFY(FrameClock::shared().isRunning());
        w.hide();
        QTRY_VERIFY(!FrameClock::shared().isRunning());
        FrameClock::shared().detach(&w);
    }

    void wordMarkColours()
    {
        QLabel label;
        label.setText(zentuMark(Theme::font(15, QFont::Bold), 17, &label));
        label.setStyleSheet(QStringLiteral("background: white;"));
        label.adjustSize();
        QImage plain = label.grab().toImage();
        QVERIFY(countPixels(plain, isBrandRed) >= 3);
        auto isBlue = [](QColor c) { return c.blue() > 150 && c.red() < 90 && c.green() < 90; };
        QCOMPARE(countPixels(plain, isBlue), 0);
        // A caller's text colour reaches "Zentu" only: the dot stays red.
        QPalette p = label.palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        label.setPalette(p);
        const QImage coloured = label.grab().toImage();
        QVERIFY(countPixels(coloured, isBlue) > 20);
        QCOMPARE(countPixels(coloured, isBrandRed), countPixels(plain, isBrandRed));
        // The mark's text is always the same three pieces.
        QCOMPARE(QTextDocumentFragment::fromHtml(label.text()).toPlainText(), QStringLiteral("Zentu.it"));
        // Drawn at the size asked for (the splash's 21 px with its 24 px dot).
        QLabel splash(zentuMark(Theme::font(21, QFont::DemiBold), 24));
        QVERIFY(splash.sizeHint().height() >= 24);
    }

    void ownImagesRender()
    {
        for (const QPixmap& pm : {AppImages::menubarIcon(18), AppImages::logo(64)}) {
            const QImage img = pm.toImage();
            QVERIFY(countPixels(img, [](QColor c) { return c.alpha() > 200; }) > img.width() * img.height() / 2);
            QVERIFY(countPixels(img, isBrandRed) > 0);
        }
        QVERIFY(!AppImages::trayIcon().availableSizes().isEmpty());
    }

    void popoverOpensBelowItsAnchor()
    {
        QWidget host;
        host.setGeometry(200, 200, 300, 200);
        auto* anchor = new QWidget(&host);
        anchor->setGeometry(100, 20, 40, 20);
        host.show();
        Popover pop;
        auto* content = new QLabel(QStringLiteral("Inhalt"));
        content->setFixedSize(120, 40);
        pop.setContent(content);
        pop.showAt(anchor);
        QVERIFY(pop.isVisible());
        QVERIFY(pop.arrowOnTop());
        const QRect a(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        QCOMPARE(pop.y(), a.bottom() + 1);
        QVERIFY(qAbs(pop.geometry().center().x() - a.center().x()) <= 1);
        QSignalSpy closed(&pop, &Popover::closed);
        pop.hide();
        QCOMPARE(closed.count(), 1);
    }
};

ZENTU_TEST_MAIN(TestWidgetKit)
#include "tst_widgetkit.moc"
