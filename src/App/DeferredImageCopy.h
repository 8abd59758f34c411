#pragma once
// The automatic copy of a fresh capture: the picture goes on the clipboard
// with its PNG data, as every copy of a picture does, but the PNG (about
// 90 ms for 1920x1080, 300 ms for 3840x2160) is encoded on a worker thread,
// so the history entry and the editor do not wait for it. Once the data is
// ready the write is handed to `place` (the clipboard monitor's
// writeAfterPendingChanges), which looks at any change still unread before it
// lets the write replace it, and reports what the write left. A copy that
// finds the clipboard changed since it was asked for (a later copy of ours,
// or another program's) leaves it alone: the newer content wins, and the copy
// is reported as not made.
#include "Platform/ClipboardService.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <functional>

class DeferredImageCopy : public QObject {
    Q_OBJECT
public:
    using Write = std::function<ClipboardWrite()>;
    using PngData = QFuture<std::optional<QByteArray>>;
    using Place = std::function<void(Write write, std::function<void(const ClipboardWrite&)> done)>;

    DeferredImageCopy(ClipboardService& clipboard, Place place, QObject* parent = nullptr);

    // `done` learns whether the picture is on the clipboard. `png`: its PNG
    // data when it is being made anyway (for the history); else it is made here.
    void copy(const QImage& image, std::function<void(bool copied)> done, std::optional<PngData> png = std::nullopt);
    // A copy is still encoding or waiting to be written.
    bool isPending() const { return m_pending > 0; }

Q_SIGNALS:
    // One copy came to an end: written, or left out because newer content came first.
    void finished(bool written);

private:
    void end(bool written, const std::function<void(bool)>& done);

    ClipboardService& m_clipboard;
    Place m_place;
    quint64 m_latest = 0;
    int m_pending = 0;
};
