#pragma once
// Where a taken capture goes: the clipboard, the screenshot history and,
// when asked, the editor.
#include "Models/CoreTypes.h"
#include "Platform/AtomicFile.h"

#include <QByteArray>
#include <QFuture>
#include <functional>
#include <optional>

class QImage;

class CaptureDestinations {
public:
    // The capture's PNG data, made once off the main thread for the clipboard
    // and the history alike.
    using PngData = QFuture<std::optional<QByteArray>>;

    virtual ~CaptureDestinations() = default;

    // Puts the image on the clipboard as the program's own copy, then calls
    // back (at once or a moment later) with false when another program's
    // newer copy won.
    virtual void copyToClipboard(const QImage& image, PngData png, std::function<void(bool copied)> done) = 0;
    // Adds the image to the screenshot history and then, when asked, opens the
    // editor on the new item; calls back once thumbnail and picture were
    // written, or with why they were not.
    virtual void store(const QImage& image, PngData png, CaptureKind kind, bool openEditor,
                       std::function<void(const FileWriteOutcome&)> stored) = 0;
    // A capture's own toast told of a problem with the disk: the problem's
    // toast need not come too.
    virtual void storageProblemAnnounced() = 0;
};
