#pragma once
// A plain X11 window in a process of its own (tests/helpers/zentu_test_window)
// painting a known pattern, for the capture tests that check pixels.
#include <QProcess>
#include <QRect>
#include <QRgb>

class HelperWindow {
public:
    // Pixel (x, y) of a helper window with this seed.
    static QRgb pattern(int x, int y, int seed) { return qRgb(x % 256, y % 256, seed); }

    // A plain rectangle; one whose X shape cuts 12 pixels round from each
    // corner; one that repaints 150 ms after it is uncovered (a busy program).
    enum class Style { plain, rounded, slowToRepaint };
    HelperWindow(QRect rect, int seed, Style style = Style::plain);
    // Ends the helper and waits until the window manager has let go of its
    // window: the next helper's window may get the same id, and the window
    // manager would take it for the old one.
    ~HelperWindow();
    HelperWindow(const HelperWindow&) = delete;
    HelperWindow& operator=(const HelperWindow&) = delete;

    QRect rect;
    int seed;
    QProcess process;
    quint32 id = 0; // 0 where the helper did not start
};
