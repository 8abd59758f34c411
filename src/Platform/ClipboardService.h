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

class ClipboardService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardService() override = default;

    virtual qint64 changeCount() const = 0;
    // True when changed() announces every new content, other programs'
    // included; otherwise the change count has to be polled.
    virtual bool announcesChanges() const = 0;
    // True while the content is the one this process put there itself.
    virtual bool ownedByThisProcess() const = 0;

    // Reads the current content and calls `done` with it on `context`'s
    // thread; not at all once `context` is gone. Reads run one after another.
    virtual void read(const ClipboardReadRequest& request, QObject* context,
                      std::function<void(const ClipboardSnapshot&)> done) = 0;

    // Replace the content; both return the change count after the write.
    virtual qint64 writeText(const QString& text) = 0;
    // png, when given, is offered as "image/png"; the image itself in every
    // format the platform offers for images.
    virtual qint64 writeImage(const QImage& image, const std::optional<QByteArray>& png) = 0;

Q_SIGNALS:
    void changed();
};
