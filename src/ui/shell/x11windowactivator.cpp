#include "x11windowactivator.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>

namespace Tolvan {

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, std::uint16_t(strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

} // namespace

X11WindowActivator::X11WindowActivator(std::function<std::uint32_t()> latestKeyTime)
    : m_latestKeyTime(std::move(latestKeyTime))
{
}

void X11WindowActivator::setActivationToken(const QString &token)
{
    m_activationToken = token;
}

std::uint32_t X11WindowActivator::timeOfStartupID(const QString &startupID)
{
    const qsizetype at = startupID.lastIndexOf(QLatin1String("_TIME"));
    if (at < 0) {
        return 0;
    }
    bool ok = false;
    const qulonglong time = startupID.mid(at + 5).toULongLong(&ok);
    return ok && time <= 0xffffffffULL ? std::uint32_t(time) : 0;
}

void X11WindowActivator::bringForward(QWindow &window)
{
    const QString token = std::exchange(m_activationToken, QString());
    const bool isX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!isX11 && !token.isEmpty()) {
        // Qt's Wayland backend activates with the token in the environment.
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    }
    if (window.windowStates() & Qt::WindowMinimized) {
        window.showNormal();
    } else {
        window.show();
    }
    window.raise();
    const std::uint32_t time =
        std::max(m_latestKeyTime ? m_latestKeyTime() : 0, timeOfStartupID(token));
    if (isX11 && time != 0) {
        // After show(), which stamps the window with the older time Qt knows;
        // Qt's own activation request would carry that older time too.
        activateOnX11(window, time);
        return;
    }
    window.requestActivate();
}

void X11WindowActivator::activateOnX11(QWindow &window, std::uint32_t time)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return;
    }
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t userTime = internAtom(connection, "_NET_WM_USER_TIME");
    const xcb_atom_t activeWindow = internAtom(connection, "_NET_ACTIVE_WINDOW");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, userTime, XCB_ATOM_CARDINAL, 32, 1,
                        &time);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = activeWindow;
    // Source 1: a normal application, asking with the time of the user's action.
    message.data.data32[0] = 1;
    message.data.data32[1] = time;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

} // namespace Tolvan
