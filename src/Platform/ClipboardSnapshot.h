#pragma once
// One read of another program's clipboard content, and what to read.
#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

struct ClipboardReadRequest {
    // When the owner offers one of these formats, the read ends after the
    // format list: the content itself is not fetched.
    QStringList stopFormats;
    // Small formats whose data is wanted as well, when offered.
    QStringList extraFormats;
    // Pasting: a picture is read first, the text only where there is none.
    bool imageFirst = false;
};

struct ClipboardSnapshot {
    // Everything below comes from one owner holding one content. False when
    // that cannot be said: the owner changed while it was read, an answer did
    // not come in time, or the content exceeded the size limit. Nothing of an
    // uncertain read may be used.
    bool certain = false;
    // The owner's window; 0 when nobody owns the clipboard or it is unknown.
    quint32 owner = 0;
    QStringList formats;
    // A format of the stop list was offered; the content was not read.
    bool stopped = false;
    QHash<QString, QByteArray> extra;
    // The plain-text form, if any.
    std::optional<QString> text;
    // An image, read only when the text is missing or blank (or first, when
    // the request asked for that).
    QImage image;
};
