// The editor's state record and its JSON form: the declared values written as
// the golden text pins them, a state with every field changed comes back
// equal, a missing key or an unknown value refuses the whole record, and the
// values an editor opens with follow the picture's width.
#include "Models/EditorState.h"
#include "Models/JsonWriter.h"
#include "support/IsolatedEnvironment.h"
#include "support/JsonEdits.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString goldenPath() { return QStringLiteral(ZENTU_SOURCE_DIR "/tests/Models/golden/editor-state.json"); }

QJsonObject golden() { return QJsonDocument::fromJson(fileContents(goldenPath())).object(); }

AnnotationObject annotation(AnnotationKind kind, QList<QPointF> points)
{
    AnnotationObject a;
    a.kind = kind;
    a.color = {0.16, 0.5, 0.95, 1};
    a.lineWidth = 6;
    a.points = std::move(points);
    return a;
}

// Every field away from its declared value.
EditorState everyFieldChanged()
{
    EditorState s;
    AnnotationObject text = annotation(AnnotationKind::text, {{10, 20}});
    text.text = QStringLiteral("Grüße / \"zitiert\"");
    text.fontSize = 40;
    text.fontName = QStringLiteral("DejaVu Serif");
    AnnotationObject cursor = annotation(AnnotationKind::cursor, {{300.5, 200.25}});
    cursor.cursorStyle = QStringLiteral("soft_arrowClick");
    cursor.highlightEnabled = true;
    cursor.highlightColor = RGBAColor{1, 0.81, 0.2, 1};
    s.annotations = {annotation(AnnotationKind::arrow, {{0, 0}, {120, 80}}), text, cursor};
    s.selectedTool = EditorTool::speechBubble;
    s.selectedColor = RGBAColor::palette()[5];
    s.lineWidth = 7.5;
    s.fontSize = 36;
    s.selectedFontName = QStringLiteral("DejaVu Sans");
    s.selectedBlurStyle = BlurStyle::gaussian;
    s.blurAmount = 55;
    s.cornerRadius = 12;
    s.dashed = true;
    s.fillEnabled = true;
    s.fillColor = {0, 0, 1, 0.5};
    s.badgeColor = RGBAColor::palette()[3];
    s.badgeTextColor = {0, 0, 0, 1};
    s.badgeSize = 60;
    s.badgeFontSize = 30;
    s.magnifierZoom = 3.5;
    s.cursorStyle = QStringLiteral("solid_pointer");
    s.cursorSize = 64;
    s.cursorHighlightEnabled = true;
    s.cursorHighlightColor = {0.2, 0.7, 0.35, 1};
    s.cursorHighlightSize = 99;
    s.cursorHighlightOpacity = 0.75;
    s.bubbleStyle = SpeechBubbleStyle::thought;
    s.cropAspect = CropAspect::r9_16;
    return s;
}

} // namespace

class TestEditorState : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The declared values, key for key, in the history files' layout; no key
    // for the absent font name.
    void declaredStateIsTheGoldenText()
    {
        QCOMPARE(JsonWriter::pretty(EditorState().toJson()), fileContents(goldenPath()).trimmed());
        QVERIFY(!golden().contains(QStringLiteral("selectedFontName")));
        QVERIFY(EditorState::fromJson(golden()) == EditorState());
        QVERIFY(!EditorState::fromJson(QJsonArray{golden()})); // not an object
    }

    void everyFieldSurvivesARoundTrip()
    {
        const EditorState s = everyFieldChanged();
        const QJsonObject o = s.toJson();
        QCOMPARE(o.value("selectedFontName").toString(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(o.value("cropAspect").toString(), QStringLiteral("r9_16"));
        QCOMPARE(o.value("selectedTool").toString(), QStringLiteral("speechBubble"));
        // Through the text as well, as a file would carry it.
        QVERIFY(EditorState::fromJson(QJsonDocument::fromJson(JsonWriter::pretty(o)).object()) == s);
        // Keys of a later version are passed over; a null font name is an absent one.
        QJsonObject later = withKey(o, "rulerVisible", true);
        later["selectedFontName"] = QJsonValue::Null;
        const auto lenient = EditorState::fromJson(later);
        QVERIFY(lenient && !lenient->selectedFontName);
    }

    void refusedWhole_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined: the key removed
        // Every key but the font name is required.
        for (const QString& key : golden().keys())
            QTest::newRow(qPrintable(key + " missing")) << key << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("crop aspect unknown") << "cropAspect" << QJsonValue("r2_1");
        QTest::newRow("tool in capitals") << "selectedTool" << QJsonValue("Arrow");
        QTest::newRow("blur style unknown") << "selectedBlurStyle" << QJsonValue("smear");
        QTest::newRow("bubble style empty") << "bubbleStyle" << QJsonValue("");
        QTest::newRow("width as text") << "lineWidth" << QJsonValue("4");
        QTest::newRow("switch as number") << "dashed" << QJsonValue(0);
        QTest::newRow("font name as number") << "selectedFontName" << QJsonValue(12);
        QTest::newRow("colour without alpha")
            << "selectedColor" << QJsonValue(QJsonObject{{"red", 1}, {"green", 0}, {"blue", 0}});
        QTest::newRow("colour as text") << "badgeColor" << QJsonValue("#ff0000");
        QTest::newRow("annotations not a list") << "annotations" << QJsonValue(QJsonObject{});
        QJsonObject broken = everyFieldChanged().annotations.first().toJson();
        broken.remove("points");
        QTest::newRow("one annotation without points") << "annotations" << QJsonValue(QJsonArray{broken});
    }
    void refusedWhole()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QVERIFY(!EditorState::fromJson(withKey(golden(), key, value)));
    }

    void fontNameAloneMakesStatesUnequal()
    {
        EditorState named;
        named.selectedFontName = QStringLiteral("DejaVu Sans");
        QVERIFY(!(named == EditorState()));
        const auto unnamed = EditorState::fromJson(withKey(named.toJson(), "selectedFontName", QJsonValue::Undefined));
        QVERIFY(unnamed && *unnamed == EditorState());
    }

    // New annotations take their style from these numbers: a hand-made text
    // is held to what the toolbar's controls offer.
    void numbersAreHeldToTheirControls()
    {
        QJsonObject o = golden();
        o["lineWidth"] = 1e6;
        o["magnifierZoom"] = 0;
        o["cursorHighlightOpacity"] = 0.35;
        const auto s = EditorState::fromJson(o);
        QVERIFY(s);
        QCOMPARE(s->lineWidth, 30.0);
        QCOMPARE(s->magnifierZoom, 1.2);
        QCOMPARE(s->cursorHighlightOpacity, 0.35);
    }

    void openingFollowsThePictureWidth()
    {
        // A twentieth of the width, held between 24 and 90; the highlight 1.4 times that.
        for (const auto& [width, cursor] : {std::pair{2000.0, 90.0}, {100.0, 24.0}, {1000.0, 50.0}}) {
            QCOMPARE(EditorState::opening(width).cursorSize, cursor);
            QCOMPARE(EditorState::opening(width).cursorHighlightSize, 1.4 * cursor);
        }
        const QList<AnnotationObject> three = everyFieldChanged().annotations;
        QCOMPARE(EditorState::opening(800, three).annotations, three);
        QVERIFY(EditorState::opening(800).annotations.isEmpty());
    }
};

ZENTU_TEST_MAIN(TestEditorState)
#include "tst_editorstate.moc"
