#pragma once

#include "keyevent.h"

#include <QObject>

namespace Tolvan {

// A listen-only watch on the keyboard of the whole session. It never changes
// or holds back the events it reports.
class KeyEventSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether such a watch can run in this session at all.
    virtual bool isAvailable() = 0;
    // Starts watching; false when the watch could not start. A running watch
    // is left as it is.
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

Q_SIGNALS:
    void keyEvent(const Tolvan::KeyEvent &event);
    // The frontmost application is now another process.
    void activeApplicationChanged();
    // The watch ended by itself; start() tries again.
    void interrupted();
};

} // namespace Tolvan
