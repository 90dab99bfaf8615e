#pragma once

#include "windowraiser.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace Tolvan {

// Brings a window forward so that the window manager really gives it the
// focus. Focus-stealing prevention refuses a window that merely asks; on X11
// the window carries the time of the user's action as its user time and the
// app asks for activation with that time; on Wayland the desktop's
// activation token stands in for the time.
class X11WindowActivator : public WindowRaiser {
public:
    // `latestKeyTime` answers the X server time of the latest key event of
    // the session (0 when unknown).
    explicit X11WindowActivator(std::function<std::uint32_t()> latestKeyTime);

    // The token that came with a request from a process the desktop started.
    void setActivationToken(const QString &token);
    void bringForward(QWindow &window) override;

    // The time a startup-notification id carries after its "_TIME" (0 when none).
    static std::uint32_t timeOfStartupID(const QString &startupID);

private:
    void activateOnX11(QWindow &window, std::uint32_t time);

    std::function<std::uint32_t()> m_latestKeyTime;
    QString m_activationToken;
};

} // namespace Tolvan
