#pragma once
// The CLIPBOARD selection. Writes go through QClipboard, which serves our
// content to other programs. What the selection holds is asked of the server
// over a connection of our own, with XFixes telling of every new owner: that
// gives the change count, names each content by its owner window and the
// server time it was taken, and tells whether one of our writes got the
// selection at all (the server refuses a write that stands for a moment
// before another program's newer copy; QClipboard then still believes it
// owns the clipboard). Without XFixes only our own writes are counted, and
// without an X display QClipboard's content is read in the process.
// Another program's content is read by an X11ClipboardReader on a thread of
// its own (QClipboard would read on the GUI thread and wait up to 5 s for a
// slow owner).
#include "Platform/ClipboardService.h"
#include "Platform/X11/X11ClipboardReader.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>

class QMimeData;
class QSocketNotifier;
class XcbConnection;

class X11ClipboardService final : public ClipboardService {
    Q_OBJECT
public:
    explicit X11ClipboardService(QObject* parent = nullptr);
    ~X11ClipboardService() override;

    qint64 changeCount() const override { return m_changeCount; }
    bool announcesChanges() const override { return m_owners != nullptr; }
    quint64 currentContent() override;
    void read(const ClipboardReadRequest& request, QObject* context,
              std::function<void(const ClipboardSnapshot&)> done) override;
    ClipboardWrite writeText(const QString& text) override;
    ClipboardWrite writeImage(const QImage& image, const std::optional<QByteArray>& png) override;
    ClipboardWrite writeFile(const QString& path) override;

    // For the next reads.
    void setReadLimits(const X11ClipboardReader::Limits& limits) { m_limits = limits; }

    // What file managers paste for a file.
    static QMimeData* fileMimeData(const QString& path);

private:
    ClipboardSnapshot readLocally(const ClipboardReadRequest& request) const;
    ClipboardWrite write(QMimeData* data);
    // Asks the server for the owner, after every owner change it told us of
    // before; those are counted on the way.
    uint32_t askOwner();
    void takeEvents();
    // A window of Qt's own connection: the one QClipboard serves from.
    bool isQtWindow(uint32_t window) const;

    qint64 m_changeCount = 0;
    X11ClipboardReader::Limits m_limits;
    bool m_hasDisplay = false;

    // Our connection to the server; null without XFixes.
    std::unique_ptr<XcbConnection> m_owners;
    QSocketNotifier* m_notifier = nullptr;
    uint32_t m_clipboardAtom = 0;
    uint8_t m_xfixesEvent = 0;
    uint32_t m_qtIdBase = 0, m_qtIdMask = 0;
    // The newest owner the server told us of and when it took the selection.
    uint32_t m_owner = 0;
    uint32_t m_ownerSince = 0;
    // Selections taken by a window of Qt's connection.
    quint64 m_ourTakeovers = 0;

    std::atomic_bool m_cancel{false};
    QThread m_thread;
    // Lives on m_thread; its reader is made and used there only.
    QObject* m_worker = nullptr;
    std::unique_ptr<X11ClipboardReader> m_reader;
};
