#include "Editor/AnnotationFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cmath>

namespace {

QFont sized(QFont font, double pixelSize, const QPaintDevice& device)
{
    // A point size is what QFont keeps fractionally; the device's dpi turns it back into pixels.
    const double px = std::isfinite(pixelSize) ? std::clamp(pixelSize, 1.0, 4000.0) : 12.0;
    font.setPointSizeF(px * 72.0 / std::max(1, device.logicalDpiY()));
    // Unhinted outlines keep widths proportional to the size, so a text measures
    // the same at every zoom of the canvas as in the exported picture.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Name -> font of that name, or nothing when none is installed. Font database
// look-ups are slow, and the same few names come back on every redraw.
std::optional<QFont> named(const QString& name)
{
    static QMutex mutex;
    static QHash<QString, std::optional<QFont>> cache;
    QMutexLocker lock(&mutex);
    if (const auto it = cache.constFind(name); it != cache.constEnd())
        return *it;
    std::optional<QFont> found;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0) {
            found = QFont(family);
            found->setWeight(QFont::Normal);
            break;
        }
        if (name.startsWith(family + QLatin1Char(' '), Qt::CaseInsensitive)) {
            const QString style = name.mid(family.size() + 1);
            for (const QString& s : QFontDatabase::styles(family))
                if (s.compare(style, Qt::CaseInsensitive) == 0) {
                    found = QFontDatabase::font(family, s, 12);
                    break;
                }
            if (found)
                break;
        }
    }
    cache.insert(name, found);
    return found;
}

} // namespace

QFont AnnotationFont::resolve(const std::optional<QString>& name, double pixelSize, const QPaintDevice& device)
{
    if (name && !name->isEmpty())
        if (const auto font = named(*name))
            return sized(*font, pixelSize, device);
    QFont font = QGuiApplication::font();
    font.setWeight(QFont::DemiBold);
    return sized(font, pixelSize, device);
}

QFont AnnotationFont::bold(double pixelSize, const QPaintDevice& device)
{
    QFont font = QGuiApplication::font();
    font.setWeight(QFont::Bold);
    return sized(font, pixelSize, device);
}

const QPaintDevice& AnnotationFont::measuringDevice()
{
    static const QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    return device;
}
