// How long the editor takes to open in the real program, on its own X server
// without a compositor, as the user sees it: from the press of the full-screen
// hotkey (Super+Shift+6, XTest) to the last change of the editor's pixels on
// screen. This separate client watches every change the server makes to the
// screen (XDamage on the root window) and takes the editor's settled moment as
// the last change inside its frame after which nothing there changes for a
// second. The toast's own changes are left out; the pointer rests outside the
// editor. The desktop shows a page of text-like lines, coloured blocks and a
// photo-like area, so the capture costs what a real one does.
// Counters: mapped (the editor's frame mapped) and first (its first pixels).
// ZENTU_BENCH_REST_S=45 leaves 45 s between rounds instead of 3 (5 rounds):
// the program then lets go of what the closed editor drew with, and each
// round is an editor opened after a rest.
// ZENTU_BENCH_DAMAGE=1 prints every change the server reported in a round, to
// see which repaints came last. Run through bench/editor_latency.sh, which
// provides the X server and the program.
#include "BenchProgram.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QRect>
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <poll.h>
#include <thread>
#include <vector>
#include <xcb/damage.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto quiet = std::chrono::milliseconds(1000);

// A desktop that compresses like a real one: lines of word-shaped marks on a
// page, a coloured sidebar and a photo-like area of smooth noise.
QImage desktopPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(246, 246, 248));
    QPainter p(&image);
    QRandomGenerator random(37);
    const int sidebar = size.width() / 6;
    for (int y = 0; y < size.height(); y += 36) {
        p.fillRect(0, y, sidebar, 34, QColor::fromHsv(int(random.bounded(360)), 90, 200));
        p.fillRect(12, y + 12, sidebar / 2 + int(random.bounded(sidebar / 3)), 10, QColor(40, 40, 40));
    }
    const QRect page(sidebar + 40, 30, size.width() * 11 / 20, size.height() - 60);
    p.fillRect(page, Qt::white);
    const int line = std::max(14, size.height() / 60);
    for (int y = page.top() + 20; y + line < page.bottom(); y += line + line / 2) {
        int x = page.left() + 20;
        while (x < page.right() - 60) {
            const int word = line / 2 + int(random.bounded(line * 3));
            const int grey = 20 + int(random.bounded(60));
            // Glyph-like strokes with soft edges rather than one flat block.
            for (int gx = x; gx < x + word; gx += 3 + int(random.bounded(4)))
                p.fillRect(gx, y + int(random.bounded(line / 4 + 1)), 2, line - line / 4, QColor(grey, grey, grey + 10));
            x += word + line / 2;
        }
    }
    const QRect photo(page.right() + 40, 60, size.width() - page.right() - 80, size.height() / 2);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(230, 190, 140));
    p.fillRect(photo, sky);
    p.end();
    for (int y = photo.top(); y <= photo.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = photo.left(); x <= photo.right(); ++x) {
            const int n = int(random.bounded(24)) - 12 + int(18 * std::sin(x * 0.05) * std::cos(y * 0.07));
            const QRgb c = row[x];
            row[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                          std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image;
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Damage {
    Clock::time_point at;
    QRect area;
};

struct Round {
    std::optional<Clock::time_point> mapped;
    std::optional<Clock::time_point> first;
    std::optional<Clock::time_point> settled;
    xcb_window_t frame = 0;
};

struct App : BenchProgram {
    uint8_t damageEvent = 0;

    bool start()
    {
        // As a user has it: copied, stored and opened in the editor.
        return BenchProgram::start([](AppSettings& s) { s.openEditorAfterCapture = true; }, [this] {
            setDesktop(desktopPicture(screen));
            const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(x, rootWindow, XCB_CW_EVENT_MASK, &mask);
            const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x, &xcb_damage_id);
            if (!ext || !ext->present)
                return;
            std::free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
            damageEvent = ext->first_event + XCB_DAMAGE_NOTIFY;
            xcb_damage_create(x, xcb_generate_id(x), rootWindow, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        }) && damageEvent != 0;
    }

    void setDesktop(const QImage& picture)
    {
        const xcb_pixmap_t pixmap = xcb_generate_id(x);
        xcb_create_pixmap(x, screenInfo->root_depth, pixmap, rootWindow, uint16_t(screen.width()),
                          uint16_t(screen.height()));
        const xcb_gcontext_t gc = xcb_generate_id(x);
        xcb_create_gc(x, gc, pixmap, 0, nullptr);
        const int rowsPerRequest = std::max(1, 200000 / int(picture.bytesPerLine()));
        for (int y = 0; y < picture.height(); y += rowsPerRequest) {
            const int rows = std::min(rowsPerRequest, picture.height() - y);
            xcb_put_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(picture.width()), uint16_t(rows), 0,
                          int16_t(y), 0, screenInfo->root_depth, uint32_t(picture.bytesPerLine() * rows),
                          picture.constScanLine(y));
        }
        xcb_change_window_attributes(x, rootWindow, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(x, 0, rootWindow, 0, 0, 0, 0);
        xcb_free_gc(x, gc);
        xcb_free_pixmap(x, pixmap);
        xcb_flush(x);
    }

    QRect geometryOf(xcb_window_t window)
    {
        QRect r;
        if (auto* g = xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr)) {
            r = QRect(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
            std::free(g);
        }
        return r;
    }

    // From the key press to the editor's last change before a quiet second.
    Round openEditor(Clock::time_point pressed, int timeoutMs)
    {
        Round round;
        std::vector<Damage> damage;
        std::vector<QRect> toasts; // override-redirect windows: the toast
        QRect frame;
        const auto until = pressed + std::chrono::milliseconds(timeoutMs);
        auto lastInFrame = [&]() -> std::optional<Clock::time_point> {
            std::optional<Clock::time_point> last;
            for (const Damage& d : damage) {
                if (!d.area.intersects(frame))
                    continue;
                if (std::any_of(toasts.begin(), toasts.end(), [&](const QRect& t) { return t.contains(d.area); }))
                    continue;
                if (!round.first || d.at < *round.first)
                    round.first = d.at;
                last = d.at;
            }
            return last;
        };
        while (Clock::now() < until) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
                const auto now = Clock::now();
                const uint8_t type = e->response_type & 0x7f;
                if (type == damageEvent) {
                    auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(e);
                    damage.push_back({now, QRect(d->area.x, d->area.y, d->area.width, d->area.height)});
                } else if (type == XCB_MAP_NOTIFY) {
                    auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    const QRect r = geometryOf(m->window);
                    if (m->override_redirect)
                        toasts.push_back(r);
                    else if (!round.frame && r.width() >= 500 && r.height() >= 400) {
                        round.frame = m->window;
                        round.mapped = now;
                    }
                }
                std::free(e);
            }
            if (round.frame) {
                // Where the window manager has put it by now.
                frame = geometryOf(round.frame);
                const auto last = lastInFrame();
                const auto now = Clock::now();
                if (last && now - *last >= quiet && now - *round.mapped >= quiet) {
                    round.settled = last;
                    if (std::getenv("ZENTU_BENCH_DAMAGE"))
                        for (const Damage& d : damage)
                            std::fprintf(stderr, "damage %7.1f ms  %d,%d %dx%d%s\n", ms(d.at - pressed), d.area.x(),
                                         d.area.y(), d.area.width(), d.area.height(),
                                         d.area.intersects(frame) ? "" : "  (outside)");
                    return round;
                }
            }
            pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
            poll(&p, 1, 5);
        }
        return round;
    }

    // Asks the window manager to close the active window (the editor) and
    // waits until its frame is gone.
    bool closeEditor(xcb_window_t frame)
    {
        auto atom = [this](const char* name) {
            xcb_atom_t a = XCB_NONE;
            if (auto* r = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr)) {
                a = r->atom;
                std::free(r);
            }
            return a;
        };
        xcb_window_t active = XCB_NONE;
        auto* reply = xcb_get_property_reply(
            x, xcb_get_property(x, 0, rootWindow, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1), nullptr);
        if (reply && xcb_get_property_value_length(reply) >= 4)
            active = *static_cast<xcb_window_t*>(xcb_get_property_value(reply));
        std::free(reply);
        if (active == XCB_NONE)
            return false;
        xcb_client_message_event_t close{};
        close.response_type = XCB_CLIENT_MESSAGE;
        close.format = 32;
        close.window = active;
        close.type = atom("_NET_CLOSE_WINDOW");
        close.data.data32[1] = 2; // from a pager or similar tool
        xcb_send_event(x, 0, rootWindow, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&close));
        xcb_flush(x);
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < until) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
                const uint8_t type = e->response_type & 0x7f;
                const bool gone = (type == XCB_UNMAP_NOTIFY && reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window == frame)
                                  || (type == XCB_DESTROY_NOTIFY
                                      && reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window == frame);
                std::free(e);
                if (gone)
                    return true;
            }
            pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
            poll(&p, 1, 5);
        }
        return false;
    }
};

