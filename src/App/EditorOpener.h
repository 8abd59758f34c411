#pragma once
// Opens the editor on a stored capture (or brings forward the one already
// open on it).
class QImage;
struct ScreenshotItem;

class EditorOpener {
public:
    virtual ~EditorOpener() = default;
    virtual void openEditor(const QImage& image, const ScreenshotItem& item) = 0;
};
