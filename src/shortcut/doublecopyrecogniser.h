#pragma once

#include "keyevent.h"

#include <cstdint>
#include <optional>

namespace Tolvan {

// The press state machine of the double copy: the copy shortcut pressed twice
// within half a second in another application, recognised on the release of
// the second C. Plain C++, fed with one record per key event; it decides on
// every key of the session, so it only compares a few fields.
class DoubleCopyRecogniser {
public:
    enum class Outcome {
        None,
        // A qualifying press that starts a new attempt.
        FirstPress,
        // The second C of an attempt was released: a double copy.
        DoubleCopy,
    };

    static constexpr std::uint64_t windowNs = 500'000'000;

    Outcome handleKeyEvent(const KeyEvent &event);
    void resetPressState();

private:
    // Kept in integer nanoseconds so that exactly half a second compares exactly.
    std::optional<std::uint64_t> m_firstPressNs;
    std::optional<std::int32_t> m_sourcePID;
    bool m_cIsDown = false;
    bool m_awaitingRelease = false;
};

} // namespace Tolvan
