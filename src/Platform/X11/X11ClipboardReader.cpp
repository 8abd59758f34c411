#include "Platform/X11/X11ClipboardReader.h"

#include "Debug/DebugLog.h"
#include "Platform/LargeImageReader.h"
#include "Platform/X11/XcbConnection.h"

#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

using Event = XcbReply<xcb_generic_event_t>;

const QStringList textTargets{QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain;charset=utf-8"),
                              QStringLiteral("text/plain")};

} // namespace

X11ClipboardReader::X11ClipboardReader() = default;

X11ClipboardReader::~X11ClipboardReader()
{
    disconnect();
}

bool X11ClipboardReader::connect()
{
    m_x = std::make_unique<XcbConnection>();
    if (!m_x->isValid()) {
        m_x.reset();
        return false;
    }
    m_connection = m_x->get();
    xcb_screen_t* screen = m_x->screen();
    m_window = xcb_generate_id(m_connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    m_hasXFixes = fixes && fixes->present;
    if (m_hasXFixes) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
        m_xfixesEvent = fixes->first_event;
        xcb_xfixes_select_selection_input(m_connection, m_window, atom(QStringLiteral("CLIPBOARD")),
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    m_property = atom(QStringLiteral("ZENTU_CLIPBOARD_READ_%1").arg(m_retiredProperties));
    xcb_flush(m_connection);
    return true;
}

void X11ClipboardReader::retireProperty()
{
    xcb_delete_property(m_connection, m_window, m_property);
    m_property = atom(QStringLiteral("ZENTU_CLIPBOARD_READ_%1").arg(++m_retiredProperties));
}

void X11ClipboardReader::disconnect()
{
    if (!m_connection)
        return;
    m_x.reset();
    m_connection = nullptr;
    m_atoms.clear();
    m_atomNames.clear();
}

uint32_t X11ClipboardReader::atom(const QString& name)
{
    const auto it = m_atoms.constFind(name);
    if (it != m_atoms.constEnd())
        return *it;
    const uint32_t a = m_x->atom(name.toUtf8().constData());
    m_atoms.insert(name, a);
    m_atomNames.insert(a, name);
    return a;
}

QStringList X11ClipboardReader::atomNames(const QByteArray& atomList)
{
    const auto* atoms = reinterpret_cast<const uint32_t*>(atomList.constData());
    const qsizetype n = atomList.size() / qsizetype(sizeof(uint32_t));
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

uint32_t X11ClipboardReader::selectionOwner()
{
    XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(QStringLiteral("CLIPBOARD"))), nullptr));
    return reply ? reply->owner : uint32_t(XCB_WINDOW_NONE);
}

bool X11ClipboardReader::isOwnerChange(const xcb_generic_event_t* event) const
{
    if (!m_hasXFixes || (event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    return notify->window == m_window;
}

void X11ClipboardReader::drainEvents()
{
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
        const Event ev(raw);
        if (isOwnerChange(ev.get()))
            m_failure = Failure::ownerChanged;
    }
}

xcb_generic_event_t* X11ClipboardReader::nextEvent()
{
    for (;;) {
        if (xcb_generic_event_t* ev = xcb_poll_for_event(m_connection)) {
            if (!isOwnerChange(ev))
                return ev;
            std::free(ev);
            m_failure = Failure::ownerChanged;
            return nullptr;
        }
        if (xcb_connection_has_error(m_connection)) {
            m_failure = Failure::broken;
            return nullptr;
        }
        if (m_cancel->load()) {
            m_failure = Failure::broken;
            return nullptr;
        }
        if (m_total.hasExpired()) {
            m_failure = Failure::tooSlow;
            return nullptr;
        }
        if (m_answer.hasExpired()) {
            m_failure = Failure::noAnswer;
            return nullptr;
        }
        // Short waits, so a cancel is noticed soon.
        const qint64 left = std::min({m_total.remainingTime(), m_answer.remainingTime(), qint64(50)});
        pollfd pfd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&pfd, 1, int(std::max<qint64>(left, 1)));
    }
}

bool X11ClipboardReader::withinSizeLimit(qint64 more)
{
    m_bytes += more;
    if (m_bytes <= m_limits.maxBytes)
        return true;
    m_failure = Failure::tooLarge;
    return false;
}

