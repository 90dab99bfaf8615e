#include "x11keysource.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <bitset>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace Tolvan {

namespace {

struct FreeDeleter {
    void operator()(void *pointer) const { std::free(pointer); }
};
template<typename T>
using XcbPointer = std::unique_ptr<T, FreeDeleter>;

// The flag of each row of the core modifier map: Shift, Lock, Control, Mod1
// (Alt), Mod2 (Num Lock), Mod3, Mod4 (Super), Mod5 (AltGr). The keys of the
// rows without a flag are still modifier keys, whose presses are no key events.
constexpr std::uint64_t modifierRowFlags[8] = {
    KeyEvent::shiftFlag, 0, KeyEvent::copyModifierFlag, KeyEvent::altFlag, 0, 0,
    KeyEvent::superFlag, 0,
};

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qgetenv("XDG_SESSION_TYPE") == "wayland";
}

struct Opened {
    xcb_connection_t *connection = nullptr;
    int screenNumber = 0;
    std::uint8_t xinputOpcode = 0;
};

// A new connection to the display of $DISPLAY whose server speaks XInput2
// 2.0 or later; none otherwise.
std::optional<Opened> openConnection()
{
    if (isWaylandSession()) {
        return std::nullopt;
    }
    Opened opened;
    opened.connection = xcb_connect(nullptr, &opened.screenNumber);
    if (xcb_connection_has_error(opened.connection)) {
        xcb_disconnect(opened.connection);
        return std::nullopt;
    }
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(opened.connection, &xcb_input_id);
    if (extension && extension->present) {
        opened.xinputOpcode = extension->major_opcode;
        const XcbPointer<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(
                opened.connection, xcb_input_xi_query_version(opened.connection, 2, 2), nullptr));
        if (version && version->major_version >= 2) {
            return opened;
        }
    }
    xcb_disconnect(opened.connection);
    return std::nullopt;
}

xcb_window_t rootWindow(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0 && index < screenNumber; ++index) {
        xcb_screen_next(&screens);
    }
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool selectRawKeyEvents(xcb_connection_t *connection, xcb_window_t root)
{
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } selection = {
        {XCB_INPUT_DEVICE_ALL_MASTER, 1},
        XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE,
    };
    const XcbPointer<xcb_generic_error_t> error(xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.head)));
    return !error;
}

enum class EventKind { KeyPress, KeyRelease, ActiveWindowChange, KeyboardMappingChange, Other };

EventKind kindOf(const xcb_generic_event_t &event, std::uint8_t xinputOpcode,
                 xcb_atom_t activeWindowAtom)
{
    switch (event.response_type & ~0x80) {
    case XCB_GE_GENERIC: {
        const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
        if (generic.extension != xinputOpcode) {
            return EventKind::Other;
        }
        if (generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
            return EventKind::KeyPress;
        }
        if (generic.event_type == XCB_INPUT_RAW_KEY_RELEASE) {
            return EventKind::KeyRelease;
        }
        return EventKind::Other;
    }
    case XCB_PROPERTY_NOTIFY:
        return reinterpret_cast<const xcb_property_notify_event_t &>(event).atom == activeWindowAtom
                   ? EventKind::ActiveWindowChange
                   : EventKind::Other;
    case XCB_MAPPING_NOTIFY:
        return reinterpret_cast<const xcb_mapping_notify_event_t &>(event).request !=
                       XCB_MAPPING_POINTER
                   ? EventKind::KeyboardMappingChange
                   : EventKind::Other;
    default:
        // Errors of requests without replies, and events not asked for.
        return EventKind::Other;
    }
}

} // namespace

X11KeySource::X11KeySource(QObject *parent)
    : KeyEventSource(parent)
{
}

X11KeySource::~X11KeySource()
{
    disconnectFromServer();
}

bool X11KeySource::isAvailable()
{
    if (m_connection) {
        return true;
    }
    const std::optional<Opened> opened = openConnection();
    if (!opened) {
        return false;
    }
    xcb_disconnect(opened->connection);
    return true;
}

bool X11KeySource::start()
{
    if (m_connection) {
        return true;
    }
    const std::optional<Opened> opened = openConnection();
    if (!opened) {
        return false;
    }
    xcb_connection_t *connection = opened->connection;
    const xcb_window_t root = rootWindow(connection, opened->screenNumber);
    if (root == XCB_WINDOW_NONE || !selectRawKeyEvents(connection, root)) {
        xcb_disconnect(connection);
        return false;
    }
    // Property changes on the root window tell when another window becomes active.
    const std::uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);

    m_connection = connection;
    m_root = root;
    m_xinputOpcode = opened->xinputOpcode;
    m_activeWindowAtom = internAtom(connection, "_NET_ACTIVE_WINDOW");
    m_processIDAtom = internAtom(connection, "_NET_WM_PID");
    m_timeline.reset();
    loadModifierKeys();
    loadKeysDown();
    m_frontmostProcessID = frontmostProcessID();
    xcb_flush(connection);
    if (xcb_connection_has_error(connection)) {
        disconnectFromServer();
        return false;
    }

    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11KeySource::readEvents);
    // Events that arrived with the replies above already wait in the
    // connection's queue, where the notifier does not see them.
    QMetaObject::invokeMethod(this, &X11KeySource::readEvents, Qt::QueuedConnection);
    return true;
}

