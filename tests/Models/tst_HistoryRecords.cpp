// Annotation, editor-state, screenshot and clipboard records: boxes of shapes
// without enough points and the JSON forms stored in the history files.
#include "Models/AnnotationObject.h"
#include "Models/ClipboardItem.h"
#include "Models/EditorState.h"
#include "Models/ScreenshotItem.h"
#include "Storage/JsonWriter.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>

class tst_HistoryRecords : public QObject {
    Q_OBJECT

    static AnnotationObject at(AnnotationKind kind, QList<QPointF> points)
    {
        AnnotationObject a;
        a.kind = kind;
        a.points = points;
        return a;
    }
    static QJsonObject parse(const char* json) { return QJsonDocument::fromJson(json).object(); }

private Q_SLOTS:
    void cursorWithoutAPointHasNoBox()
    {
        AnnotationObject a = at(AnnotationKind::cursor, {});
        a.cursorStyle = QStringLiteral("soft_arrowClick");
        QCOMPARE(a.boundingBox(), QRectF());
        QCOMPARE(a.cursorRect({0.5, 0.5}), QRectF());
    }

    void boundingBoxesOfShapesWithTooFewPoints()
    {
        // A bubble of fewer than two points is treated like every other shape.
        AnnotationObject lone = at(AnnotationKind::speechBubble, {{5, 5}});
        lone.lineWidth = 2;
        QCOMPARE(lone.boundingBox(), QRectF(3, 3, 4, 4));
        QCOMPARE(at(AnnotationKind::arrow, {}).boundingBox(), QRectF());
    }

    void annotationJson()
    {
        AnnotationObject a = at(AnnotationKind::cursor, {{1.5, 2}, {3, 4}});
        a.color = RGBAColor{0.9, 0.2, 0.2, 1};
        a.lineWidth = 4;
        a.text = QStringLiteral("Grüße / \"x\"");
        a.blurStyle = BlurStyle::gaussian;
        a.dashed = true;
        a.fillColor = RGBAColor{0, 0, 1, 0.25};
        a.badgeNumber = 7;
        a.imageData = QByteArray("\x89PNG\0\1", 6);
        a.bubbleStyle = SpeechBubbleStyle::thought;
        a.cursorStyle = QStringLiteral("solid_arrow");
        a.highlightEnabled = false;
        const QJsonObject o = a.toJson();
        QCOMPARE(o.value("points").toArray().at(0).toArray(), (QJsonArray{1.5, 2}));
        QCOMPARE(o.value("imageData").toString(), QStringLiteral("iVBORwAB"));
        QVERIFY(!o.contains("fontSize")); // absent optionals leave no key
        QCOMPARE(o.value("id").toString(), a.id.toString(QUuid::WithoutBraces).toUpper());
        const auto back = AnnotationObject::fromJson(QJsonDocument::fromJson(JsonWriter::pretty(o)).object());
        QVERIFY(back);
        QCOMPARE(*back, a);
        QCOMPARE(qHash(*back), qHash(a));
        AnnotationObject other = a;
        other.points[1].setY(4.0000001);
        QVERIFY(!(other == a));
    }

