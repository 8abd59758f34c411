#pragma once
#include "Platform/ClipboardService.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <functional>

// An in-memory clipboard: content is a map of format -> data plus an optional
// image object; every write and every simulated copy raises the change count.
class FakeClipboardService final : public ClipboardService {
public:
    qint64 changeCount() const override { return count; }
    bool announcesChanges() const override { return announcing; }
    bool ownedByThisProcess() const override { return ownedByUs; }
    void read(const ClipboardReadRequest& request, QObject* context,
              std::function<void(const ClipboardSnapshot&)> done) override
    {
        ++reads;
        const ClipboardSnapshot result = snapshot(request);
        if (!holdReads) {
            done(result);
            return;
        }
        heldReads.append([result, done, receiver = QPointer<QObject>(context)] {
            if (receiver)
                done(result);
        });
    }
    // Delivers the oldest held read.
    void finishHeldRead()
    {
        if (!heldReads.isEmpty())
            heldReads.takeFirst()();
    }

    // What a read of the current content gives.
    ClipboardSnapshot snapshot(const ClipboardReadRequest& request) const
    {
        ClipboardSnapshot s;
        s.certain = true;
        s.owner = answeringOwner;
        s.formats = formats.keys() + (objectImage.isNull() ? QStringList() : QStringList{QStringLiteral("application/x-qt-image")});
        for (const QString& f : request.stopFormats)
            s.stopped = s.stopped || formats.contains(f);
        if (s.stopped)
            return s;
        for (const QString& f : request.extraFormats)
            if (formats.contains(f))
                s.extra.insert(f, formats.value(f));
        const auto readImage = [&] {
            for (const char* f : {"image/png", "image/tiff"})
                if (s.image.isNull() && formats.contains(QString::fromLatin1(f)))
                    s.image = QImage::fromData(formats.value(QString::fromLatin1(f)));
            if (s.image.isNull())
                s.image = objectImage;
        };
        if (request.imageFirst) {
            readImage();
            if (s.image.isNull())
                s.text = string();
            return s;
        }
        s.text = string();
        if (s.text && !s.text->trimmed().isEmpty())
            return s;
        readImage();
        return s;
    }
    QImage image() const { return objectImage; }
    std::optional<QString> string() const
    {
        if (!formats.contains(QStringLiteral("text/plain")))
            return std::nullopt;
        return QString::fromUtf8(formats.value(QStringLiteral("text/plain")));
    }
    qint64 writeText(const QString& text) override
    {
        copyText(text);
        ownedByUs = true;
        ++ownWrites;
        return count;
    }
    qint64 writeImage(const QImage& image, const std::optional<QByteArray>& png) override
    {
        formats.clear();
        if (png)
            formats.insert(QStringLiteral("image/png"), *png);
        objectImage = image;
        ownedByUs = true;
        ++count;
        ++ownWrites;
        Q_EMIT changed();
        return count;
    }

    // A change notice that arrives late, after the content was replaced again
    // (on X11: a previous owner quitting).
    void lateNotice()
    {
        ++count;
        Q_EMIT changed();
    }

    // What another program would do.
    void copyText(const QString& text, const QMap<QString, QByteArray>& extra = {})
    {
        ownedByUs = false;
        formats = extra;
        formats.insert(QStringLiteral("text/plain"), text.toUtf8());
        objectImage = {};
        ++count;
        Q_EMIT changed();
    }
    void copy(const QMap<QString, QByteArray>& content, const QImage& object = {})
    {
        ownedByUs = false;
        formats = content;
        objectImage = object;
        ++count;
        Q_EMIT changed();
    }

    QMap<QString, QByteArray> formats;
    QImage objectImage;
    qint64 count = 100;
    int ownWrites = 0;
    bool ownedByUs = false;
    int reads = 0;
    // Reads are answered at once unless held.
    bool holdReads = false;
    quint32 answeringOwner = 0; // the window a read names as owner (0: unknown)
    bool announcing = true;     // false: a platform whose changes must be polled
    QList<std::function<void()>> heldReads;
};
