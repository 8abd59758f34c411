#pragma once
#include "Platform/ClipboardService.h"

#include <QMap>

// An in-memory clipboard: content is a map of format -> data plus an optional
// image object; every write and every simulated copy raises the change count.
class FakeClipboardService final : public ClipboardService {
public:
    qint64 changeCount() const override { return count; }
    bool ownedByThisProcess() const override { return ownedByUs; }
    QStringList types() override { return formats.keys() + (objectImage.isNull() ? QStringList() : QStringList{QStringLiteral("application/x-qt-image")}); }
    std::optional<QByteArray> data(const QString& type) override
    {
        ++reads;
        if (!formats.contains(type))
            return std::nullopt;
        return formats.value(type);
    }
    std::optional<QString> string() override
    {
        if (!formats.contains(QStringLiteral("text/plain")))
            return std::nullopt;
        return QString::fromUtf8(formats.value(QStringLiteral("text/plain")));
    }
    QImage image() override { return objectImage; }
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
};
