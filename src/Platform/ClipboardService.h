#pragma once
// The system clipboard (on X11 the CLIPBOARD selection). The change count goes
// up by one on every new content, our own writes included, and a write has
// raised it by the time the write call returns. Another program's content is
// read off the calling thread, within an overall time limit and a size limit,
// so a slow or endless owner never holds up the app.
#include "Platform/ClipboardSnapshot.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// What one of the app's own writes left on the clipboard.
struct ClipboardWrite {
    // The change count right after the write.
    qint64 changeCount = 0;
    // The clipboard holds what was written. False when another program's
    // newer copy won (on X11 the server refused us the selection because it
    // was taken later than the moment our write stands for): that copy stands.
    bool held = false;
    // Names the written content for as long as it stays (see
    // ClipboardService::currentContent); 0 when not held or not known.
    quint64 content = 0;
};

class ClipboardService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardService() override = default;

    virtual qint64 changeCount() const = 0;
    // True when changed() announces every new content, other programs'
    // included; otherwise the change count has to be polled.
    virtual bool announcesChanges() const = 0;
    // Names the content the clipboard holds now, as the system tells it (on
    // X11 the owner window of the selection and the server time it took it):
    // equal values are the same content, whoever wrote it. 0 when nobody holds
    // the clipboard or it cannot be told.
    virtual quint64 currentContent() = 0;

    // Reads the current content and calls `done` with it on `context`'s
    // thread; not at all once `context` is gone. Reads run one after another.
    virtual void read(const ClipboardReadRequest& request, QObject* context,
                      std::function<void(const ClipboardSnapshot&)> done) = 0;

    // Replace the content.
    virtual ClipboardWrite writeText(const QString& text) = 0;
    // png, when given, is offered as "image/png"; the image itself in every
    // format the platform offers for images.
    virtual ClipboardWrite writeImage(const QImage& image, const std::optional<QByteArray>& png) = 0;
    // A file as file managers paste it ("text/uri-list" and the GNOME list
    // "x-special/gnome-copied-files"), and its path as plain text.
    virtual ClipboardWrite writeFile(const QString& path) = 0;

Q_SIGNALS:
    void changed();
};
