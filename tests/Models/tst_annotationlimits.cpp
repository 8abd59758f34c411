// Annotations read back from the hand-editable history file: every number is
// held to the range of its editor control, values in range stay exact.
#include "Models/AnnotationObject.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonDocument>
#include <limits>

class tst_AnnotationLimits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadedNumbersAreClamped_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("loaded");
        QTest::newRow("huge line width") << "lineWidth" << 1e6 << 30.0;
        QTest::newRow("zero line width") << "lineWidth" << 0.0 << 1.0;
        QTest::newRow("line width in range") << "lineWidth" << 7.5 << 7.5;
        QTest::newRow("huge font") << "fontSize" << 1e9 << 160.0;
        QTest::newRow("negative badge") << "badgeSize" << -5.0 << 16.0;
        QTest::newRow("absurd cursor") << "cursorSize" << 1e300 << 240.0;
        QTest::newRow("no magnification") << "magnification" << 0.0 << 1.2;
        QTest::newRow("blur beyond 100") << "blurAmount" << 5000.0 << 100.0;
        QTest::newRow("corner radius below 0") << "cornerRadius" << -1.0 << 0.0;
        QTest::newRow("giant highlight") << "highlightSize" << 1e5 << 220.0;
        QTest::newRow("opacity above 1") << "highlightOpacity" << 7.0 << 1.0;
        QTest::newRow("opacity in range") << "highlightOpacity" << 0.35 << 0.35;
    }
    void loadedNumbersAreClamped()
    {
        QFETCH(QString, key);
        QFETCH(double, stored);
        QFETCH(double, loaded);
        QJsonObject o = QJsonDocument::fromJson(
                            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"cursor","lineWidth":4,
                                "color":{"red":1,"green":0,"blue":0,"alpha":1},"points":[[1,2]]})")
                            .object();
        o.insert(key, stored);
        const auto a = AnnotationObject::fromJson(o);
        QVERIFY(a);
        QCOMPARE(a->toJson().value(key).toDouble(), loaded);
    }

    void numbersThatAreNoNumbers()
    {
        AnnotationObject a;
        a.lineWidth = std::numeric_limits<double>::quiet_NaN();
        a.fontSize = std::numeric_limits<double>::infinity();
        a.blurAmount = std::numeric_limits<double>::quiet_NaN();
        a.clampToControlRanges();
        QCOMPARE(a.lineWidth, 4.0);
        QVERIFY(!a.fontSize); // the drawing default applies
        QVERIFY(!a.blurAmount);
    }
};

ZENTU_TEST_MAIN(tst_AnnotationLimits)
#include "tst_annotationlimits.moc"
