#include "Platform/X11/X11ClipboardService.h"

#include "Debug/DebugLog.h"
#include "Platform/X11/EncodedImageMimeData.h"
#include "Platform/X11/XcbConnection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QSocketNotifier>
#include <QUrl>
#include <qguiapplication_platform.h>
#include <xcb/xfixes.h>

namespace {

// Only a GUI application has a clipboard.
QClipboard* appClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

X11ClipboardService::X11ClipboardService(QObject* parent)
    : ClipboardService(parent)
{
    m_hasDisplay = appClipboard() && QGuiApplication::platformName() == QLatin1String("xcb");
    if (m_hasDisplay) {
        if (xcb_connection_t* qt = qtConnection()) {
            const xcb_setup_t* setup = xcb_get_setup(qt);
            m_qtIdBase = setup->resource_id_base;
            m_qtIdMask = setup->resource_id_mask;
        }
        auto x = std::make_unique<XcbConnection>();
        const xcb_query_extension_reply_t* fixes =
            x->isValid() && x->hasXFixes() ? xcb_get_extension_data(x->get(), &xcb_xfixes_id) : nullptr;
        if (fixes && m_qtIdMask) {
            m_owners = std::move(x);
            xcb_connection_t* c = m_owners->get();
            m_xfixesEvent = fixes->first_event;
            m_clipboardAtom = m_owners->atom("CLIPBOARD");
            xcb_xfixes_select_selection_input(c, m_owners->root(), m_clipboardAtom,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            m_owner = askOwner();
            m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &X11ClipboardService::takeEvents);
        }
    }
    // Without a server that tells of other owners, only our own writes count.
    if (QClipboard* clipboard = appClipboard(); clipboard && !m_owners) {
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode != QClipboard::Clipboard)
                return;
            ++m_changeCount;
            Q_EMIT changed();
        });
    }
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
    delete m_notifier;
}

bool X11ClipboardService::isQtWindow(uint32_t window) const
{
    return window != XCB_WINDOW_NONE && m_qtIdMask && (window & ~m_qtIdMask) == m_qtIdBase;
}

void X11ClipboardService::takeEvents()
{
    if (!m_owners)
        return;
    bool any = false;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_owners->get())) {
        XcbReply<xcb_generic_event_t> event(raw);
        if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event.get());
        if (notify->selection != m_clipboardAtom)
            continue;
        // Every new owner is new content, also a program taking the
        // selection again for its next copy; an owner that goes leaves none.
        const bool taken = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
        m_owner = taken ? notify->owner : uint32_t(XCB_WINDOW_NONE);
        m_ownerSince = taken ? notify->selection_timestamp : 0;
        if (taken && isQtWindow(notify->owner))
            ++m_ourTakeovers;
        ++m_changeCount;
        any = true;
    }
    if (any)
        Q_EMIT changed();
}

uint32_t X11ClipboardService::askOwner()
{
    xcb_connection_t* c = m_owners->get();
    XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboardAtom), nullptr));
    // The server sent every event of an earlier change before this answer.
    takeEvents();
    return reply ? reply->owner : uint32_t(XCB_WINDOW_NONE);
}

quint64 X11ClipboardService::currentContent()
{
    if (!m_owners)
        return 0;
    const uint32_t owner = askOwner();
    if (owner == XCB_WINDOW_NONE)
        return 0;
    // An owner from before we started listening is known by its window alone.
    const uint32_t since = owner == m_owner ? m_ownerSince : 0;
    return (quint64(owner) << 32) | since;
}

ClipboardWrite X11ClipboardService::write(QMimeData* data)
{
    QClipboard* clipboard = appClipboard();
    if (!clipboard) {
        delete data;
        return {m_changeCount, false, 0};
    }
    if (!m_owners) {
        // Nothing can tell otherwise here.
        clipboard->setMimeData(data, QClipboard::Clipboard);
        return {m_changeCount, true, 0};
    }
    askOwner();
    const quint64 takeoversBefore = m_ourTakeovers;
    clipboard->setMimeData(data, QClipboard::Clipboard);
    const uint32_t owner = askOwner();
    if (isQtWindow(owner) && owner == m_owner && m_ourTakeovers > takeoversBefore)
        return {m_changeCount, true, currentContent()};
    if (m_ourTakeovers == takeoversBefore) {
        // The server refused: another program took the clipboard at a later
        // moment than the one our write stands for. QClipboard still believes
        // it owns the clipboard; giving up at that same moment is refused as
        // well, so the other program's copy stays.
        clipboard->clear(QClipboard::Clipboard);
        takeEvents();
    }
    DebugLog::write(QStringLiteral("Clipboard: eigener Inhalt nicht übernommen, ein anderes Programm hat die "
                                   "Zwischenablage inzwischen neu belegt"));
    return {m_changeCount, false, 0};
}

ClipboardWrite X11ClipboardService::writeText(const QString& text)
{
    auto* md = new QMimeData;
    md->setText(text);
    return write(md);
}

ClipboardWrite X11ClipboardService::writeImage(const QImage& image, const std::optional<QByteArray>& png)
{
    // With its PNG at hand the picture waits on the clipboard as that file
    // alone, not as a screen's worth of pixels.
    if (png && !png->isEmpty())
        return write(new EncodedImageMimeData(*png));
    auto* md = new QMimeData;
    md->setImageData(image);
    return write(md);
}

QMimeData* X11ClipboardService::fileMimeData(const QString& path)
{
    auto* md = new QMimeData;
    const QUrl url = QUrl::fromLocalFile(path);
    md->setUrls({url});
    md->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
    md->setText(path);
    return md;
}

ClipboardWrite X11ClipboardService::writeFile(const QString& path)
{
    return write(fileMimeData(path));
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
