#pragma once
#include "Platform/ClipboardService.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QUrl>
#include <functional>

// An in-memory clipboard: content is a map of format -> data plus an optional
// image object; every write and every simulated copy raises the change count
// and names a new content.
class FakeClipboardService final : public ClipboardService {
public:
    qint64 changeCount() const override { return count; }
    bool announcesChanges() const override { return announcing; }
    quint64 currentContent() override { return content; }
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
    ClipboardWrite writeText(const QString& text) override { return ownWrite({{QStringLiteral("text/plain"), text.toUtf8()}}); }
    ClipboardWrite writeImage(const QImage& image, const std::optional<QByteArray>& png) override
    {
        QMap<QString, QByteArray> content;
        if (png)
            content.insert(QStringLiteral("image/png"), *png);
        return ownWrite(content, image);
    }
    ClipboardWrite writeFile(const QString& path) override
    {
        const QByteArray url = QUrl::fromLocalFile(path).toEncoded();
        return ownWrite({{QStringLiteral("text/plain"), path.toUtf8()},
                         {QStringLiteral("text/uri-list"), url + "\r\n"},
                         {QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url}});
    }
    // An own write: lost when another program's copy is newer (loseWrites).
    ClipboardWrite ownWrite(const QMap<QString, QByteArray>& content, const QImage& object = {})
    {
        ++ownWrites;
        if (loseWrites) {
            // Another program's copy came in just before and stays.
            copyText(QStringLiteral("schneller"));
            return {count, false, 0};
        }
        copy(content, object);
        return {count, true, this->content};
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
        QMap<QString, QByteArray> all = extra;
        all.insert(QStringLiteral("text/plain"), text.toUtf8());
        copy(all);
    }
    void copy(const QMap<QString, QByteArray>& newFormats, const QImage& object = {})
    {
        formats = newFormats;
        objectImage = object;
        ++content;
        ++count;
        Q_EMIT changed();
    }

    QMap<QString, QByteArray> formats;
    QImage objectImage;
    qint64 count = 100;
    quint64 content = 1;
    int ownWrites = 0;
    bool loseWrites = false;
    int reads = 0;
    // Reads are answered at once unless held.
    bool holdReads = false;
    quint32 answeringOwner = 0; // the window a read names as owner (0: unknown)
    bool announcing = true;     // false: a platform whose changes must be polled
    QList<std::function<void()>> heldReads;
};
