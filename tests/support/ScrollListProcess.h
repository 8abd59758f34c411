#pragma once
// The tall list of tests/helpers/zentu_scroll_list in a process of its own:
// a fixed header band, rows that never repeat, a fixed footer band, placed
// where asked and shown from a given row on. It scrolls on the wheel and on
// Page Down.
#include <QImage>
#include <QProcess>
#include <QRect>

class ScrollListProcess {
public:
    struct Layout {
        QRect rect;
        int rows = 2600;
        int header = 48;
        int footer = 44;
        int startRow = 0;
    };

    explicit ScrollListProcess(Layout layout);
    ~ScrollListProcess();
    ScrollListProcess(const ScrollListProcess&) = delete;
    ScrollListProcess& operator=(const ScrollListProcess&) = delete;

    // Header, every content row, footer: what a perfect capture of the whole
    // window shows.
    QImage fullRendering() const;
    // Rows of a that differ from the same row of b (a missing row differs).
    static int differingRows(const QImage& a, const QImage& b);

    const Layout layout;
    QProcess process;
    quint32 id = 0; // 0 where the list did not start
};