std::optional<QByteArray> X11ClipboardReader::convert(const QString& target)
{
    m_target = target;
    const uint32_t selection = atom(QStringLiteral("CLIPBOARD"));
    const uint32_t property = m_property;
    const uint32_t targetAtom = atom(target);
    if (!targetAtom)
        return std::nullopt;
    xcb_delete_property(m_connection, m_window, property);
    xcb_convert_selection(m_connection, m_window, selection, targetAtom, property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    if (target.startsWith(QLatin1String("image/"))) {
        m_answer = QDeadlineTimer(m_limits.pictureMs);
        if (m_total.remainingTime() < m_limits.pictureMs)
            m_total = QDeadlineTimer(m_limits.pictureMs);
    } else {
        m_answer = QDeadlineTimer(m_limits.answerMs);
    }
    for (;;) {
        const Event ev(nextEvent());
        if (!ev)
            return std::nullopt;
        if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(ev.get());
        if (notify->requestor != m_window || notify->selection != selection || notify->target != targetAtom
            || (notify->property != property && notify->property != XCB_ATOM_NONE))
            continue;
        if (notify->property == XCB_ATOM_NONE)
            return std::nullopt; // refused: the owner does not offer it after all
        break;
    }
    // One word more than the limit allows tells whether the limit is exceeded.
    const uint32_t words = uint32_t(std::min<qint64>((m_limits.maxBytes - m_bytes) / 4 + 1, 0x1fffffff));
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words),
        nullptr));
    if (!reply) {
        m_failure = Failure::broken;
        return std::nullopt;
    }
    if (reply->type == atom(QStringLiteral("INCR"))) {
        const uint32_t lowerBound = xcb_get_property_value_length(reply.get()) >= 4
            ? *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()))
            : 0;
        return receiveIncrementally(lowerBound);
    }
    const int length = xcb_get_property_value_length(reply.get());
    if (!withinSizeLimit(length) || reply->bytes_after > 0) {
        m_failure = Failure::tooLarge;
        return std::nullopt;
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

std::optional<QByteArray> X11ClipboardReader::receiveIncrementally(uint32_t lowerBound)
{
    if (m_bytes + qint64(lowerBound) > m_limits.maxBytes) {
        m_failure = Failure::tooLarge;
        return std::nullopt;
    }
    const uint32_t property = m_property;
    // Reading the INCR property deleted it, which starts the transfer. Each
    // piece gets its own answer limit; the overall limit ends an owner that
    // never stops.
    xcb_flush(m_connection);
    QByteArray data;
    for (;;) {
        m_answer = QDeadlineTimer(m_limits.answerMs);
        const Event ev(nextEvent());
        if (!ev)
            return std::nullopt;
        if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(ev.get());
        if (notify->window != m_window || notify->atom != property || notify->state != XCB_PROPERTY_NEW_VALUE)
            continue;
        XcbReply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
        if (!chunk) {
            m_failure = Failure::broken;
            return std::nullopt;
        }
        const int length = xcb_get_property_value_length(chunk.get());
        xcb_flush(m_connection);
        if (length == 0)
            return data;
        if (!withinSizeLimit(length))
            return std::nullopt;
        data.append(static_cast<const char*>(xcb_get_property_value(chunk.get())), length);
    }
}

void X11ClipboardReader::readText(ClipboardSnapshot& snapshot)
{
    for (const QString& target : textTargets) {
        if (!snapshot.formats.contains(target))
            continue;
        const auto bytes = convert(target);
        if (m_failure != Failure::none)
            return;
        if (bytes) {
            snapshot.text = QString::fromUtf8(*bytes);
            return;
        }
    }
    if (snapshot.formats.contains(QStringLiteral("STRING")))
        if (const auto bytes = convert(QStringLiteral("STRING")); bytes && m_failure == Failure::none)
            snapshot.text = QString::fromLatin1(*bytes);
}

void X11ClipboardReader::readImage(ClipboardSnapshot& snapshot)
{
    QStringList order;
    for (const QString& preferred : {QStringLiteral("image/png"), QStringLiteral("image/tiff")})
        if (snapshot.formats.contains(preferred))
            order.append(preferred);
    for (const QString& format : std::as_const(snapshot.formats))
        if (format.startsWith(QLatin1String("image/")) && !order.contains(format))
            order.append(format);
    for (const QString& format : std::as_const(order)) {
        const auto bytes = convert(format);
        if (m_failure != Failure::none)
            return;
        if (!bytes)
            continue;
        const LargeImageReader::Result picture = LargeImageReader::decode(*bytes);
        if (picture.tooLarge) {
            // Not recorded; said once, not for each of its formats.
            DebugLog::write(QStringLiteral("Clipboard: Bild zu groß (%1 × %2 Pixel), nicht in den Verlauf übernommen")
                                .arg(picture.size.width())
                                .arg(picture.size.height()));
            return;
        }
        if (!picture.image.isNull()) {
            snapshot.image = picture.image;
            return;
        }
    }
}

ClipboardSnapshot X11ClipboardReader::read(const ClipboardReadRequest& request, const Limits& limits,
                                           const std::atomic_bool& cancel)
{
    ClipboardSnapshot snapshot;
    if (!m_connection && !connect()) {
        DebugLog::write(QStringLiteral("Clipboard: keine Verbindung zum X-Server"));
        return snapshot;
    }
    m_limits = limits;
    m_cancel = &cancel;
    m_total = QDeadlineTimer(limits.totalMs);
    m_bytes = 0;
    m_target.clear();

    // Owner changes announced before the owner is asked for are the ones that
    // made the current content: the round trip puts them all in the queue.
    drainEvents();
    const uint32_t owner = selectionOwner();
    drainEvents();
    m_failure = Failure::none;
    if (owner == XCB_WINDOW_NONE) {
        snapshot.certain = true;
        return snapshot;
    }
    snapshot.owner = owner;

    const auto targets = convert(QStringLiteral("TARGETS"));
    // A format list that cannot be read says nothing about concealed content.
    if (m_failure == Failure::none && !targets)
        m_failure = Failure::noFormats;
    if (m_failure == Failure::none) {
        snapshot.formats = atomNames(*targets);
        snapshot.stopped = std::any_of(request.stopFormats.begin(), request.stopFormats.end(),
                                       [&](const QString& f) { return snapshot.formats.contains(f); });
    }
    if (m_failure == Failure::none && !snapshot.stopped) {
        for (const QString& format : request.extraFormats) {
            if (!snapshot.formats.contains(format))
                continue;
            if (const auto bytes = convert(format))
                snapshot.extra.insert(format, *bytes);
            if (m_failure != Failure::none)
                break;
        }
        if (m_failure == Failure::none && request.imageFirst)
            readImage(snapshot);
        if (m_failure == Failure::none && snapshot.image.isNull())
            readText(snapshot);
        if (m_failure == Failure::none && !request.imageFirst && (!snapshot.text || snapshot.text->trimmed().isEmpty()))
            readImage(snapshot);
    }
    // Every answer came from `owner` only when it still owns the clipboard and
    // no owner change arrived before this last round trip's reply.
    if (m_failure == Failure::none && selectionOwner() != owner)
        m_failure = Failure::ownerChanged;
    if (m_failure == Failure::none)
        drainEvents();

    switch (m_failure) {
    case Failure::none:
        snapshot.certain = true;
        return snapshot;
    case Failure::noAnswer:
        DebugLog::write(QStringLiteral("Clipboard: Besitzer antwortet nicht rechtzeitig (%1)").arg(m_target));
        break;
    case Failure::tooSlow:
        DebugLog::write(QStringLiteral("Clipboard: Lesen dauert zu lange, übersprungen (%1)").arg(m_target));
        break;
    case Failure::ownerChanged:
        DebugLog::write(QStringLiteral("Clipboard: Besitzer hat während des Lesens gewechselt, übersprungen"));
        break;
    case Failure::tooLarge:
        DebugLog::write(QStringLiteral("Clipboard: Inhalt zu groß, übersprungen (%1)").arg(m_target));
        break;
    case Failure::noFormats:
        DebugLog::write(QStringLiteral("Clipboard: Formatliste nicht lesbar, übersprungen"));
        break;
    case Failure::broken:
        break;
    }
    if (xcb_connection_has_error(m_connection)) {
        // The next connection's window may get the same id: not the same property.
        ++m_retiredProperties;
        disconnect();
    } else {
        retireProperty();
    }
    return ClipboardSnapshot{};
}
