#pragma once
// The automatic copy of a fresh capture: the picture goes on the clipboard
// with its PNG data, as every copy of a picture does, but the PNG (about
// 90 ms for 1920x1080, 300 ms for 3840x2160) is encoded on a worker thread,
// so the toast, the history entry and the editor do not wait for it. The
// clipboard is written back on this object's thread once the data is ready,
// and `written` gets the change count in that same turn, as the clipboard
// monitor's rule for own writes asks. A copy that finds the clipboard changed
// meanwhile (a later copy of ours, or another program's) leaves it alone: the
// newer content wins.
#include <QImage>
#include <QObject>
#include <functional>

class ClipboardService;

class DeferredImageCopy : public QObject {
    Q_OBJECT
public:
    explicit DeferredImageCopy(ClipboardService& clipboard, QObject* parent = nullptr);

    void copy(const QImage& image, std::function<void(qint64 changeCount)> written);
    // A copy is still encoding.
    bool isPending() const { return m_pending > 0; }

Q_SIGNALS:
    // One copy came to an end: written, or left out because newer content came first.
    void finished(bool written);

private:
    ClipboardService& m_clipboard;
    quint64 m_latest = 0;
    int m_pending = 0;
};