void X11KeySource::stop()
{
    disconnectFromServer();
}

bool X11KeySource::isRunning() const
{
    return m_connection != nullptr;
}

void X11KeySource::readEvents()
{
    if (!m_connection) {
        return;
    }
    // A receiver of the signals below may stop or restart the watch.
    const std::uint64_t generation = m_connectionGeneration;
    while (generation == m_connectionGeneration) {
        const XcbPointer<xcb_generic_event_t> event(xcb_poll_for_event(m_connection));
        if (!event) {
            break;
        }
        switch (kindOf(*event, m_xinputOpcode, m_activeWindowAtom)) {
        case EventKind::KeyPress:
            handleRawKey(reinterpret_cast<const xcb_input_raw_key_press_event_t &>(*event), true);
            break;
        case EventKind::KeyRelease:
            handleRawKey(reinterpret_cast<const xcb_input_raw_key_press_event_t &>(*event), false);
            break;
        case EventKind::ActiveWindowChange:
            updateFrontmostProcess();
            break;
        case EventKind::KeyboardMappingChange:
            loadModifierKeys();
            break;
        case EventKind::Other:
            break;
        }
    }
    if (generation == m_connectionGeneration && xcb_connection_has_error(m_connection)) {
        disconnectFromServer();
        Q_EMIT interrupted();
    }
}

void X11KeySource::handleRawKey(const xcb_input_raw_key_press_event_t &event, bool isPress)
{
    if (event.detail > 255) {
        return;
    }
    const auto keycode = static_cast<std::uint8_t>(event.detail);
    m_lastEventTime = event.time;
    const std::uint64_t timestampNs = m_timeline.nanoseconds(event.time);
    std::optional<KeyEvent> reduced =
        isPress ? m_keys.press(keycode, timestampNs) : m_keys.release(keycode, timestampNs);
    if (!reduced) {
        return;
    }
    // Qt keeps the application active after its focused window is destroyed
    // (no focus-out reaches a window that is gone), so a focus window is
    // required too.
    reduced->isAppActive = QGuiApplication::applicationState() == Qt::ApplicationActive &&
                           QGuiApplication::focusWindow() != nullptr;
    reduced->frontmostProcessID = m_frontmostProcessID;
    Q_EMIT keyEvent(*reduced);
}

void X11KeySource::loadModifierKeys()
{
    m_keys.clearModifierKeys();
    const XcbPointer<xcb_get_modifier_mapping_reply_t> reply(xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!reply) {
        return;
    }
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perRow = reply->keycodes_per_modifier;
    for (int row = 0; row < 8; ++row) {
        for (int index = 0; index < perRow; ++index) {
            const xcb_keycode_t keycode = keycodes[row * perRow + index];
            if (keycode != 0) {
                m_keys.addModifierKey(keycode, modifierRowFlags[row]);
            }
        }
    }
}

void X11KeySource::loadKeysDown()
{
    std::bitset<256> down;
    const XcbPointer<xcb_query_keymap_reply_t> reply(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
    if (reply) {
        for (std::size_t keycode = 0; keycode < down.size(); ++keycode) {
            down[keycode] = (reply->keys[keycode / 8] >> (keycode % 8)) & 1;
        }
    }
    m_keys.setKeysDown(down);
}

void X11KeySource::updateFrontmostProcess()
{
    const std::optional<std::int32_t> processID = frontmostProcessID();
    if (processID == m_frontmostProcessID) {
        return;
    }
    m_frontmostProcessID = processID;
    Q_EMIT activeApplicationChanged();
}

std::optional<std::int32_t> X11KeySource::frontmostProcessID() const
{
    const std::optional<std::uint32_t> window =
        cardinalProperty(m_root, m_activeWindowAtom, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> processID =
        cardinalProperty(*window, m_processIDAtom, XCB_ATOM_CARDINAL);
    if (!processID) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*processID);
}

std::optional<std::uint32_t>
X11KeySource::cardinalProperty(std::uint32_t window, std::uint32_t atom, std::uint32_t type) const
{
    if (atom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    // A window that is gone answers with an error, which arrives here, not
    // as an event.
    xcb_generic_error_t *error = nullptr;
    const XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom, type, 0, 1), &error));
    std::free(error);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
}

void X11KeySource::disconnectFromServer()
{
    if (!m_connection) {
        return;
    }
    if (m_notifier) {
        // The notifier may be the one whose signal is running now.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    xcb_disconnect(m_connection);
    m_connection = nullptr;
    ++m_connectionGeneration;
    m_frontmostProcessID.reset();
    m_keys.reset();
}

} // namespace Tolvan
