#include "Clipboard/Pasteboard.h"

#include "Platform/ClipboardService.h"
#include "Storage/ImageOps.h"

namespace {
std::shared_ptr<ClipboardService>& current()
{
    static std::shared_ptr<ClipboardService> service;
    return service;
}
}

ClipboardService& Pasteboard::service()
{
    auto& s = current();
    if (!s)
        qFatal("Pasteboard: no clipboard service installed");
    return *s;
}

void Pasteboard::setService(std::shared_ptr<ClipboardService> service)
{
    current() = std::move(service);
}

qint64 Pasteboard::copyImageWithPNG(const QImage& image)
{
    return copyImageWithPNG(service(), image);
}

qint64 Pasteboard::copyImageWithPNG(ClipboardService& clipboard, const QImage& image)
{
    // The image goes on the clipboard even when no PNG could be made of it.
    return clipboard.writeImage(image, ImageOps::pngData(image));
}
