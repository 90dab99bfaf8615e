#pragma once

class QWindow;

namespace Tolvan {

// Brings the application and one of its windows to the front. The desktop
// app provides it; tests record the calls.
class WindowRaiser {
public:
    virtual ~WindowRaiser() = default;

    // Restores `window` when it is minimised, shows, raises and activates it.
    virtual void bringForward(QWindow &window) = 0;
};

} // namespace Tolvan
