#pragma once
// Renders a whole PDF document into one tall image: every page scaled to 1440
// pixels wide, stacked top to bottom on white.
#include "Screenshot/CapturedScreenshot.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPdfDocument;

namespace PdfRenderer {
constexpr int outputWidth = 1440;
constexpr long long heightCap = 200000;

// Asked before each page; true ends the render as a stop (no image, no error).
using StopRequested = std::function<bool()>;

// What the caller hears while a document renders; every part may be empty.
struct Watch {
    StopRequested stopRequested;
    // After each page: pages drawn so far, and the rows of the image they fill.
    std::function<void(int pages, int heightPx)> progress;
    // A line for the debug log, without its area word.
    std::function<void(const QString&)> log;
};

// Opens a file or in-memory PDF. A password-protected document opens (and is
// refused by render()); anything unreadable throws "PDF konnte nicht gelesen werden."
std::unique_ptr<QPdfDocument> openFile(const QString& path);
std::unique_ptr<QPdfDocument> openData(const QByteArray& data);

// Pixel height of a page of the given displayed size (rotation applied) at the
// output width, halves rounded away from zero; 0 for a page without a usable
// size (no width or height), which is skipped.
int pixelHeight(const QSizeF& pageSize);

}

// The tall image (kind "scrolling"; marked incomplete when a page could not be
// drawn and stayed white), or nothing when stopped. Throws CaptureError for a
// locked, empty or too long document, or when the image cannot be allocated.
std::optional<CapturedScreenshot> renderPDF(QPdfDocument& document, const PdfRenderer::Watch& watch = {});
