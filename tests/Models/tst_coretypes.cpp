#include "Models/CoreTypes.h"
#include "Models/HotkeyAction.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonDocument>

class TestCoreTypes : public QObject {
    Q_OBJECT
private:
    template <typename E>
    void checkRawValues(const QStringList& expected)
    {
        QStringList seen;
        for (E e : allCases<E>()) {
            const QString raw = rawValue(e);
            seen << raw;
            QCOMPARE(fromRawValue<E>(raw), std::optional<E>(e));
            QVERIFY(!fromRawValue<E>(raw.toUpper()));
            if (raw.size() > 1)
                QVERIFY(!fromRawValue<E>(raw.left(1).toUpper() + raw.mid(1)));
        }
        QCOMPARE(seen, expected);
        QVERIFY(!fromRawValue<E>(QString()));
    }

private Q_SLOTS:
    void rawValuesAreExactAndInOrder()
    {
        checkRawValues<CaptureKind>({"area", "window", "fullScreen", "scrolling"});
        checkRawValues<AnnotationKind>({"arrow", "line", "rectangle", "ellipse", "freehand", "text", "blur",
                                        "badge", "speechBubble", "image", "magnifier", "cursor"});
        checkRawValues<EditorTool>({"select", "crop", "arrow", "line", "rectangle", "ellipse", "freehand",
                                    "text", "speechBubble", "badge", "blur", "magnifier", "cursor"});
        checkRawValues<BlurStyle>({"pixelated", "gaussian"});
        checkRawValues<SpeechBubbleStyle>({"rounded", "oval", "rectangle", "thought"});
        checkRawValues<CropAspect>({"free", "r1_1", "r4_3", "r3_2", "r16_9", "r3_4", "r9_16"});
        checkRawValues<HotkeyAction>({"captureArea", "captureFullScreen", "captureWindow", "openClipboard"});
    }

    void toolsMapToTheirKindsByName()
    {
        QCOMPARE(annotationKind(EditorTool::select), std::nullopt);
        QCOMPARE(annotationKind(EditorTool::crop), std::nullopt);
        // Tool order and kind order differ from speechBubble on: the mapping is by name.
        for (EditorTool tool : allCases<EditorTool>()) {
            if (const auto kind = annotationKind(tool))
                QCOMPARE(rawValue(*kind), rawValue(tool));
        }
    }

    void colourJson()
    {
        const RGBAColor c = RGBAColor::palette().front();
        QCOMPARE(RGBAColor::fromJson(c.toJson()), std::optional<RGBAColor>(c));

        QJsonObject noAlpha = c.toJson();
        noAlpha.remove("alpha");
        QVERIFY(!RGBAColor::fromJson(noAlpha));
        QJsonObject textual = c.toJson();
        textual["red"] = "0.9";
        QVERIFY(!RGBAColor::fromJson(textual));
        QJsonObject extra = c.toJson();
        extra["name"] = "rot";
        QCOMPARE(RGBAColor::fromJson(extra), std::optional<RGBAColor>(c));
    }
};

ZENTU_TEST_MAIN(TestCoreTypes)
#include "tst_coretypes.moc"
