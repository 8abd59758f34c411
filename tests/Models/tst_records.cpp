// The records the history files and the settings keep: a record as the
// program writes it loads and is written back unchanged, what does not parse
// is refused as a whole, and numbers edited by hand are held to the ranges of
// their controls. The JSON writer's layout, strings and numbers, and the
// dates and ids other writers may have left.
#include "Models/AnnotationObject.h"
#include "Models/AppSettings.h"
#include "Models/ClipboardItem.h"
#include "Models/JsonDecoder.h"
#include "Models/JsonWriter.h"
#include "Models/ScreenshotItem.h"
#include "support/IsolatedEnvironment.h"
#include "support/JsonEdits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

namespace {

// One record of each kind with every field set, as stored on disk.
const char* const annotationRecord = R"({"badgeNumber":7,"badgeSize":30,"badgeTextColor":{"alpha":1,"blue":1,"green":1,"red":1},
    "blurAmount":40,"blurStyle":"gaussian","bubbleStyle":"thought","color":{"alpha":1,"blue":0.2,"green":0.2,"red":0.9},
    "cornerRadius":8,"cursorSize":100,"cursorStyle":"solid_arrow","dashed":true,"fillColor":{"alpha":0.25,"blue":1,"green":0,"red":0},
    "fontName":"Inter","fontSize":28,"highlightColor":{"alpha":1,"blue":0.2,"green":0.81,"red":1},"highlightEnabled":false,
    "highlightOpacity":0.35,"highlightSize":70,"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","imageData":"iVBORwAB",
    "kind":"cursor","lineWidth":7.5,"magnification":2.2,"points":[[1.5,2],[3,4.0000001]],"text":"Grüße / \\ x"})";
const char* const screenshotRecord = R"({"annotations":[],"captureKind":"fullScreen","createdAt":"2026-12-06T08:05:03Z",
    "fileName":"Zentu.it_Screenshot_2026-12-06_09-05-03-042.png","height":400,"id":"0E0B3E2A-6B5E-4C52-9F1B-1F6C1C0B7A11",
    "isFavorite":true,"thumbnailFileName":"0E0B3E2A.png","width":1000})";
const char* const clipboardRecord = R"({"contentHash":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
    "createdAt":"2026-01-02T03:04:05Z","id":"9D1B6F9E-3C1B-4E0C-8B7C-5E2E8A1F0C22","imageFileName":"ABC.png",
    "isFavorite":false,"preview":"1920×1080","sourceAppBundleID":"org.example.Notes","type":"image"})";
const char* const settingsRecord = R"({"autoCopyToPasteboard":false,"avoidDuplicates":true,"captureDelaySeconds":5,
    "clipboardHistoryEnabled":true,"hotkeys":{"captureArea":{"carbonModifiers":768,"keyCode":21}},"ignoreSensitiveContent":true,
    "imageFormat":"jpeg","launchAtLogin":false,"maxClipboardItems":200,"maxScreenshotItems":0,"openEditorAfterCapture":true,
    "saveDirectoryPath":"/home/ana/Bilder/Schnappschüsse","showCursorInScreenshot":true,"stampTimestamp":false})";

QJsonObject parse(const char* json) { return QJsonDocument::fromJson(json).object(); }

QJsonObject record(const QString& kind)
{
    if (kind == QLatin1String("annotation") || kind == QLatin1String("colour")) {
        const QJsonObject a = parse(annotationRecord);
        return kind == QLatin1String("colour") ? a.value("color").toObject() : a;
    }
    if (kind == QLatin1String("screenshot")) {
        QJsonObject s = parse(screenshotRecord);
        s["annotations"] = QJsonArray{parse(annotationRecord)};
        return s;
    }
    return parse(kind == QLatin1String("clipboard") ? clipboardRecord : settingsRecord);
}

// Read through the record type and written again; none when it was refused.
std::optional<QJsonObject> reload(const QString& kind, const QJsonObject& o)
{
    auto again = [](const auto& r) { return r ? std::optional<QJsonObject>(r->toJson()) : std::nullopt; };
    if (kind == QLatin1String("annotation"))
        return again(AnnotationObject::fromJson(o));
    if (kind == QLatin1String("colour"))
        return again(RGBAColor::fromJson(o));
    if (kind == QLatin1String("screenshot"))
        return again(ScreenshotItem::fromJson(o));
    if (kind == QLatin1String("clipboard"))
        return again(ClipboardItem::fromJson(o));
    const auto s = AppSettings::decode(QJsonDocument(o).toJson(QJsonDocument::Compact));
    return s ? std::optional<QJsonObject>(QJsonDocument::fromJson(s->encoded()).object()) : std::nullopt;
}

