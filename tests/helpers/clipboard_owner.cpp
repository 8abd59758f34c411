// A separate X client for the real-clipboard tests. It either takes the
// CLIPBOARD and keeps serving it until its standard input closes:
//   clipboard_owner text <text>
//   clipboard_owner image <width> <height> [noise]   (noise: too big for one transfer)
//   clipboard_owner image <width> <height> text <text>   (a picture with a text beside it)
//   clipboard_owner marked <format> <value> <text>
//   clipboard_owner stall <text>     (takes the clipboard, then never answers)
// or, speaking X directly, misbehaves in ways a toolkit would not allow:
//   clipboard_owner switch-after-formats <text> <secret>
//       answers the format list, then a second window of its own takes the
//       clipboard with <secret> marked as concealed
//   clipboard_owner late-formats <text> <secret> <ms>
//       leaves the format request unanswered; <ms> later the second window
//       takes over, and when it is asked for its own list, the first window's
//       unmarked answer goes out just before it
//   clipboard_owner on-line <text>
//       takes the clipboard (at the server's current time) when a line comes
//       in on its standard input, and prints "taken"
//   clipboard_owner endless <ms>
//       sends its text in incremental pieces, one every <ms>, never the last
//   (these print "switched" or "piece <n>" as they go)
// or reads the clipboard as any other program would and prints what it got:
//   clipboard_owner read   ->  "formats: a,b,c", "image: WxH", and where offered
//                              "urls: …", "gnome: …" (x-special/gnome-copied-files), "text: …"
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

// An owner of the CLIPBOARD written against xcb, with two windows: A holds the
// content first, B takes over with a concealed secret.
class RawOwner {
public:
    RawOwner(const std::string& mode, const std::string& text, const std::string& secret, int ms)
        : m_mode(mode), m_text(text), m_secret(secret), m_ms(ms)
    {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_a = window();
        m_b = window();
        m_clipboard = atom("CLIPBOARD");
        m_targets = atom("TARGETS");
        m_utf8 = atom("UTF8_STRING");
        m_incr = atom("INCR");
        m_concealed = atom("org.nspasteboard.ConcealedType");
    }
    ~RawOwner() { xcb_disconnect(m_c); }
    RawOwner(const RawOwner&) = delete;
    RawOwner& operator=(const RawOwner&) = delete;

