#include "Platform/X11/X11ClipboardService.h"

#include "Debug/DebugLog.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// Only a GUI application has a clipboard.
QClipboard* appClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

// Next event for our window before the deadline, or none.
xcb_generic_event_t* waitForEvent(xcb_connection_t* c, const QDeadlineTimer& deadline)
{
    for (;;) {
        if (xcb_generic_event_t* ev = xcb_poll_for_event(c))
            return ev;
        if (xcb_connection_has_error(c))
            return nullptr;
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return nullptr;
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (::poll(&pfd, 1, int(left < 0 ? 1000 : left)) < 0)
            return nullptr;
    }
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
    if (!appClipboard() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

X11ClipboardService::~X11ClipboardService()
{
    if (m_connection) {
        xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }
}

bool X11ClipboardService::ownedByThisProcess() const
{
    const QClipboard* clipboard = appClipboard();
    return clipboard && clipboard->ownsClipboard();
}

bool X11ClipboardService::readsLocally() const
{
    const QClipboard* clipboard = appClipboard();
    // Our own content is served by this very thread: asking the X server for it
    // would wait for ourselves.
    return !m_connection || !clipboard || clipboard->ownsClipboard();
}

const QMimeData* X11ClipboardService::localData() const
{
    const QClipboard* clipboard = appClipboard();
    return clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

uint32_t X11ClipboardService::atom(const QString& name)
{
    const auto it = m_atoms.constFind(name);
    if (it != m_atoms.constEnd())
        return *it;
    const QByteArray n = name.toUtf8();
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, n.size(), n.constData()), nullptr));
    const uint32_t a = reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
    m_atoms.insert(name, a);
    m_atomNames.insert(a, name);
    return a;
}

QString X11ClipboardService::atomName(uint32_t a)
{
    const auto it = m_atomNames.constFind(a);
    if (it != m_atomNames.constEnd())
        return *it;
    XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, a), nullptr));
    if (!reply)
        return {};
    const QString name = QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    m_atomNames.insert(a, name);
    m_atoms.insert(name, a);
    return name;
}

std::optional<QByteArray> X11ClipboardService::convert(const QString& target)
{
    const uint32_t selection = atom(QStringLiteral("CLIPBOARD"));
    const uint32_t property = atom(QStringLiteral("ZENTU_CLIPBOARD_READ"));
    const uint32_t incr = atom(QStringLiteral("INCR"));
    const uint32_t targetAtom = atom(target);
    // An owner that let one read time out is not asked again for this content.
    if (!targetAtom || m_stalledAt == m_changeCount)
        return std::nullopt;
    xcb_delete_property(m_connection, m_window, property);
    xcb_convert_selection(m_connection, m_window, selection, targetAtom, property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);

    QDeadlineTimer deadline(m_timeoutMs);
    const auto timedOut = [&] {
        m_stalledAt = m_changeCount;
        DebugLog::write(QStringLiteral("Clipboard: Besitzer antwortet nicht rechtzeitig (%1)").arg(target));
        return std::nullopt;
    };
    for (;;) {
        XcbReply<xcb_generic_event_t> ev(waitForEvent(m_connection, deadline));
        if (!ev)
            return timedOut();
        if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(ev.get());
        if (notify->requestor != m_window || notify->target != targetAtom)
            continue;
        if (notify->property == XCB_ATOM_NONE)
            return std::nullopt;
        break;
    }
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
    if (!reply)
        return std::nullopt;
    if (reply->type != incr) {
        return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }
    // Large content comes in pieces; each piece restarts the deadline.
    QByteArray data;
    xcb_flush(m_connection);
    for (;;) {
        deadline = QDeadlineTimer(m_timeoutMs);
        XcbReply<xcb_generic_event_t> ev(waitForEvent(m_connection, deadline));
        if (!ev)
            return timedOut();
        if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(ev.get());
        if (notify->window != m_window || notify->atom != property || notify->state != XCB_PROPERTY_NEW_VALUE)
            continue;
        XcbReply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
        if (!chunk)
            return std::nullopt;
        const int length = xcb_get_property_value_length(chunk.get());
        xcb_flush(m_connection);
        if (length == 0)
            return data;
        data.append(static_cast<const char*>(xcb_get_property_value(chunk.get())), length);
    }
}

QStringList X11ClipboardService::types()
{
    if (readsLocally()) {
        const QMimeData* md = localData();
        return md ? md->formats() : QStringList();
    }
    const auto raw = convert(QStringLiteral("TARGETS"));
    if (!raw)
        return {};
    const auto* atoms = reinterpret_cast<const uint32_t*>(raw->constData());
    const qsizetype n = raw->size() / qsizetype(sizeof(uint32_t));
    // Ask for every unknown name at once, then collect.
    QList<std::pair<uint32_t, xcb_get_atom_name_cookie_t>> pending;
    for (qsizetype i = 0; i < n; ++i)
        if (!m_atomNames.contains(atoms[i]))
            pending.append({atoms[i], xcb_get_atom_name(m_connection, atoms[i])});
    for (const auto& [a, cookie] : pending) {
        XcbReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(m_connection, cookie, nullptr));
        if (!reply)
            continue;
        const QString name = QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
        m_atomNames.insert(a, name);
        m_atoms.insert(name, a);
    }
    QStringList out;
    for (qsizetype i = 0; i < n; ++i)
        if (const QString name = m_atomNames.value(atoms[i]); !name.isEmpty())
            out.append(name);
    return out;
}

std::optional<QByteArray> X11ClipboardService::data(const QString& type)
{
    if (readsLocally()) {
        const QMimeData* md = localData();
        if (!md || !md->hasFormat(type))
            return std::nullopt;
        return md->data(type);
    }
    return convert(type);
}

std::optional<QString> X11ClipboardService::string()
{
    if (readsLocally()) {
        const QMimeData* md = localData();
        if (!md || !md->hasText())
            return std::nullopt;
        return md->text();
    }
    const QStringList offered = types();
    for (const char* target : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"}) {
        const QString t = QString::fromLatin1(target);
        if (!offered.contains(t))
            continue;
        if (const auto bytes = convert(t))
            return QString::fromUtf8(*bytes);
    }
    if (offered.contains(QStringLiteral("STRING")))
        if (const auto bytes = convert(QStringLiteral("STRING")))
            return QString::fromLatin1(*bytes);
    return std::nullopt;
}

QImage X11ClipboardService::image()
{
    if (readsLocally()) {
        const QMimeData* md = localData();
        return md && md->hasImage() ? md->imageData().value<QImage>() : QImage();
    }
    for (const QString& type : types()) {
        if (!type.startsWith(QLatin1String("image/")))
            continue;
        if (const auto bytes = convert(type)) {
            const QImage image = QImage::fromData(*bytes);
            if (!image.isNull())
                return image;
        }
    }
    return {};
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
