// A tall list for the scrolling-capture tests, in a process of its own:
// a fixed header band, a viewport on rows that never repeat, a fixed footer
// band; no window decorations. Usage:
//   zentu_scroll_list x y width height contentHeight header footer [startOffset]
// The wheel scrolls 60 px per click, Page Down / Page Up 85 % of the
// viewport, Control+Home / Home to the top, End to the end. Prints its window
// id once shown; quits when stdin closes.
#include "ScrollPattern.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

class ScrollList final : public QWidget {
public:
    ScrollList(int width, int contentHeight, int header, int footer, int offset)
        : m_content(ScrollPattern::content(width, contentHeight))
        , m_header(ScrollPattern::band(width, header, 1))
        , m_footer(ScrollPattern::band(width, footer, 2))
        , m_headerHeight(header)
        , m_footerHeight(footer)
        , m_offset(offset)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    int viewport() const { return height() - m_headerHeight - m_footerHeight; }
    void scrollTo(int y)
    {
        m_offset = qBound(0, y, qMax(0, m_content.height() - viewport()));
        update();
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, m_headerHeight, m_content, 0, m_offset, width(), viewport());
        if (m_headerHeight)
            p.drawImage(0, 0, m_header);
        if (m_footerHeight)
            p.drawImage(0, m_headerHeight + viewport(), m_footer);
    }
    void wheelEvent(QWheelEvent* event) override
    {
        m_wheel += event->angleDelta().y();
        const int clicks = m_wheel / 120;
        m_wheel -= clicks * 120;
        scrollTo(m_offset - clicks * 60);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        const int page = viewport() * 85 / 100;
        switch (event->key()) {
        case Qt::Key_PageDown:
            scrollTo(m_offset + page);
            break;
        case Qt::Key_PageUp:
            scrollTo(m_offset - page);
            break;
        case Qt::Key_Home:
            scrollTo(0);
            break;
        case Qt::Key_End:
            scrollTo(m_content.height());
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    QImage m_content, m_header, m_footer;
    int m_headerHeight, m_footerHeight;
    int m_offset;
    int m_wheel = 0;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 8) {
        std::fprintf(stderr, "usage: zentu_scroll_list x y width height contentHeight header footer [offset]\n");
        return 2;
    }
    const auto arg = [&](int i) { return QString::fromLocal8Bit(argv[i]).toInt(); };
    ScrollList list(arg(3), arg(5), arg(6), arg(7), argc > 8 ? arg(8) : 0);
    list.setWindowFlag(Qt::FramelessWindowHint);
    list.setWindowTitle(QStringLiteral("Scroll list"));
    list.setGeometry(arg(1), arg(2), arg(3), arg(4));
    list.setFixedSize(arg(3), arg(4));
    list.show();
    // Announce the window once it is mapped and painted.
    QTimer::singleShot(0, &list, [&list] {
        std::printf("%llu\n", static_cast<unsigned long long>(list.winId()));
        std::fflush(stdout);
    });
    QSocketNotifier stdinWatch(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinWatch, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
