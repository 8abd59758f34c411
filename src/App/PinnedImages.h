#pragma once
// The pictures pinned above every window: each opens on the screen under the
// pointer and is kept until its window has closed.
#include <QList>
#include <QObject>
#include <memory>
#include <vector>

class CompositingInfo;
class PinnedImageWindowController;
class QImage;
class QWidget;
class WindowDesktops;

class PinnedImages : public QObject {
    Q_OBJECT
public:
    // compositing: whether a faded picture can show what lies beneath as it
    // is (none: not known, it paints over a still of the screen).
    PinnedImages(WindowDesktops& desktops, std::shared_ptr<CompositingInfo> compositing, QObject* parent = nullptr);
    ~PinnedImages() override;

    // In front of everything, without activating the app.
    void pin(const QImage& image);
    // The open ones, oldest first.
    QList<PinnedImageWindowController*> windows() const;

private:
    void release(PinnedImageWindowController* closed);

    WindowDesktops& m_desktops;
    std::shared_ptr<CompositingInfo> m_compositing;
    std::vector<std::unique_ptr<PinnedImageWindowController>> m_windows;
};
