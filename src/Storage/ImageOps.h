#pragma once
// PNG encoding, reading the pictures the app stored, and the two scaled
// copies used for thumbnails.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

namespace ImageOps {
// PNG data of the image; none for a null image or when encoding fails.
std::optional<QByteArray> pngData(const QImage& image);

// Why a stored picture could not be opened.
enum class ReadProblem { none, missing, noAccess, tooLarge, damaged };
struct Read {
    QImage image;
    ReadProblem problem = ReadProblem::none;
};
// The largest picture the app opens (what a tall scrolling capture reaches
// is far below it).
constexpr qint64 maxImageBytes = qint64(2) << 30;
// Reads a picture of any size the app may have stored: Qt's default limit
// (128 MB decoded) is raised, for this reader only, to the picture's own size
// as its header gives it, up to maxImageBytes.
Read readImage(const QString& path);
// What to tell the user about a picture that could not be opened.
QString problemText(ReadProblem problem);

// A copy that scales smoothly: pictures of one or a few bits, palettes and
// grey levels are converted first (scaled as they are, a one-bit picture
// comes out as black-and-white noise).
QImage scalable(const QImage& image);
// Scaled copy whose longer side is at most maxDimension; never enlarges.
QImage thumbnail(const QImage& image, double maxDimension);
// Scaled copy of the top of a tall image, cut to the given width/height ratio.
QImage topThumbnail(const QImage& image, double maxDimension, double aspect);
// Scaled to cover `size` exactly, cut from its middle (tiles and rows).
QImage filled(const QImage& image, QSize size);
// Nearest whole number, a half going away from zero.
long long roundHalfAway(double v);
}
