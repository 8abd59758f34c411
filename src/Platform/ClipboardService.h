#pragma once
// The system clipboard (on X11 the CLIPBOARD selection). The change count goes
// up by one on every new content, our own writes included, and a write has
// raised it by the time the write call returns. Reads of another program's
// content are time-boxed per format, so a slow owner never freezes the app.
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class ClipboardService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardService() override = default;

    virtual qint64 changeCount() const = 0;
    // True while the content is the one this process put there itself.
    virtual bool ownedByThisProcess() const = 0;

    // The formats (MIME types / target names) of the current content; empty
    // when there is no content or the owner does not answer.
    virtual QStringList types() = 0;
    // The data of one format; none when absent or not delivered in time.
    virtual std::optional<QByteArray> data(const QString& type) = 0;
    // The plain-text form of the content, if any.
    virtual std::optional<QString> string() = 0;
    // Any image the content carries (formats other than PNG and TIFF included);
    // a null image when there is none.
    virtual QImage image() = 0;

    // Replace the content; both return the change count after the write.
    virtual qint64 writeText(const QString& text) = 0;
    // png, when given, is offered as "image/png"; the image itself in every
    // format the platform offers for images.
    virtual qint64 writeImage(const QImage& image, const std::optional<QByteArray>& png) = 0;

Q_SIGNALS:
    void changed();
};
