#pragma once
// Reads another program's CLIPBOARD content over an X connection of its own,
// blocking the thread that calls read() (never the GUI thread). Everything one
// read returns comes from one owner holding one content: an owner change seen
// while reading (XFixes announces every SetSelectionOwner, also a program
// taking the clipboard again for new content), a missing answer or too much
// data make the read uncertain. After any read that did not end cleanly the
// property the answers arrive in is given up for a new one, so a late reply
// can never pass for the answer to a later request. (A new connection would
// not do: the server may hand it the same window id again.)
#include "Platform/ClipboardSnapshot.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

class XcbConnection;

class X11ClipboardReader {
public:
    struct Limits {
        int answerMs = 500; // for each answer, and for each piece of a large transfer
        int totalMs = 3000; // for the whole read
        // For a picture's first answer, and the read from it on: owners make
        // the picture's data when asked, which for a large one takes seconds.
        int pictureMs = 8000;
        qint64 maxBytes = qint64(64) << 20;
    };

    X11ClipboardReader();
    ~X11ClipboardReader();
    X11ClipboardReader(const X11ClipboardReader&) = delete;
    X11ClipboardReader& operator=(const X11ClipboardReader&) = delete;

    // Takes at most the overall limit; `cancel` ends it early (uncertain).
    ClipboardSnapshot read(const ClipboardReadRequest& request, const Limits& limits, const std::atomic_bool& cancel);

private:
    enum class Failure { none, noAnswer, tooSlow, ownerChanged, tooLarge, noFormats, broken };

    bool connect();
    void disconnect();
    // Answers to requests still open go to a property never read again.
    void retireProperty();
    uint32_t atom(const QString& name);
    QStringList atomNames(const QByteArray& atomList);
    uint32_t selectionOwner();
    void drainEvents();
    bool isOwnerChange(const xcb_generic_event_t* event) const;
    // The next event before the current answer's deadline; none (with the
    // failure noted) on a timeout, a cancel, a broken connection or an owner
    // change.
    xcb_generic_event_t* nextEvent();
    // The data of one format: none when the owner refuses it (a failure is
    // noted separately).
    std::optional<QByteArray> convert(const QString& target);
    std::optional<QByteArray> receiveIncrementally(uint32_t lowerBound);
    bool withinSizeLimit(qint64 more);
    void readText(ClipboardSnapshot& snapshot);
    void readImage(ClipboardSnapshot& snapshot);

    std::unique_ptr<XcbConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's, null when not connected
    uint32_t m_window = 0;
    uint8_t m_xfixesEvent = 0;
    bool m_hasXFixes = false;
    QHash<QString, uint32_t> m_atoms;
    QHash<uint32_t, QString> m_atomNames;
    uint32_t m_property = 0;
    int m_retiredProperties = 0;

    // State of the read in progress.
    Limits m_limits;
    const std::atomic_bool* m_cancel = nullptr;
    QDeadlineTimer m_total;
    QDeadlineTimer m_answer;
    QString m_target;
    Failure m_failure = Failure::none;
    qint64 m_bytes = 0;
};
