// A plain X11 window for the capture tests, in a process of its own so that
// window owners can be checked.
// Usage: zentu_test_window x y width height seed [rounded|slow]
// It paints pixel (x, y) as rgb(x mod 256, y mod 256, seed), has no window
// decorations, and prints its window id once the first paint is done. It
// repaints on every expose and quits when stdin closes. "rounded" shapes it
// (X shape extension) with corners cut round, 12 pixels in radius; "slow"
// repaints 150 ms after an expose (after the first paint), as a busy program does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <unistd.h>
#include <vector>
#include <cmath>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace {
xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
}

// The window's bounding shape: its rectangle with the corners cut round.
void shapeRounded(xcb_connection_t* c, xcb_window_t w, int width, int height)
{
    const int r = 12;
    std::vector<xcb_rectangle_t> rows;
    for (int y = 0; y < height; ++y) {
        const int fromEdge = std::min(y, height - 1 - y);
        int inset = 0;
        if (fromEdge < r) {
            const double dy = r - fromEdge - 0.5;
            inset = int(std::ceil(r - std::sqrt(double(r) * r - dy * dy)));
        }
        rows.push_back({int16_t(inset), int16_t(y), uint16_t(width - 2 * inset), 1});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, w, 0, 0,
                         uint32_t(rows.size()), rows.data());
}

void paint(xcb_connection_t* c, xcb_window_t w, xcb_gcontext_t gc, int width, int height, int seed)
{
    // Row bands keep each request below the server's maximum request length.
    const int rowsPerRequest = 16;
    std::vector<uint32_t> pixels(size_t(width) * rowsPerRequest);
    for (int top = 0; top < height; top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, height - top);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * width + x] = (uint32_t(x % 256) << 16) | (uint32_t((top + y) % 256) << 8) | uint32_t(seed);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, gc, width, rows, 0, top, 0, 24,
                      uint32_t(width) * rows * 4, reinterpret_cast<const uint8_t*>(pixels.data()));
    }
    xcb_flush(c);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7)
        return 2;
    const bool rounded = argc == 7 && strcmp(argv[6], "rounded") == 0;
    const bool slow = argc == 7 && strcmp(argv[6], "slow") == 0;
    const int x = atoi(argv[1]), y = atoi(argv[2]), width = atoi(argv[3]), height = atoi(argv[4]), seed = atoi(argv[5]);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                                 &xcb_disconnect);
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, 24, w, screen->root, x, y, width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_EVENT_MASK, values);
    // Place exactly where asked (USPosition | USSize), without decorations.
    uint32_t hints[18] = {};
    hints[0] = 1 | 2;
    hints[1] = x, hints[2] = y, hints[3] = width, hints[4] = height;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    const uint32_t motif[5] = {2, 0, 0, 0, 0};
    const xcb_atom_t motifAtom = atom(c, "_MOTIF_WM_HINTS");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, motifAtom, motifAtom, 32, 5, motif);
    const char title[] = "zentu test window";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof(title) - 1, title);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, w, 0, nullptr);
    if (rounded)
        shapeRounded(c, w, width, height);
    xcb_map_window(c, w);
    xcb_flush(c);

    bool announced = false;
    pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_EXPOSE && reinterpret_cast<xcb_expose_event_t*>(e)->count == 0) {
                if (slow && announced)
                    poll(nullptr, 0, 150);
                paint(c, w, gc, width, height, seed);
                xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
                free(sync);
                if (!announced) {
                    printf("%u\n", w);
                    fflush(stdout);
                    announced = true;
                }
            }
            free(e);
        }
        if (xcb_connection_has_error(c))
            return 1;
        if (poll(fds, 2, -1) < 0)
            return 1;
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char buffer[64];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                return 0;
        }
    }
}
