#include "Platform/X11/X11ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <qguiapplication_platform.h>
#include <xcb/xfixes.h>

namespace {

// Only a GUI application has a clipboard.
QClipboard* appClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

bool serverHasXFixes()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    const xcb_query_extension_reply_t* xfixes = c ? xcb_get_extension_data(c, &xcb_xfixes_id) : nullptr;
    return xfixes && xfixes->present;
}

} // namespace

X11ClipboardService::X11ClipboardService(QObject* parent)
    : ClipboardService(parent)
{
    if (QClipboard* clipboard = appClipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode != QClipboard::Clipboard)
                return;
            ++m_changeCount;
            Q_EMIT changed();
        });
    }
    m_hasDisplay = appClipboard() && QGuiApplication::platformName() == QLatin1String("xcb");
    m_announcesChanges = m_hasDisplay && serverHasXFixes();
    m_thread.setObjectName(QStringLiteral("ClipboardReader"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

X11ClipboardService::~X11ClipboardService()
{
    // A read in progress ends at its next short wait; reads still queued are
    // dropped. With the thread ended, the reader is nobody else's.
    m_cancel = true;
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
    m_reader.reset();
}

bool X11ClipboardService::ownedByThisProcess() const
{
    const QClipboard* clipboard = appClipboard();
    return clipboard && clipboard->ownsClipboard();
}

void X11ClipboardService::read(const ClipboardReadRequest& request, QObject* context,
                               std::function<void(const ClipboardSnapshot&)> done)
{
    const QPointer<QObject> receiver(context);
    const auto deliver = [this, receiver, done](const ClipboardSnapshot& snapshot) {
        // Back on this object's thread, where the receiver is checked.
        QMetaObject::invokeMethod(this, [receiver, done, snapshot] {
            if (receiver)
                done(snapshot);
        }, Qt::QueuedConnection);
    };
    if (!m_hasDisplay) {
        deliver(readLocally(request));
        return;
    }
    QMetaObject::invokeMethod(m_worker, [this, request, limits = m_limits, deliver] {
        if (!m_reader)
            m_reader = std::make_unique<X11ClipboardReader>();
        deliver(m_reader->read(request, limits, m_cancel));
    }, Qt::QueuedConnection);
}

ClipboardSnapshot X11ClipboardService::readLocally(const ClipboardReadRequest& request) const
{
    ClipboardSnapshot snapshot;
    snapshot.certain = true;
    const QClipboard* clipboard = appClipboard();
    const QMimeData* md = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (!md)
        return snapshot;
    snapshot.formats = md->formats();
    snapshot.stopped = std::any_of(request.stopFormats.begin(), request.stopFormats.end(),
                                   [&](const QString& f) { return snapshot.formats.contains(f); });
    if (snapshot.stopped)
        return snapshot;
    for (const QString& format : request.extraFormats)
        if (md->hasFormat(format))
            snapshot.extra.insert(format, md->data(format));
    if (request.imageFirst && md->hasImage())
        snapshot.image = md->imageData().value<QImage>();
    if (snapshot.image.isNull() && md->hasText())
        snapshot.text = md->text();
    if (!request.imageFirst && (!snapshot.text || snapshot.text->trimmed().isEmpty()) && md->hasImage())
        snapshot.image = md->imageData().value<QImage>();
    return snapshot;
}

qint64 X11ClipboardService::writeText(const QString& text)
{
    if (QClipboard* clipboard = appClipboard())
        clipboard->setText(text, QClipboard::Clipboard);
    return m_changeCount;
}

qint64 X11ClipboardService::writeImage(const QImage& image, const std::optional<QByteArray>& png)
{
    if (QClipboard* clipboard = appClipboard()) {
        auto* md = new QMimeData;
        md->setImageData(image);
        if (png)
            md->setData(QStringLiteral("image/png"), *png);
        clipboard->setMimeData(md, QClipboard::Clipboard);
    }
    return m_changeCount;
}
