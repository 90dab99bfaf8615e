// Starts a program and times it from just before fork to the first MapNotify
// of a top-level window whose _NET_WM_PID is that program, watching the root
// window of $DISPLAY. Prints "pid P", "launch NS" and "map NS" (CLOCK_MONOTONIC)
// and leaves the program running for the benchmark to measure and stop.
// Usage: tolvan_bench_launch SECONDS PROGRAM [ARGUMENTS...]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, std::strlen(name), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<pid_t> windowPid(xcb_connection_t *connection, xcb_window_t window,
                               xcb_atom_t pidAtom)
{
    const auto cookie = xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4) {
        return std::nullopt;
    }
    return static_cast<pid_t>(*static_cast<const uint32_t *>(xcb_get_property_value(reply.get())));
}

bool isViewable(xcb_connection_t *connection, xcb_window_t window)
{
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SECONDS PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const auto timeout = std::chrono::seconds(std::atoi(argv[1]));
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t pidAtom = atom(connection, "_NET_WM_PID");
    // New top-level windows announce themselves to the root; each is then
    // watched for its own MapNotify, wherever the window manager puts it.
    const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);
    xcb_flush(connection);

    const long long launched = monotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
        // The program outlives this launcher: it must not hold its output open.
        const int nothing = open("/dev/null", O_WRONLY);
        dup2(nothing, STDOUT_FILENO);
        dup2(nothing, STDERR_FILENO);
        execvp(argv[2], argv + 2);
        std::_Exit(127);
    }
    if (child < 0) {
        return 1;
    }
    std::printf("pid %d\nlaunch %lld\n", child, launched);
    std::fflush(stdout);

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto mappedBy = [&](xcb_window_t window) {
        const auto pid = windowPid(connection, window, pidAtom);
        return pid && *pid == child;
    };
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&descriptor, 1, 100);
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const uint8_t type = event->response_type & 0x7f;
            long long mapped = 0;
            if (type == XCB_CREATE_NOTIFY) {
                const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(connection, created->window, XCB_CW_EVENT_MASK,
                                             &events);
                // A map that came before the watch took hold is seen as it is now.
                if (isViewable(connection, created->window) && mappedBy(created->window)) {
                    mapped = monotonicNanoseconds();
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (mappedBy(map->window)) {
                    mapped = monotonicNanoseconds();
                }
            }
            std::free(event);
            if (mapped != 0) {
                std::printf("map %lld\n", mapped);
                return 0;
            }
        }
        if (xcb_connection_has_error(connection)) {
            return 1;
        }
    }
    std::fprintf(stderr, "no window of %d was mapped in time\n", child);
    return 1;
}
