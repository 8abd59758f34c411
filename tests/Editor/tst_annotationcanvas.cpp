// The editor's canvas on the offscreen platform: its pixels against the
// renderer's flattened picture, the selection, marquee and crop overlay,
// inserted pictures, zooming, and pointer gestures sent as QTest mouse events.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/CanvasContentView.h"
#include "Editor/EditorSession.h"
#include "Editor/EmbeddedImageCache.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QBuffer>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QScrollBar>

namespace {

using K = AnnotationKind;
const RGBAColor red{0.9, 0.2, 0.2, 1};

QImage stripes(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    for (int x = 0; x < w; x += 10)
        p.fillRect(x, 0, 10, h, x % 20 ? QColor(200, 220, 240) : QColor(240, 235, 200));
    for (int y = 0; y < h; y += 50)
        p.fillRect(0, y, w, 3, QColor(60, 60, 70));
    return image;
}

QByteArray png(QColor color, QSize size = {40, 30})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

AnnotationObject styled(AnnotationObject a, const std::function<void(AnnotationObject&)>& change)
{
    a.color = red;
    change(a);
    return a;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class tst_AnnotationCanvas : public QObject {
    Q_OBJECT

    // A 400 × 300 picture on a canvas of the same size: one view point per pixel at zoom 1.
    struct Canvas {
        FakeEditorEnvironment env;
        EditorSession session;
        EditorViewModel& vm;
        AnnotationCanvasView view;
        Canvas(const QList<AnnotationObject>& annotations, QImage picture = stripes(400, 300))
            : session(picture, itemWith(annotations), env)
            , vm(session.model())
            , view(session)
        {
            view.resize(picture.size());
            view.show();
        }
        CanvasContentView& content() { return view.contentView(); }
        QImage pixels() { return content().grab().toImage().convertToFormat(QImage::Format_RGB32); }
        const AnnotationObject& at(qsizetype i) const { return vm.state().annotations.at(i); }
    };

    // As the window system delivers it: press, release, double-click press, release.
    static void doubleClick(QWidget& w, QPoint at)
    {
        QTest::mouseClick(&w, Qt::LeftButton, {}, at);
        QTest::mouseDClick(&w, Qt::LeftButton, {}, at);
        QTest::mouseRelease(&w, Qt::LeftButton, {}, at);
    }
    static void drag(QWidget& w, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(&w, Qt::LeftButton, modifiers, from);
        QTest::mouseMove(&w, (from + to) / 2);
        QTest::mouseMove(&w, to);
        QTest::mouseRelease(&w, Qt::LeftButton, modifiers, to);
    }

private Q_SLOTS:

    void drawsEveryKindAsTheFlattenedPictureDoes()
    {
        const QList<AnnotationObject> list = {
            styled(shape(K::arrow, {{20, 20}, {150, 80}}), [](auto& a) { a.dashed = true; }),
            styled(shape(K::rectangle, {{180, 20}, {280, 90}}), [](auto& a) {
                a.cornerRadius = 12;
                a.fillColor = RGBAColor{0.2, 0.4, 0.9, 0.3};
            }),
            styled(shape(K::ellipse, {{300, 20}, {390, 90}}), [](auto&) {}),
            styled(shape(K::freehand, {{20, 100}, {40, 130}, {70, 105}, {90, 140}}), [](auto&) {}),
            styled(shape(K::text, {{110, 100}}), [](auto& a) { a.text = QStringLiteral("Hallo\nWelt"); a.fontSize = 20; }),
            styled(shape(K::badge, {{230, 130}}), [](auto& a) { a.badgeNumber = 7; }),
            styled(shape(K::speechBubble, {{270, 110}, {390, 160}}), [](auto& a) { a.text = QStringLiteral("Ok"); }),
            styled(shape(K::blur, {{20, 200}, {120, 280}}), [](auto& a) { a.blurAmount = 60; }),
            styled(shape(K::image, {{140, 200}, {200, 260}}), [](auto& a) { a.imageData = png(Qt::darkGreen); }),
            styled(shape(K::magnifier, {{220, 190}, {300, 270}}), [](auto&) {}),
            styled(shape(K::cursor, {{340, 220}}), [](auto& a) { a.cursorSize = 60; a.cursorStyle = QStringLiteral("solid_arrowClick"); }),
        };
        Canvas canvas(list);
        QCOMPARE(canvas.content().contentSize(), QSizeF(400, 300));
        const QImage shown = canvas.pixels();
        const QImage flattened = AnnotationRenderer::render(canvas.vm.original(), list).convertToFormat(QImage::Format_RGB32);
        int differing = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                differing += channelDistance(shown.pixel(x, y), flattened.pixel(x, y)) > 2;
        QCOMPARE(differing, 0);
        QVERIFY(shown != canvas.vm.original().convertToFormat(QImage::Format_RGB32)); // something was drawn
    }

    // At zoom 1 a larger picture is its smooth shrunk copy, annotations drawn
    // over it never reach that kept copy, a smaller one is shown pixel for
    // pixel (never enlarged), and a transparent one shows the page beneath.
    void zoomOneShrinksLargerPicturesAndNeverEnlarges()
    {
        const QImage large = stripes(800, 600);
        Canvas shrunk({shape(K::rectangle, {{100, 100}, {300, 200}})}, large);
        shrunk.view.resize(400, 300);
        QTRY_COMPARE(shrunk.content().contentSize(), QSizeF(400, 300));
        const QImage expected = large.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const auto differing = [](const QImage& a, const QImage& b, const QRect& skip) {
            int n = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    n += !skip.contains(x, y) && a.pixel(x, y) != b.pixel(x, y);
            return n;
        };
        const QImage withFrame = shrunk.pixels();
        QCOMPARE(differing(withFrame, expected, QRect(40, 40, 120, 70)), 0);
        QVERIFY(withFrame != expected);
        shrunk.vm.resetAll();
        QTRY_COMPARE(differing(shrunk.pixels(), expected, QRect()), 0);

        const QImage small = stripes(200, 100);
        Canvas fitted({}, small);
        fitted.view.resize(400, 300);
        QTRY_COMPARE(fitted.content().contentSize(), QSizeF(200, 100));
        QCOMPARE(fitted.pixels(), small);

        QImage clear(400, 300, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        Canvas see({}, clear);
        const QColor page = see.view.viewport()->palette().color(QPalette::Window);
        QCOMPARE(QColor(see.pixels().pixel(200, 150)), page);
    }

    void gripsShowForOneSelectedAnnotationWithTheSelectToolOnly()
    {
        Canvas canvas({shape(K::rectangle, {{100, 100}, {200, 200}}), shape(K::ellipse, {{250, 50}, {350, 150}})});
        const QUuid rect = canvas.at(0).id, ellipse = canvas.at(1).id;
        canvas.vm.setTool(EditorTool::select);
        canvas.vm.setSelectedAnnotationID(rect);
        QCOMPARE(canvas.pixels().pixelColor(100, 100), QColor(Qt::white)); // on the rectangle's corner
        canvas.vm.setSelectedIDs({rect, ellipse});
        QVERIFY(canvas.pixels().pixelColor(100, 100) != QColor(Qt::white));
        canvas.vm.setTool(EditorTool::arrow);
        canvas.vm.setSelectedIDs({rect});
        QVERIFY(canvas.pixels().pixelColor(100, 100) != QColor(Qt::white));
    }

    void marqueeTintsAndCropDimsOutsideTheDraft()
    {
        Canvas canvas({});
        const QImage plain = canvas.pixels();
        canvas.vm.setTool(EditorTool::select);
        QTest::mousePress(&canvas.content(), Qt::LeftButton, {}, {50, 50});
        QTest::mouseMove(&canvas.content(), {150, 120});
        QVERIFY(canvas.pixels().pixelColor(100, 80) != plain.pixelColor(100, 80));
        QTest::mouseRelease(&canvas.content(), Qt::LeftButton, {}, {150, 120});
        QCOMPARE(canvas.pixels(), plain); // the marquee's tint leaves no trace
        canvas.vm.setTool(EditorTool::crop);
        drag(canvas.content(), {100, 100}, {300, 200});
        QCOMPARE(canvas.session.crop().cropDraft(), QRectF(100, 100, 200, 100));
        const QImage cropped = canvas.pixels();
        QCOMPARE(cropped.pixelColor(200, 150), plain.pixelColor(200, 150));
        QVERIFY(cropped.pixelColor(50, 250).green() < plain.pixelColor(50, 250).green() * 0.8);
    }

    void insertedPicturesShowTheirOwnDataDecodedOnce()
    {
        Canvas canvas({shape(K::image, {{20, 20}, {120, 100}}), shape(K::image, {{200, 20}, {300, 100}})});
        QList<AnnotationObject> list = canvas.vm.state().annotations;
        list[0].imageData = png(Qt::blue);
        list[1].imageData = png(Qt::green);
        canvas.vm.replaceImage(canvas.vm.original(), list);
        QImage shown = canvas.pixels();
        QCOMPARE(shown.pixelColor(70, 60), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(250, 60), QColor(Qt::green));
        QCOMPARE(canvas.content().painter().pictures().decodes(), 2);
        // Redrawing (any change of the annotations) decodes nothing again.
        canvas.vm.setTool(EditorTool::select);
        canvas.vm.setSelectedAnnotationID(list[0].id);
        canvas.pixels();
        QCOMPARE(canvas.content().painter().pictures().decodes(), 2);
        // New bytes under the same annotation show the new picture.
        list[0].imageData = png(Qt::red);
        canvas.vm.replaceImage(canvas.vm.original(), list);
        QCOMPARE(canvas.pixels().pixelColor(70, 60), QColor(Qt::red));

        // The cache stays within its budget; equal bytes in another buffer are the same picture.
        const QByteArray data = png(Qt::cyan, {100, 100}); // 40,000 bytes decoded
        EmbeddedImageCache cache(100'000);
        QList<QUuid> ids;
        for (int i = 0; i < 5; ++i) {
            ids << QUuid::createUuid();
            QCOMPARE(cache.image(ids.last(), data).pixelColor(5, 5), QColor(Qt::cyan));
        }
        QVERIFY(cache.bytes() <= 100'000);
        cache.image(ids.last(), QByteArray(data.constData(), data.size()));
        QCOMPARE(cache.decodes(), 5);
        QVERIFY(cache.image(ids.last(), QByteArray("no picture")).isNull());
    }

    void pinchAndCtrlWheelZoomWithinLimits()
    {
        Canvas canvas({});
        canvas.view.pinchChanged(100);
        QCOMPARE(canvas.vm.zoom(), 40.0);
        canvas.view.pinchEnded();
        canvas.view.pinchChanged(0.001); // the second pinch starts from the first one's zoom
        QCOMPARE(canvas.vm.zoom(), 0.25);
        canvas.view.pinchEnded();

        // The platform's pinch: each event carries the change since the last one.
        canvas.vm.setZoom(1);
        const auto* device = QPointingDevice::primaryPointingDevice();
        const QPointF at(200, 150);
        for (auto [type, value] : {std::pair{Qt::BeginNativeGesture, 0.0}, {Qt::ZoomNativeGesture, 0.5},
                                   {Qt::ZoomNativeGesture, 0.2}, {Qt::EndNativeGesture, 0.0}}) {
            QNativeGestureEvent event(type, device, 2, at, at, canvas.view.viewport()->mapToGlobal(at), value, {}, 0);
            QCoreApplication::sendEvent(canvas.view.viewport(), &event);
        }
        QCOMPARE(canvas.vm.zoom(), 1.8);

        // Ctrl+wheel: one notch is a step of 1.25, about the pointer.
        canvas.vm.setZoom(2);
        const QPointF pointer(100, 100);
        const auto scrolled = [&] {
            return pointer + QPointF(canvas.view.horizontalScrollBar()->value(), canvas.view.verticalScrollBar()->value());
        };
        const QPointF before = scrolled();
        QWheelEvent wheel(pointer, canvas.view.viewport()->mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(canvas.view.viewport(), &wheel);
        QCOMPARE(canvas.vm.zoom(), 2.5);
        QVERIFY(std::abs(scrolled().x() - before.x() * 1.25) <= 1);
        QVERIFY(std::abs(scrolled().y() - before.y() * 1.25) <= 1);
    }

    void selectToolShiftClicksAndMoves()
    {
        Canvas canvas({shape(K::rectangle, {{50, 50}, {150, 150}}), shape(K::arrow, {{200, 200}, {350, 250}})});
        const QUuid rect = canvas.at(0).id, arrow = canvas.at(1).id;
        canvas.vm.setTool(EditorTool::select);
        QWidget& content = canvas.content();
        QTest::mouseClick(&content, Qt::LeftButton, {}, {275, 225});
        QTest::mouseClick(&content, Qt::LeftButton, Qt::ShiftModifier, {50, 100});
        QCOMPARE(canvas.vm.selectedIDs(), (QSet<QUuid>{arrow, rect}));
        QTest::mouseClick(&content, Qt::LeftButton, Qt::ShiftModifier, {275, 225});
        QCOMPARE(canvas.vm.selectedIDs(), QSet<QUuid>{rect});

        // Dragging one of the selection moves all of it, in image pixels at any zoom.
        QTest::mouseClick(&content, Qt::LeftButton, Qt::ShiftModifier, {275, 225});
        canvas.vm.setZoom(2);
        drag(content, {100, 200}, {160, 240});
        QCOMPARE(canvas.at(0).points.first(), QPointF(80, 70));
        QCOMPARE(canvas.at(1).points.first(), QPointF(230, 220));
        QCOMPARE(canvas.vm.undoCount(), 1);
    }

    void aPressNearAGripPullsItAnywhereElseMoves()
    {
        Canvas canvas({shape(K::rectangle, {{100, 100}, {200, 200}})});
        canvas.vm.setTool(EditorTool::select);
        canvas.vm.setSelectedAnnotationID(canvas.at(0).id);
        drag(canvas.content(), {206, 208}, {240, 250}); // 10 points from the bottom-right grip
        QCOMPARE(AnnotationRenderer::area(canvas.at(0)), QRectF(100, 100, 140, 150));
        drag(canvas.content(), {248, 257}, {258, 267}); // just over 10 points from it: a move
        QCOMPARE(AnnotationRenderer::area(canvas.at(0)), QRectF(110, 110, 140, 150));

        // The crop draft's corners reach 12 points.
        canvas.vm.setTool(EditorTool::crop);
        drag(canvas.content(), {100, 100}, {300, 200});
        drag(canvas.content(), {310, 206}, {350, 250}); // 11.7 points from the bottom-right corner
        QCOMPARE(canvas.session.crop().cropDraft(), QRectF(100, 100, 250, 150));
        drag(canvas.content(), {200, 150}, {210, 160}); // inside: moves
        QCOMPARE(canvas.session.crop().cropDraft(), QRectF(110, 110, 250, 150));
    }

    // Each tool makes its kind the way the kind is made: a drag draws (a
    // click draws nothing), a click places a badge or cursor, a click opens a
    // text's field.
    void eachToolMakesItsKindByDragOrClick()
    {
        const struct { EditorTool tool; qsizetype afterClick, afterDrag; bool fieldOpen; } cases[] = {
            {EditorTool::rectangle, 0, 1, false},
            {EditorTool::badge, 1, 2, false},
            {EditorTool::cursor, 1, 2, false},
            {EditorTool::text, 0, 0, true},
        };
        const QList<QPointF> clicked{{100, 100}};
        for (const auto& c : cases) {
            const QByteArray tool = rawValue(c.tool).toUtf8();
            const char* name = tool.constData();
            Canvas canvas({});
            canvas.vm.setTool(c.tool);
            QTest::mouseClick(&canvas.content(), Qt::LeftButton, {}, {100, 100});
            QVERIFY2(canvas.vm.state().annotations.size() == c.afterClick, name);
            if (c.afterClick)
                QVERIFY2(canvas.at(0).kind == annotationKind(c.tool) && canvas.at(0).points == clicked, name);
            QVERIFY2(canvas.session.textEntry().pendingTextOrigin().has_value() == c.fieldOpen, name);
            drag(canvas.content(), {150, 150}, {250, 200});
            QVERIFY2(canvas.vm.state().annotations.size() == c.afterDrag, name);
        }
    }

    void doubleClickOpensATextOrBubbleForEditing()
    {
        auto text = shape(K::text, {{50, 50}});
        text.text = QStringLiteral("Hallo");
        text.fontSize = 20;
        Canvas canvas({text, shape(K::speechBubble, {{200, 100}, {350, 180}})});
        canvas.vm.setTool(EditorTool::select);
        doubleClick(canvas.content(), {260, 140});
        QCOMPARE(canvas.session.textEntry().editingBubbleID(), canvas.at(1).id);
        doubleClick(canvas.content(), {60, 60});
        QCOMPARE(canvas.session.textEntry().editingTextID(), canvas.at(0).id);
        QVERIFY(!canvas.session.textEntry().editingBubbleID());
    }
};

ZENTU_TEST_MAIN(tst_AnnotationCanvas)
#include "tst_annotationcanvas.moc"
