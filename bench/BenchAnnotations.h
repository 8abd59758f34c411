#pragma once
// Pictures and annotation sets shared by the editor's benchmarks: something
// like a screenshot, and annotations of every drawn kind spread over it.
#include "Models/AnnotationObject.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

namespace BenchAnnotations {

// Something like a screenshot: flat panels, lines of "text", a few photos' worth of noise.
inline QImage screenshotLike(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(246, 246, 248));
    QPainter p(&image);
    QRandomGenerator rng(1);
    for (int y = 0; y < h; y += 24)
        for (int x = 20; x < w - 200; x += 40 + int(rng.bounded(200)))
            p.fillRect(x, y + 8, 30 + int(rng.bounded(150)), 9, QColor(40, 40, 50));
    for (int i = 0; i < (w * h) / 400000; ++i)
        p.fillRect(int(rng.bounded(w)), int(rng.bounded(h)), 200, 150,
                   QColor(int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256))));
    return image;
}

inline const QImage& picture(int w, int h)
{
    static QHash<QPair<int, int>, QImage> cache;
    auto it = cache.find({w, h});
    if (it == cache.end())
        it = cache.insert({w, h}, screenshotLike(w, h));
    return *it;
}

inline QByteArray smallPng()
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Annotations spread over the picture: `shapes` plain ones cycling through
// every drawn kind, plus `blurs` blur areas of 480 x 270 alternating both
// styles at amounts 30 and 100, plus `loupes` magnifiers.
inline QList<AnnotationObject> annotations(int w, int h, int shapes, int blurs, int loupes)
{
    QRandomGenerator rng(7);
    const auto at = [&](double margin) { return QPointF(margin + rng.bounded(w - 2 * margin), margin + rng.bounded(h - 2 * margin)); };
    static const QByteArray png = smallPng();
    QList<AnnotationObject> list;
    for (int i = 0; i < shapes; ++i) {
        AnnotationObject a;
        a.color = RGBAColor{0.9, 0.2, 0.2, 1};
        a.lineWidth = 4;
        const QPointF p = at(300);
        switch (i % 10) {
        case 0: a.kind = AnnotationKind::arrow; a.points = {p, p + QPointF(220, -120)}; break;
        case 1: a.kind = AnnotationKind::line; a.points = {p, p + QPointF(-200, 90)}; a.dashed = true; break;
        case 2: a.kind = AnnotationKind::rectangle; a.points = {p, p + QPointF(260, 140)}; a.cornerRadius = 12;
                a.fillColor = RGBAColor{0.9, 0.2, 0.2, 0.25}; break;
        case 3: a.kind = AnnotationKind::ellipse; a.points = {p, p + QPointF(200, 120)}; break;
        case 4: a.kind = AnnotationKind::freehand;
                for (int k = 0; k < 120; ++k)
                    a.points.append(p + QPointF(k * 2.0, 30 * std::sin(k / 8.0)));
                break;
        case 5: a.kind = AnnotationKind::text; a.points = {p}; a.text = QStringLiteral("Hier klicken\nund dann speichern");
                a.fontSize = 28; break;
        case 6: a.kind = AnnotationKind::badge; a.points = {p}; a.badgeNumber = i / 10 + 1; break;
        case 7: a.kind = AnnotationKind::speechBubble; a.points = {p, p + QPointF(260, 110)}; a.text = QStringLiteral("Achtung!"); break;
        case 8: a.kind = AnnotationKind::cursor; a.points = {p}; a.cursorStyle = QStringLiteral("solid_arrowClick");
                a.highlightEnabled = true; break;
        case 9: a.kind = AnnotationKind::image; a.points = {p, p + QPointF(160, 120)}; a.imageData = png; break;
        }
        list.append(a);
    }
    for (int i = 0; i < blurs; ++i) {
        AnnotationObject a;
        a.kind = AnnotationKind::blur;
        const QPointF p = at(300);
        a.points = {p, p + QPointF(480, 270)};
        a.blurStyle = i % 2 ? BlurStyle::gaussian : BlurStyle::pixelated;
        a.blurAmount = i % 3 ? 30 : 100;
        list.insert(int(rng.bounded(list.size() + 1)), a);
    }
    for (int i = 0; i < loupes; ++i) {
        AnnotationObject a;
        a.kind = AnnotationKind::magnifier;
        a.color = RGBAColor{0, 0, 0, 1};
        a.lineWidth = 3;
        const QPointF p = at(300);
        a.points = {p, p + QPointF(240, 240)};
        list.append(a);
    }
    return list;
}

} // namespace BenchAnnotations