    void annotationJsonRejects_data()
    {
        QTest::addColumn<QByteArray>("json");
        const QByteArray base = R"("id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"arrow","color":{"red":1,"green":0,"blue":0,"alpha":1},"lineWidth":4)";
        QTest::newRow("no points") << "{" + base + "}";
        QTest::newRow("bad kind") << QByteArray(R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"pen","color":{"red":1,"green":0,"blue":0,"alpha":1},"lineWidth":4,"points":[]})");
        QTest::newRow("point of three") << "{" + base + R"(,"points":[[1,2,3]]})";
        QTest::newRow("text not string") << "{" + base + R"(,"points":[],"text":5})";
        QTest::newRow("bad blur style") << "{" + base + R"(,"points":[],"blurStyle":"smear"})";
        QTest::newRow("fractional badge") << "{" + base + R"(,"points":[],"badgeNumber":1.5})";
        QTest::newRow("bad base64") << "{" + base + R"(,"points":[],"imageData":"***"})";
        QTest::newRow("bad colour") << "{" + base + R"(,"points":[],"fillColor":{"red":1}})";
    }
    void annotationJsonRejects()
    {
        QFETCH(QByteArray, json);
        QVERIFY(!AnnotationObject::fromJson(QJsonDocument::fromJson(json).object()));
    }

    void annotationJsonOptionalAbsent()
    {
        const auto a = AnnotationObject::fromJson(parse(R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","kind":"text","color":{"red":1,"green":0,"blue":0,"alpha":1},"lineWidth":4,"points":[[1,2]],"fontSize":null,"extra":1})"));
        QVERIFY(a);
        QVERIFY(!a->text);
        QVERIFY(!a->fontSize);
    }

    void editorStateOpening()
    {
        const EditorState declared;
        QCOMPARE(declared.selectedColor, RGBAColor::palette().front());
        QCOMPARE(declared.cursorSize, 120.0);
        QCOMPARE(declared.cursorHighlightSize, 70.0);
        struct { double width, size; } cases[] = {{1000, 50}, {400, 24}, {3000, 90}, {2000, 90}, {100, 24}};
        for (const auto& c : cases) {
            const EditorState s = EditorState::opening(c.width);
            QCOMPARE(s.cursorSize, c.size);
            QCOMPARE(s.cursorHighlightSize, 1.4 * c.size);
        }
        const QList<AnnotationObject> three{at(AnnotationKind::arrow, {{1, 1}}), at(AnnotationKind::line, {{2, 2}}),
                                            at(AnnotationKind::badge, {{3, 3}})};
        QCOMPARE(EditorState::opening(800, three).annotations, three);
        QVERIFY(EditorState::opening(800).annotations.isEmpty());
    }

    void editorStateJson()
    {
        EditorState s = EditorState::opening(1000, {at(AnnotationKind::arrow, {{1, 1}})});
        s.annotations[0].lineWidth = 4; // loading holds numbers to their control ranges
        EditorState named = s;
        named.selectedFontName = QStringLiteral("Inter");
        QVERIFY(!(named == s));
        const auto back = EditorState::fromJson(named.toJson());
        QVERIFY(back);
        QCOMPARE(*back, named);
        QJsonObject o = s.toJson();
        QVERIFY(!o.contains("selectedFontName"));
        QVERIFY(EditorState::fromJson(o));
        o.remove("cropAspect");
        QVERIFY(!EditorState::fromJson(o));
    }

    void screenshotItemJson()
    {
        ScreenshotItem item;
        item.id = QUuid::createUuid();
        item.createdAt = QDateTime(QDate(2026, 12, 6), QTime(8, 5, 3), Qt::UTC);
        item.fileName = QStringLiteral("Zentu.it_Screenshot_2026-12-06_09-05-03-042.png");
        item.width = 1000;
        item.height = 400;
        item.captureKind = CaptureKind::fullScreen;
        item.annotations = {at(AnnotationKind::arrow, {{1, 1}, {5, 5}})};
        item.annotations[0].lineWidth = 4; // loading holds numbers to their control ranges
        const QByteArray text = JsonWriter::pretty(QJsonArray{item.toJson()});
        const QList<QByteArray> keysInOrder{"\"annotations\"", "\"captureKind\"", "\"createdAt\"", "\"fileName\"",
                                            "\"height\"", "\"id\"", "\"isFavorite\"", "\"width\""};
        qsizetype last = -1;
        for (const QByteArray& key : keysInOrder) {
            const qsizetype at = text.lastIndexOf("    " + key);
            QVERIFY2(at > last, key.constData());
            last = at;
        }
        QVERIFY(!text.contains("thumbnailFileName"));
        QVERIFY(text.contains("\"createdAt\" : \"2026-12-06T08:05:03Z\""));
        const auto back = ScreenshotItem::fromJson(QJsonDocument::fromJson(text).array().at(0));
        QVERIFY(back);
        QCOMPARE(*back, item);

        QJsonObject o = item.toJson();
        o.remove("isFavorite");
        QVERIFY(!ScreenshotItem::fromJson(o));
        o = item.toJson();
        o.insert("captureKind", "movie");
        QVERIFY(!ScreenshotItem::fromJson(o));
    }

    void clipboardItemJsonAndPreview()
    {
        ClipboardItem item;
        item.id = QUuid::createUuid();
        item.createdAt = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
        item.type = ClipboardItemType::image;
        item.imageFileName = QStringLiteral("ABC.png");
        item.preview = QStringLiteral("1920×1080");
        item.contentHash = QString(64, QLatin1Char('a'));
        QCOMPARE(item.displayPreview(), QStringLiteral("Bild 1920×1080"));
        item.preview = QStringLiteral("seltsam");
        QCOMPARE(item.displayPreview(), QStringLiteral("Bild seltsam"));
        const auto back = ClipboardItem::fromJson(item.toJson());
        QVERIFY(back);
        QCOMPARE(*back, item);
        QVERIFY(!item.toJson().contains("text"));
        QJsonObject o = item.toJson();
        o.remove("preview");
        QVERIFY(!ClipboardItem::fromJson(o));
        o = item.toJson();
        o.insert("type", "file");
        QVERIFY(!ClipboardItem::fromJson(o));
    }
};

ZENTU_TEST_MAIN(tst_HistoryRecords)
#include "tst_HistoryRecords.moc"
