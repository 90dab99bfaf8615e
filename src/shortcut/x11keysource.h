#pragma once

#include "keyeventsource.h"
#include "keystatetracker.h"
#include "servertimeline.h"

#include <cstdint>
#include <optional>

struct xcb_connection_t;
struct xcb_input_raw_key_press_event_t;
class QSocketNotifier;

namespace Tolvan {

// The keyboard of an X11 session, watched through XInput2 raw key events on
// the root window. It only listens and never grabs, so every application
// still gets its keys. It runs on an X connection of its own, read from the
// Qt event loop when that connection has data, and costs nothing between key
// events. The frontmost application is the process of _NET_ACTIVE_WINDOW.
class X11KeySource : public KeyEventSource {
    Q_OBJECT
public:
    explicit X11KeySource(QObject *parent = nullptr);
    ~X11KeySource() override;

    // True on an X11 display with XInput2 2.0 or later, never in a Wayland
    // session, where the display would show only the keys of X clients.
    bool isAvailable() override;
    bool start() override;
    void stop() override;
    bool isRunning() const override;
    // The X server time of the latest key event, 0 before the first: the
    // user time that lets the window manager give the focus to a window
    // this key brings forward.
    std::uint32_t lastEventTime() const { return m_lastEventTime; }

private:
    void readEvents();
    void handleRawKey(const xcb_input_raw_key_press_event_t &event, bool isPress);
    void loadModifierKeys();
    void loadKeysDown();
    void updateFrontmostProcess();
    std::optional<std::int32_t> frontmostProcessID() const;
    std::optional<std::uint32_t> cardinalProperty(std::uint32_t window, std::uint32_t atom,
                                                  std::uint32_t type) const;
    void disconnectFromServer();

    xcb_connection_t *m_connection = nullptr;
    // Tells a read loop that the connection it started on has gone.
    std::uint64_t m_connectionGeneration = 0;
    QSocketNotifier *m_notifier = nullptr;
    std::uint32_t m_root = 0;
    std::uint8_t m_xinputOpcode = 0;
    std::uint32_t m_activeWindowAtom = 0;
    std::uint32_t m_processIDAtom = 0;
    std::optional<std::int32_t> m_frontmostProcessID;
    KeyStateTracker m_keys;
    ServerTimeline m_timeline;
    std::uint32_t m_lastEventTime = 0;
};

} // namespace Tolvan
