// Watches where a window appears on an X server and whether it moves afterwards: start it, then
// the program. Every half millisecond it looks at the top-level window with the given title;
// from the moment the window is shown (mapped, and not clipped by a frame still being built) it
// prints the window's place on the screen and that of its frame, then every change, each with
// the time since the window was first shown, for the given number of milliseconds (500 unless
// given). Gives up after ten seconds without such a window.
//   watch_placement TITLE [MILLISECONDS]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
xcb_connection_t *connection;

template <class T> std::unique_ptr<T, decltype(&std::free)> owned(T *reply)
{
    return {reply, &std::free};
}

xcb_atom_t atom(const char *name)
{
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::string title(xcb_window_t window)
{
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256),
        nullptr));
    return reply ? std::string(static_cast<const char *>(xcb_get_property_value(reply.get())),
                               size_t(xcb_get_property_value_length(reply.get())))
                 : std::string();
}

struct Rect
{
    int x, y, width, height;
    bool operator==(const Rect &) const = default;
};

// The window's place on the screen, or nothing while it is not shown whole.
std::optional<Rect> shown(xcb_window_t window, xcb_window_t root)
{
    const auto attributes = owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    const auto geometry =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const auto place = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!attributes || !geometry || !place || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        return std::nullopt;
    }
    const Rect rect{place->dst_x, place->dst_y, geometry->width, geometry->height};
    // The window manager's frame, the ancestor that is a child of the root, must hold it whole.
    xcb_window_t ancestor = window;
    for (;;) {
        const auto tree =
            owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, ancestor), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == root) {
            break;
        }
        ancestor = tree->parent;
    }
    const auto frame =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, ancestor), nullptr));
    if (!frame || rect.x < frame->x || rect.y < frame->y ||
        rect.x + rect.width > frame->x + frame->width ||
        rect.y + rect.height > frame->y + frame->height) {
        return std::nullopt;
    }
    return rect;
}

// Left, right, top and bottom of the frame the window manager says it drew.
std::vector<uint32_t> frameExtents(xcb_window_t window, xcb_atom_t extents)
{
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 16) {
        return {0, 0, 0, 0};
    }
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return {values, values + 4};
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: watch_placement TITLE [MILLISECONDS]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    const auto watchFor = std::chrono::milliseconds(argc > 2 ? std::atoi(argv[2]) : 500);
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "watch_placement: no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    // A new window is created as a child of the root, before any window manager frames it.
    std::vector<xcb_window_t> created;
    xcb_window_t window = XCB_WINDOW_NONE;
    const Clock::time_point start = Clock::now();
    std::optional<Clock::time_point> first;
    std::string last;
    while (!first || Clock::now() - *first < watchFor) {
        if (!first && Clock::now() - start > std::chrono::seconds(10)) {
            std::fprintf(stderr, "watch_placement: no window \"%s\" shown\n", wanted.c_str());
            return 1;
        }
        while (const auto event = owned(xcb_poll_for_event(connection))) {
            if ((event->response_type & 0x7f) == XCB_CREATE_NOTIFY) {
                const auto *create = reinterpret_cast<xcb_create_notify_event_t *>(event.get());
                if (create->parent == root && !create->override_redirect) {
                    created.push_back(create->window);
                }
            }
        }
        // Other windows of the program may carry the title too, such as its client leader,
        // which is never shown.
        for (auto it = created.begin(); window == XCB_WINDOW_NONE && it != created.end(); ++it) {
            if (title(*it) == wanted && shown(*it, root)) {
                window = *it;
            }
        }
        if (window != XCB_WINDOW_NONE) {
            if (const std::optional<Rect> rect = shown(window, root)) {
                const Clock::time_point now = Clock::now();
                first = first.value_or(now);
                const std::vector<uint32_t> e = frameExtents(window, extents);
                char line[160];
                std::snprintf(line, sizeof line, "window %dx%d at %d,%d, frame %ux%u at %d,%d",
                              rect->width, rect->height, rect->x, rect->y,
                              rect->width + e[0] + e[1], rect->height + e[2] + e[3],
                              rect->x - int(e[0]), rect->y - int(e[2]));
                if (line != last) {
                    std::printf("%6.1f ms: %s\n",
                                std::chrono::duration<double, std::milli>(now - *first).count(),
                                line);
                    std::fflush(stdout);
                    last = line;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    xcb_disconnect(connection);
    return 0;
}
