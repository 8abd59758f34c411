#pragma once
// The CLIPBOARD selection. Writes and the change count go through QClipboard,
// which announces our own writes synchronously and other programs' through
// XFixes (without XFixes, only our own). Another program's content is read by an X11ClipboardReader on a
// thread of its own (QClipboard would read on the GUI thread and wait up to
// 5 s for a slow owner); without an X display, QClipboard's content is read.
#include "Platform/ClipboardService.h"
#include "Platform/X11/X11ClipboardReader.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

class X11ClipboardService final : public ClipboardService {
    Q_OBJECT
public:
    explicit X11ClipboardService(QObject* parent = nullptr);
    ~X11ClipboardService() override;

    qint64 changeCount() const override { return m_changeCount; }
    // With XFixes Qt hears of every new owner of the selection.
    bool announcesChanges() const override { return m_announcesChanges; }
    bool ownedByThisProcess() const override;
    void read(const ClipboardReadRequest& request, QObject* context,
              std::function<void(const ClipboardSnapshot&)> done) override;
    qint64 writeText(const QString& text) override;
    qint64 writeImage(const QImage& image, const std::optional<QByteArray>& png) override;

    // For the next reads.
    void setReadLimits(const X11ClipboardReader::Limits& limits) { m_limits = limits; }

private:
    ClipboardSnapshot readLocally(const ClipboardReadRequest& request) const;

    qint64 m_changeCount = 0;
    X11ClipboardReader::Limits m_limits;
    bool m_hasDisplay = false;
    bool m_announcesChanges = false;
    std::atomic_bool m_cancel{false};
    QThread m_thread;
    // Lives on m_thread; its reader is made and used there only.
    QObject* m_worker = nullptr;
    std::unique_ptr<X11ClipboardReader> m_reader;
};
