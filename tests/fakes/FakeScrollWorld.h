#pragma once
// A scrollable window for the scroll loop's tests: a tall content image seen
// through a viewport, optionally under a fixed header, above a fixed footer
// and beside a fixed scrollbar band. Keys and wheel clicks move the viewport
// as a real application would; the window server hands out what the window
// shows now. Not thread-safe: the loop grabs on a worker thread, one grab at
// a time, while the test's main thread waits for it.
#include "Platform/InputSynthesis.h"
#include "Platform/WindowActivation.h"
#include "Platform/WindowServer.h"
#include "helpers/ScrollPattern.h"

#include <QList>
#include <QPainter>
#include <QStringList>
#include <cstring>
#include <functional>

class FakeScrollWorld final : public WindowServer, public InputSynthesis, public WindowActivation {
public:
    static constexpr qint32 pid = 4242;
    static constexpr quint32 window = 77;
    static constexpr quint32 otherWindow = 88;
    static constexpr qint32 otherPID = 5151;

    static QRgb contentPixel(int x, int y) { return ScrollPattern::contentPixel(x, y); }
    static QImage makeContent(int width, int height) { return ScrollPattern::content(width, height); }
    static QImage band(int width, int height, int seed)
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb((x * 7 + seed) & 0xff, (y * 11 + seed * 3) & 0xff, (x ^ y ^ seed) & 0xff));
        return image;
    }

    // width/height: the window in pixels (= points, scale 1).
    FakeScrollWorld(int width, int height, int contentHeight, int header = 0, int footer = 0, int scrollbar = 0)
        : bounds(100, 50, width, height)
        , headerHeight(header)
        , footerHeight(footer)
        , scrollbarWidth(scrollbar)
        , content(makeContent(width - scrollbar, contentHeight))
        , headerImage(band(width, qMax(1, header), 1))
        , footerImage(band(width, qMax(1, footer), 2))
        , scrollbarImage(band(qMax(1, scrollbar), height, 3))
    {
        pageStep = viewportHeight() * 8 / 10;
    }

    int viewportHeight() const { return int(bounds.height()) - headerHeight - footerHeight; }
    int maxOffset() const { return qMax(0, content.height() - viewportHeight()); }
    void scrollTo(int y) { target = offset = qBound(0, y, maxOffset()); }
    // Where input sends the view: at once, or gliding there (`glide`).
    void send(int y)
    {
        target = qBound(0, y, maxOffset());
        if (!glide && !held)
            offset = target;
        behind = held;
    }

    // The whole content as a perfect capture shows it: header, every content
    // row, footer; without the scrollbar band.
    QImage fullRendering() const
    {
        const int w = int(bounds.width()) - scrollbarWidth;
        QImage image(w, headerHeight + content.height() + footerHeight, QImage::Format_RGB32);
        QPainter p(&image);
        if (headerHeight)
            p.drawImage(0, 0, headerImage, 0, 0, w, headerHeight);
        p.drawImage(0, headerHeight, content);
        if (footerHeight)
            p.drawImage(0, headerHeight + content.height(), footerImage, 0, 0, w, footerHeight);
        return image;
    }

    QImage render() const
    {
        QImage image(bounds.size().toSize(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.drawImage(0, headerHeight, content, 0, offset, content.width(), viewportHeight());
        if (noise) {
            // Content that changes without moving (an animation, a video).
            const QRect block(content.width() / 4, headerHeight + viewportHeight() / 4, content.width() / 2,
                              noiseRows > 0 ? noiseRows : viewportHeight() / 2);
            const int grey = (noiseSeed * 37) % 200 + 40;
            p.fillRect(block, QColor(grey, grey, grey));
        }
        if (!box.isEmpty()) {
            // A box fixed over the content (a cookie notice): a soft shadow
            // around it, its fill, and lines of text in it.
            for (int d = boxShadow; d >= 1; --d)
                p.fillRect(box.adjusted(-d, -d, d, d), QColor(0, 0, 0, 80 * (boxShadow - d + 1) / boxShadow / 3));
            p.fillRect(box, boxFill);
            for (int y = box.top() + 12; y + 8 < box.bottom(); y += 18)
                for (int x = box.left() + 10; x + 16 < box.right(); x += 11 + (y / 18) % 3)
                    p.fillRect(x, y, 7, 8, Qt::white);
        }
        if (sidebarWidth)
            // A sticky column beside the content: its own picture, standing still.
            p.drawImage(0, headerHeight, sidebarImage, 0, 0, sidebarWidth, viewportHeight());
        if (!clock.isEmpty()) {
            // A fixed clock that changes on every grab.
            const int tick = grabs * 29;
            p.fillRect(clock, QColor(250, 240, 200));
            if (clockSlowEvery > 0) {
                // Digits as a real clock has them, in a bordered box: the
                // last ones change on every grab, the first ones, far to the
                // left, only now and then.
                const int slow = grabs / clockSlowEvery;
                p.setPen(QColor(0x99, 0x99, 0x99));
                p.drawRect(clock.adjusted(0, 0, -1, -1));
                for (int x : {clock.left() + 40, clock.left() + 70}) // the colons
                    for (int y : {clock.top() + 12, clock.bottom() - 14})
                        p.fillRect(x, y, 4, 4, QColor(0x33, 0x33, 0x33));
                const QRect fast(clock.right() - 30, clock.top() + 4, 26, clock.height() - 8);
                p.fillRect(fast.adjusted(tick % 9, 0, -((tick / 9) % 7), 0), QColor(tick % 200, 60, 90));
                p.fillRect(QRect(clock.left() + 4, clock.top() + 4, 12 + slow % 5, clock.height() - 8),
                           QColor(40 + slow * 53 % 160, 60, 90));
            } else {
                p.fillRect(clock.adjusted(4 + tick % 9, 4, -4 - (tick / 9) % 7, -4), QColor(tick % 200, 60, 90));
            }
        }
        if ((overlayBar || (overlayBarAt && overlayBarAt(offset)))
            && (!overlayBarGrabs || grabs - grabsAtInput <= overlayBarGrabs))
            p.fillRect(0, headerHeight + viewportHeight() - overlayBarGap - overlayBarRows,
                       overlayBarWidth ? overlayBarWidth : content.width(), overlayBarRows, overlayBarColour);
        if (headerHeight)
            p.drawImage(0, 0, headerImage);
        if (footerHeight)
            p.drawImage(0, headerHeight + viewportHeight(), footerImage);
        if (scrollbarWidth)
            p.drawImage(int(bounds.width()) - scrollbarWidth, 0, scrollbarImage);
        if (scrollbarWidth && movingThumb) {
            // A thumb over the bar, where the view stands in the content.
            const int track = viewportHeight();
            const int thumb = qMax(8, track * viewportHeight() / qMax(1, content.height()));
            const int y = maxOffset() ? (track - thumb) * offset / maxOffset() : 0;
            p.fillRect(int(bounds.width()) - scrollbarWidth, headerHeight + y, scrollbarWidth, thumb, Qt::darkGray);
        }
        return image;
    }

    // WindowServer
    std::optional<QList<WindowInfo>> windowList() override
    {
        QList<WindowInfo> list;
        list.append(WindowInfo{window, pid, bounds, 0, std::nullopt});
        for (const WindowInfo& w : extraWindows)
            list.append(w);
        return list;
    }
    std::optional<qint32> ownerPID(quint32 w) override
    {
        if (w == window)
            return pid;
        if (w == otherWindow)
            return otherPID;
        for (const WindowInfo& e : extraWindows)
            if (e.number == w)
                return e.ownerPID;
        return std::nullopt;
    }
    QImage windowImage(quint32 w, QSize pixelSize, bool, QString* = nullptr, bool* = nullptr) override
    {
        ++grabs;
        if (glide && grabs % 2)
            offset = target > offset ? qMin(target, offset + glide) : qMax(target, offset - glide);
        else if (behind && !held) {
            offset = target; // where the input that came while it was held sent it
            behind = false;
        }
        if (failGrabsFrom >= 0 && grabs > failGrabsFrom)
            return {};
        if (w != window)
            return {};
        QImage image = render();
        if (grabs >= tornFrom && grabs < tornFrom + 3 && lastClean.size() == image.size()) {
            // A view caught half redrawn for a while: its lower half still
            // the picture before.
            for (int y = image.height() / 2; y < image.height(); ++y)
                memcpy(image.scanLine(y), lastClean.constScanLine(y), size_t(image.bytesPerLine()));
        } else {
            lastClean = image;
        }
        if (pixelSize.isValid() && pixelSize != image.size())
            image = image.scaled(pixelSize);
        return image;
    }

    // InputSynthesis
    bool isAvailable() override { return true; }
    void pressKey(Key key, bool control) override
    {
        events.append(QStringLiteral("%1%2").arg(control ? QStringLiteral("ctrl+") : QString(),
                                                  key == Key::pageUp     ? QStringLiteral("pageUp")
                                                      : key == Key::pageDown ? QStringLiteral("pageDown")
                                                                             : QStringLiteral("home")));
        if (active != window)
            return; // the key went to another application
        ++keysToTarget;
        if (focusLostAfterKeys >= 0 && keysToTarget >= focusLostAfterKeys)
            active = otherWindow;
        if (frozen || !keysReachView)
            return;
        if (noise) {
            // Page Down changes the picture, nothing moves.
            if (key == Key::pageDown)
                ++noiseSeed;
            return;
        }
        if (key == Key::pageDown) {
            send(target + pageStep);
        } else if (key == Key::pageUp) {
            send(target - (pageUpStep ? pageUpStep : pageStep));
            wheelLost = wheelLostAfterPageUp;
        }
        else if (control)
            send(0);
    }
    void scrollWheel(int clicks) override
    {
        events.append(QStringLiteral("wheel%1").arg(clicks));
        grabsAtInput = grabs;
        if (!pointer || !bounds.contains(*pointer) || frozen)
            return;
        if (wheelLost > 0) {
            --wheelLost;
            return;
        }
        send(target - clicks * (clicks > 0 && wheelUpPixels ? wheelUpPixels : wheelPixels));
    }
    void warpPointer(const QPointF& point) override
    {
        pointer = point;
        warps.append(point);
    }
    std::optional<QPointF> pointerPosition() override { return pointer; }
    void hidePointer() override
    {
        pointerHidden = true;
        ++hides;
    }
    void showPointer() override { pointerHidden = false; }

    // WindowActivation
    void activate(quint32 w) override
    {
        activations.append(w);
        active = w;
    }
    std::optional<quint32> activeWindow() override
    {
        if (!active)
            return std::nullopt;
        return active;
    }

    QRectF bounds;
    int headerHeight, footerHeight, scrollbarWidth;
    QImage content, headerImage, footerImage, scrollbarImage;
    int sidebarWidth = 0;                          // a sticky column at the left of the content
    QImage sidebarImage = band(400, 2000, 4);
    QRect clock;                                   // a fixed clock, in window pixels
    QRect box;                                     // a box fixed over the content, in window pixels
    int boxShadow = 0;                             // how far its shadow reaches
    QColor boxFill{40, 90, 200};
    int clockSlowEvery = 0; // > 0: the clock's first digits change only on every so many grabs
    int tornFrom = -1;                             // three grabs from this one show a half-redrawn view
    QImage lastClean;
    int offset = 0;
    int target = 0; // where the view is on its way to
    // Rows a gliding view moves on every other grab (a smooth scroll on a
    // busy machine: two grabs in a row agree while it is still under way);
    // 0: input moves it at once.
    int glide = 0;
    // The view does not follow input for now (an application held up on a
    // busy machine); once no longer held, it goes where all of it sent it.
    bool held = false;
    bool behind = false;
    int pageStep = 0;
    int pageUpStep = 0;           // Page Up moves this far; 0: as far as Page Down
    int wheelLostAfterPageUp = 0; // wheel events after a Page Up that move nothing
    int wheelLost = 0;
    int wheelPixels = 60;
    int wheelUpPixels = 0; // a click up moves this far; 0: as far as one down
    bool frozen = false;
    bool noise = false;
    int noiseRows = 0; // height of the changing block; 0: half the viewport
    int noiseSeed = 0;
    bool keysReachView = true; // false: keys go elsewhere (a terminal's shell)
    bool movingThumb = false;  // the scrollbar shows a thumb that follows the view
    // A bar over the viewport's bottom rows, as a browser's overlay scrollbar
    // shows one a moment after a step and fades it later: while `overlayBar`
    // is set or at the offsets `overlayBarAt` says.
    bool overlayBar = false;
    std::function<bool(int offset)> overlayBarAt;
    int overlayBarRows = 8;
    int overlayBarGap = 0;   // rows between it and the view's bottom edge
    int overlayBarWidth = 0; // 0: the view's width
    QColor overlayBarColour{126, 129, 130};
    int overlayBarGrabs = 0; // > 0: it fades after so many grabs since the last wheel click
    int grabsAtInput = 0;
    QList<WindowInfo> extraWindows;
    int grabs = 0;
    int failGrabsFrom = -1; // grabs after this many fail
    QStringList events;
    int keysToTarget = 0;
    int focusLostAfterKeys = -1;
    std::optional<QPointF> pointer = QPointF(5, 5);
    QList<QPointF> warps;
    bool pointerHidden = false;
    int hides = 0;
    quint32 active = 0;
    QList<quint32> activations;
};