// The record of that kind with one key changed; an undefined value removes it.
QJsonObject changed(const QString& kind, const QString& key, const QJsonValue& value)
{
    return withKey(record(kind), key, value);
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storedRecordsLoadAndAreWrittenBackUnchanged_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<QJsonObject>("written");
        for (const char* kind : {"screenshot", "clipboard", "settings"})
            QTest::newRow(kind) << kind << record(kind) << record(kind);
        // Optional keys may be null; keys of later versions are passed over.
        QJsonObject annotation = changed("annotation", "fontSize", QJsonValue::Null);
        annotation["extra"] = 1;
        QTest::newRow("annotation, null and unknown key") << "annotation" << annotation
                                                          << changed("annotation", "fontSize", QJsonValue::Undefined);
        QJsonObject colour = record("colour");
        colour["name"] = "rot";
        QTest::newRow("colour, unknown key") << "colour" << colour << record("colour");
        QJsonObject settings = changed("settings", "saveDirectoryPath", QJsonValue::Null);
        settings["somethingNew"] = 42;
        QJsonObject laterAction = settings.value("hotkeys").toObject();
        laterAction["notAnAction"] = QJsonObject{{"keyCode", 1}, {"carbonModifiers", 256}};
        settings["hotkeys"] = laterAction;
        QJsonObject settingsWritten = changed("settings", "saveDirectoryPath", QJsonValue::Undefined);
        settingsWritten["hotkeys"] = laterAction; // kept for the build that knows it
        QTest::newRow("settings, null folder and unknowns") << "settings" << settings << settingsWritten;
    }
    void storedRecordsLoadAndAreWrittenBackUnchanged()
    {
        QFETCH(QString, kind);
        QFETCH(QJsonObject, stored);
        QFETCH(QJsonObject, written);
        const std::optional<QJsonObject> back = reload(kind, stored);
        QVERIFY(back);
        QCOMPARE(*back, written);
    }

    void malformedRecordsAreRefusedWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined: the key removed
        const QJsonValue gone(QJsonValue::Undefined);
        QTest::newRow("annotation without points") << "annotation" << "points" << gone;
        QTest::newRow("unknown annotation kind") << "annotation" << "kind" << QJsonValue("pen");
        QTest::newRow("point of three") << "annotation" << "points" << QJsonValue(QJsonArray{QJsonArray{1, 2, 3}});
        QTest::newRow("text not a string") << "annotation" << "text" << QJsonValue(5);
        QTest::newRow("unknown blur style") << "annotation" << "blurStyle" << QJsonValue("smear");
        QTest::newRow("fractional badge") << "annotation" << "badgeNumber" << QJsonValue(1.5);
        QTest::newRow("bad base64") << "annotation" << "imageData" << QJsonValue("***");
        QTest::newRow("colour of one channel") << "annotation" << "fillColor" << QJsonValue(QJsonObject{{"red", 1}});
        QTest::newRow("colour without alpha") << "colour" << "alpha" << gone;
        QTest::newRow("channel as text") << "colour" << "red" << QJsonValue("0.9");
        QTest::newRow("screenshot without favourite flag") << "screenshot" << "isFavorite" << gone;
        QTest::newRow("unknown capture kind") << "screenshot" << "captureKind" << QJsonValue("movie");
        QTest::newRow("broken annotation inside") << "screenshot" << "annotations" << QJsonValue(QJsonArray{QJsonObject{}});
        QTest::newRow("clipboard without preview") << "clipboard" << "preview" << gone;
        QTest::newRow("unknown clipboard type") << "clipboard" << "type" << QJsonValue("file");
        QTest::newRow("settings without launchAtLogin") << "settings" << "launchAtLogin" << gone;
        QTest::newRow("unknown image format") << "settings" << "imageFormat" << QJsonValue("gif");
        QTest::newRow("format in capitals") << "settings" << "imageFormat" << QJsonValue("PNG");
        QTest::newRow("bool as text") << "settings" << "stampTimestamp" << QJsonValue("true");
        QTest::newRow("fractional delay") << "settings" << "captureDelaySeconds" << QJsonValue(1.5);
        QTest::newRow("combo without modifiers")
            << "settings" << "hotkeys" << QJsonValue(QJsonObject{{"captureArea", QJsonObject{{"keyCode", 21}}}});
    }
    void malformedRecordsAreRefusedWhole()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QVERIFY(!reload(kind, changed(kind, key, value)));
        QVERIFY(!AppSettings::decode("not json"));
    }

    void handEditedNumbersAreHeldToTheirRanges()
    {
        const struct { const char* key; double stored, loaded; } cases[] = {
            {"lineWidth", 1e6, 30},      {"lineWidth", 0, 1},          {"lineWidth", 7.5, 7.5},
            {"fontSize", 1e9, 160},      {"badgeSize", -5, 16},        {"cursorSize", 1e300, 240},
            {"magnification", 0, 1.2},  {"blurAmount", 5000, 100},    {"cornerRadius", -1, 0},
            {"highlightSize", 1e5, 220}, {"highlightOpacity", 7, 1},   {"highlightOpacity", 0.35, 0.35},
        };
        for (const auto& c : cases) {
            const auto a = AnnotationObject::fromJson(changed("annotation", QLatin1String(c.key), c.stored));
            QVERIFY2(a && a->toJson().value(QLatin1String(c.key)).toDouble() == c.loaded, c.key);
        }
        AnnotationObject a;
        a.lineWidth = std::numeric_limits<double>::quiet_NaN();
        a.fontSize = std::numeric_limits<double>::infinity();
        a.blurAmount = std::numeric_limits<double>::quiet_NaN();
        a.clampToControlRanges();
        QCOMPARE(a.lineWidth, 4.0);
        QVERIFY(!a.fontSize && !a.blurAmount); // the drawing default applies

        // Whole numbers far out of reason are held to their range and written
        // back as such, never wrapped around to a negative number.
        QJsonObject settings = AppSettings().toJson();
        settings.insert("maxClipboardItems", 1e308);
        settings.insert("maxScreenshotItems", -1e308);
        settings.insert("captureDelaySeconds", 1e308);
        const auto s = AppSettings::fromJson(settings);
        QVERIFY(s);
        QCOMPARE(s->maxClipboardItems, qint64(std::numeric_limits<int>::max()));
        QCOMPARE(s->maxScreenshotItems, qint64(std::numeric_limits<int>::min()));
        QCOMPARE(s->captureDelaySeconds, AppSettings::maxCaptureDelaySeconds);
        QVERIFY(AppSettings::decode(s->encoded())->maxClipboardItems > 0);
        const auto shot = ScreenshotItem::fromJson(changed("screenshot", QStringLiteral("width"), 1e308));
        QVERIFY(shot && shot->width == ScreenshotItem::maxPixels);
        QJsonObject far = changed("annotation", QStringLiteral("lineWidth"), 4);
        far.insert("points", QJsonArray{QJsonArray{1e308, -1e308}});
        QCOMPARE(AnnotationObject::fromJson(far)->points.value(0), QPointF(1 << 24, -(1 << 24)));
    }

    void shapesWithTooFewPointsHaveNoOrAPointBox()
    {
        AnnotationObject cursor;
        cursor.kind = AnnotationKind::cursor;
        QCOMPARE(cursor.boundingBox(), QRectF());
        QCOMPARE(cursor.cursorRect({0.5, 0.5}), QRectF());
        AnnotationObject bubble;
        bubble.kind = AnnotationKind::speechBubble;
        bubble.points = {{5, 5}};
        bubble.lineWidth = 2;
        QCOMPARE(bubble.boundingBox(), QRectF(3, 3, 4, 4));
    }

    void prettyLayoutIsPinned()
    {
        const QJsonArray history{QJsonObject{
            {"width", 1920}, {"id", "6F1C2A3B-0000-4000-8000-00000000000A"}, {"isFavorite", false},
            {"fileName", "Zentu.it_Screenshot_2026-12-06_09-05-03-042.png"},
            {"annotations", QJsonArray{}}, {"createdAt", "2026-12-06T08:05:03Z"},
            {"path", "a/b"}, {"ratio", 0.1}, {"nested", QJsonObject{{"b", 1}, {"a", QJsonObject{}}}},
        }};
        const QByteArray expected =
            "[\n"
            "  {\n"
            "    \"annotations\" : [],\n"
            "    \"createdAt\" : \"2026-12-06T08:05:03Z\",\n"
            "    \"fileName\" : \"Zentu.it_Screenshot_2026-12-06_09-05-03-042.png\",\n"
            "    \"id\" : \"6F1C2A3B-0000-4000-8000-00000000000A\",\n"
            "    \"isFavorite\" : false,\n"
            "    \"nested\" : {\n"
            "      \"a\" : {},\n"
            "      \"b\" : 1\n"
            "    },\n"
            "    \"path\" : \"a\\/b\",\n"
            "    \"ratio\" : 0.1,\n"
            "    \"width\" : 1920\n"
            "  }\n"
            "]";
        QCOMPARE(JsonWriter::pretty(history), expected);
        QCOMPARE(JsonWriter::pretty(QJsonArray{}), QByteArray("[]"));
    }

    void stringsAndNumbers()
    {
        QCOMPARE(JsonWriter::compact(QJsonArray{"Zitat \"x\"\n\tTab", "Größe 1920×1080", QString(QChar(1))}),
                 QByteArray("[\"Zitat \\\"x\\\"\\n\\tTab\",\"Größe 1920×1080\",\"\\u0001\"]"));
        QCOMPARE(JsonWriter::number(4.0), QByteArray("4"));
        QCOMPARE(JsonWriter::number(-2.5), QByteArray("-2.5"));
        QCOMPARE(JsonWriter::number(0.9), QByteArray("0.9"));
        QCOMPARE(JsonWriter::number(1.0 / 3.0).toDouble(), 1.0 / 3.0);
    }

    // Round trips are above; here what other writers may have left.
    void datesAndIdsOfOtherWriters()
    {
        QCOMPARE(JsonDecoder::parseDate("2026-12-06T09:05:03+01:00").toUTC().time(), QTime(8, 5, 3));
        QVERIFY(!JsonDecoder::parseDate("2026-12-06T08:05:03").isValid());
        QVERIFY(!JsonDecoder::parseDate("gestern").isValid());
        const QString id = JsonDecoder::formatUuid(QUuid::createUuid());
        QCOMPARE(id, id.toUpper());
    }
};

ZENTU_TEST_MAIN(TestRecords)
#include "tst_records.moc"
