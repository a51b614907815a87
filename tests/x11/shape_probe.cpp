// Tells whether a point of an X window lies inside the window's bounding shape:
//     shape_probe <window id> <x> <y>
// prints "inside" or "outside" (exit 0), or an error (exit 1).

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: shape_probe <window id> <x> <y>\n");
        return 1;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    const int x = std::atoi(argv[2]);
    const int y = std::atoi(argv[3]);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "shape_probe: no X display\n");
        return 1;
    }
    std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&std::free)> reply(
        xcb_shape_get_rectangles_reply(connection,
                                       xcb_shape_get_rectangles(connection, window, XCB_SHAPE_SK_BOUNDING), nullptr),
        &std::free);
    if (!reply) {
        std::fprintf(stderr, "shape_probe: no shape for window %s\n", argv[1]);
        xcb_disconnect(connection);
        return 1;
    }
    const xcb_rectangle_t* rectangles = xcb_shape_get_rectangles_rectangles(reply.get());
    const int count = xcb_shape_get_rectangles_rectangles_length(reply.get());
    bool inside = false;
    for (int i = 0; i < count && !inside; ++i) {
        const xcb_rectangle_t& r = rectangles[i];
        inside = x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
    }
    std::printf("%s\n", inside ? "inside" : "outside");
    xcb_disconnect(connection);
    return 0;
}
