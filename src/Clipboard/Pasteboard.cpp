#include "Clipboard/Pasteboard.h"

#include "Storage/ImageOps.h"

ClipboardWrite Pasteboard::copyImageWithPNG(ClipboardService& clipboard, const QImage& image)
{
    // The image goes on the clipboard even when no PNG could be made of it.
    return clipboard.writeImage(image, ImageOps::pngData(image));
}
