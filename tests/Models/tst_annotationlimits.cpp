// Annotations read back from the hand-editable history file: every number is
// held to the range of its editor control, values in range stay exact.
#include "Models/AnnotationObject.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonDocument>
#include <limits>

class tst_AnnotationLimits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadedNumbersAreClamped()
    {
        const struct { const char* key; double stored, loaded; } cases[] = {
            {"lineWidth", 1e6, 30},      {"lineWidth", 0, 1},          {"lineWidth", 7.5, 7.5},
            {"fontSize", 1e9, 160},      {"badgeSize", -5, 16},        {"cursorSize", 1e300, 240},
            {"magnification", 0, 1.2},  {"blurAmount", 5000, 100},    {"cornerRadius", -1, 0},
            {"highlightSize", 1e5, 220}, {"highlightOpacity", 7, 1},   {"highlightOpacity", 0.35, 0.35},
        };
        const QJsonObject stored = QJsonDocument::fromJson(
            R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"cursor","lineWidth":4,
                "color":{"red":1,"green":0,"blue":0,"alpha":1},"points":[[1,2]]})").object();
        for (const auto& c : cases) {
            QJsonObject o = stored;
            o.insert(QLatin1String(c.key), c.stored);
            const auto a = AnnotationObject::fromJson(o);
            QVERIFY2(a && a->toJson().value(QLatin1String(c.key)).toDouble() == c.loaded, c.key);
        }
    }

    void numbersThatAreNoNumbers()
    {
        AnnotationObject a;
        a.lineWidth = std::numeric_limits<double>::quiet_NaN();
        a.fontSize = std::numeric_limits<double>::infinity();
        a.blurAmount = std::numeric_limits<double>::quiet_NaN();
        a.clampToControlRanges();
        QCOMPARE(a.lineWidth, 4.0);
        QVERIFY(!a.fontSize && !a.blurAmount); // the drawing default applies
    }
};

ZENTU_TEST_MAIN(tst_AnnotationLimits)
#include "tst_annotationlimits.moc"