App* app = nullptr;

// Seconds between one round's key press and the next one's.
int restSeconds()
{
    const int rest = qEnvironmentVariableIntValue("ZENTU_BENCH_REST_S");
    return rest > 3 ? rest : 3;
}

void hotkeyToSettledEditor(benchmark::State& state)
{
    static std::optional<Clock::time_point> previous;
    for (auto _ : state) {
        // Away from where the editor opens, so no control under it lights up.
        app->warpPointer(4, app->screen.height() / 2);
        // The previous round's toast (1.6 s) is gone, or the capture would
        // first wait for the screen beneath it; its picture is written.
        if (previous)
            std::this_thread::sleep_until(*previous + std::chrono::seconds(restSeconds()));
        app->drainX();
        const auto pressed = Clock::now();
        previous = pressed;
        app->press({BenchProgram::keySuper, BenchProgram::keyShift, BenchProgram::key6});
        const Round round = app->openEditor(pressed, 15000);
        if (!round.settled) {
            state.SkipWithError(round.frame ? "the editor did not settle within 15 s" : "no editor within 15 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*round.settled - pressed).count());
        state.counters["mapped_ms"] = ms(*round.mapped - pressed);
        state.counters["first_ms"] = ms(*round.first - pressed);
        if (!app->closeEditor(round.frame)) {
            state.SkipWithError("the editor did not close");
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("hotkeyToSettledEditor", hotkeyToSettledEditor)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(restSeconds() > 3 ? 5 : 11)
        ->ReportAggregatesOnly(true);
    return runAgainstProgram(argc, argv, app, "bench_editor_latency");
}