    int run()
    {
        if (m_mode != "on-line")
            xcb_set_selection_owner(m_c, m_a, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        say("ready");
        for (;;) {
            while (xcb_generic_event_t* ev = xcb_poll_for_event(m_c)) {
                handle(ev);
                std::free(ev);
            }
            if (m_due && Clock::now() >= *m_due) {
                m_due.reset();
                due();
            }
            xcb_flush(m_c);
            int timeout = 100;
            if (m_due)
                timeout = int(std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(*m_due - Clock::now()).count()));
            pollfd fds[2] = {{xcb_get_file_descriptor(m_c), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            ::poll(fds, 2, timeout);
            if (fds[1].revents) {
                char buf[64];
                if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
                    return 0;
                if (m_mode == "on-line") {
                    // Now, as a program does when the user copies.
                    xcb_set_selection_owner(m_c, m_a, m_clipboard, XCB_CURRENT_TIME);
                    xcb_flush(m_c);
                    say("taken");
                }
            }
            if (xcb_connection_has_error(m_c))
                return 1;
        }
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    xcb_window_t window()
    {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        return w;
    }
    static void say(const std::string& line)
    {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    void notify(const xcb_selection_request_event_t& req, xcb_atom_t property)
    {
        xcb_selection_notify_event_t n{};
        n.response_type = XCB_SELECTION_NOTIFY;
        n.time = req.time;
        n.requestor = req.requestor;
        n.selection = req.selection;
        n.target = req.target;
        n.property = property;
        xcb_send_event(m_c, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&n));
    }
    void answerTargets(const xcb_selection_request_event_t& req, bool concealed)
    {
        std::vector<xcb_atom_t> list{m_targets, m_utf8};
        if (concealed)
            list.push_back(m_concealed);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, req.requestor, req.property, XCB_ATOM_ATOM, 32,
                            uint32_t(list.size()), list.data());
        notify(req, req.property);
    }
    void answerText(const xcb_selection_request_event_t& req, const std::string& text)
    {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, req.requestor, req.property, req.target, 8,
                            uint32_t(text.size()), text.data());
        notify(req, req.property);
    }
    void takeOverWithSecret()
    {
        xcb_set_selection_owner(m_c, m_b, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        say("switched");
    }

    void handle(const xcb_generic_event_t* ev)
    {
        const uint8_t type = ev->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
            // The reader took the last piece: the next follows after a pause.
            if (m_incr_requestor && p->window == m_incr_requestor && p->atom == m_incr_property
                && p->state == XCB_PROPERTY_DELETE && !m_due)
                m_due = Clock::now() + std::chrono::milliseconds(m_ms);
            return;
        }
        if (type != XCB_SELECTION_REQUEST)
            return;
        const auto req = *reinterpret_cast<const xcb_selection_request_event_t*>(ev);
        const bool fromB = req.owner == m_b;
        if (req.target == m_targets) {
            if (fromB) {
                if (m_late) {
                    answerTargets(*m_late, false);
                    m_late.reset();
                    xcb_flush(m_c);
                    say("answered late");
                }
                answerTargets(req, true);
            } else if (m_mode == "switch-after-formats") {
                answerTargets(req, false);
                xcb_flush(m_c);
                takeOverWithSecret();
            } else if (m_mode == "late-formats") {
                m_late = req;
                m_due = Clock::now() + std::chrono::milliseconds(m_ms);
            } else {
                answerTargets(req, false);
            }
        } else if (req.target == m_utf8 || req.target == m_concealed) {
            if (fromB)
                answerText(req, req.target == m_utf8 ? m_secret : std::string());
            else if (m_mode == "endless")
                startEndless(req);
            else
                answerText(req, m_text);
        } else {
            notify(req, XCB_ATOM_NONE);
        }
    }

    void startEndless(const xcb_selection_request_event_t& req)
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_c, req.requestor, XCB_CW_EVENT_MASK, &mask);
        m_incr_requestor = req.requestor;
        m_incr_property = req.property;
        const uint32_t lowerBound = 1000;
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, req.requestor, req.property, m_incr, 32, 1, &lowerBound);
        notify(req, req.property);
    }

    void due()
    {
        if (m_late) {
            takeOverWithSecret();
            return;
        }
        if (m_incr_requestor) {
            const std::string piece(100, 'x');
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_incr_requestor, m_incr_property, m_utf8, 8,
                                uint32_t(piece.size()), piece.data());
            say("piece " + std::to_string(++m_pieces));
        }
    }

    std::string m_mode, m_text, m_secret;
    int m_ms = 0;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0, m_a = 0, m_b = 0;
    xcb_atom_t m_clipboard = 0, m_targets = 0, m_utf8 = 0, m_incr = 0, m_concealed = 0;
    std::optional<Clock::time_point> m_due;
    std::optional<xcb_selection_request_event_t> m_late;
    xcb_window_t m_incr_requestor = 0;
    xcb_atom_t m_incr_property = 0;
    int m_pieces = 0;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "switch-after-formats" && argc == 4)
        return RawOwner(mode, argv[2], argv[3], 0).run();
    if (mode == "late-formats" && argc == 5)
        return RawOwner(mode, argv[2], argv[3], std::atoi(argv[4])).run();
    if (mode == "on-line" && argc == 3)
        return RawOwner(mode, argv[2], "", 0).run();
    if (mode == "endless" && argc == 3)
        return RawOwner(mode, "", "", std::atoi(argv[2])).run();

    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.value(0) == QLatin1String("read")) {
        // Let the connection settle before asking, then print and leave.
        QTimer::singleShot(0, [&] {
            const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
            out << "formats: " << (md ? md->formats().join(',') : QString()) << "\n";
            const QImage image = md && md->hasImage() ? md->imageData().value<QImage>() : QImage();
            out << "image: " << image.width() << "x" << image.height() << "\n";
            if (!image.isNull())
                out << "pixel: " << QColor(image.pixel(0, 0)).name() << "\n";
            if (md && md->hasUrls())
                out << "urls: " << QUrl::toStringList(md->urls()).join(' ') << "\n";
            if (md && md->hasFormat(QStringLiteral("x-special/gnome-copied-files")))
                out << "gnome: " << QString::fromUtf8(md->data(QStringLiteral("x-special/gnome-copied-files"))).replace('\n', '|') << "\n";
            if (md && md->hasText())
                out << "text: " << md->text() << "\n";
            out.flush();
            app.quit();
        });
        return app.exec();
    }

    auto* md = new QMimeData;
    if (args.value(0) == QLatin1String("text")) {
        md->setText(args.value(1));
    } else if (args.value(0) == QLatin1String("image")) {
        QImage image(args.value(1).toInt(), args.value(2).toInt(), QImage::Format_RGB32);
        image.fill(QColor(20, 120, 220));
        if (args.value(3) == QLatin1String("noise")) {
            quint32 state = 12345;
            for (int y = 20; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    state = state * 1664525u + 1013904223u;
                    image.setPixel(x, y, 0xff000000u | (state >> 8));
                }
        }
        md->setImageData(image);
        if (args.value(3) == QLatin1String("text"))
            md->setText(args.value(4));
    } else if (args.value(0) == QLatin1String("stall")) {
        md->setText(args.value(1));
    } else if (args.value(0) == QLatin1String("marked")) {
        md->setText(args.value(3));
        md->setData(args.value(1), args.value(2).toUtf8());
    } else {
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }
    QGuiApplication::clipboard()->setMimeData(md, QClipboard::Clipboard);
    out << "ready\n";
    out.flush();
    if (args.value(0) == QLatin1String("stall")) {
        ::sleep(60); // a hung program: requests for the content go unanswered
        return 0;
    }
    QSocketNotifier stdinClosed(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinClosed, &QSocketNotifier::activated, &app, [&] {
        char buf[64];
        if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
            app.quit();
    });
    return app.exec();
}
