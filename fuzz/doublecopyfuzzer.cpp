// Arbitrary key sequences through the double-copy recogniser. Besides not
// crashing, it must never report a double copy unless the sequence holds one:
// two fresh qualifying presses of C in another application, at most half a
// second apart and in the same application, with no other key pressed since
// the first, reported on a release of C, and both presses after the previous
// double copy.
#include "doublecopyrecogniser.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Tolvan;

namespace {

constexpr std::uint64_t qualifyingMask = 0x1E0000;

bool qualifies(const KeyEvent &event)
{
    return event.type == KeyEvent::Type::KeyDown && event.keyCode == KeyEvent::cKeyCode &&
           !event.isAutorepeat && !event.isAppActive &&
           (event.modifierFlags & qualifyingMask) == KeyEvent::copyModifierFlag;
}

// Five bytes an event: what, which key, modifiers, time step, and where.
KeyEvent eventFrom(const std::uint8_t *bytes, std::uint64_t &now)
{
    static constexpr std::uint64_t flagBits[] = {KeyEvent::capsLockFlag, KeyEvent::shiftFlag,
                                                 KeyEvent::superFlag, KeyEvent::altFlag,
                                                 KeyEvent::copyModifierFlag};
    KeyEvent event;
    event.type = (bytes[0] & 1) ? KeyEvent::Type::KeyUp : KeyEvent::Type::KeyDown;
    event.isAutorepeat = (bytes[0] & 2) != 0;
    event.isAppActive = (bytes[0] & 4) != 0;
    event.keyCode = (bytes[1] & 3) == 0 ? bytes[1] >> 2 : KeyEvent::cKeyCode;
    for (int bit = 0; bit < 5; ++bit) {
        if (bytes[2] & (1 << bit)) {
            event.modifierFlags |= flagBits[bit];
        }
    }
    // Steps around the half-second edge come up often.
    const std::uint64_t step =
        bytes[3] < 16 ? 500'000'000 + (bytes[3] - 8) : bytes[3] * 4'000'000ULL;
    now += step;
    event.timestampNs = now;
    if (bytes[4] % 3 != 0) {
        event.frontmostProcessID = bytes[4] % 3;
    }
    return event;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    DoubleCopyRecogniser recogniser;
    std::vector<KeyEvent> events;
    std::size_t sinceLastDoubleCopy = 0;
    std::uint64_t now = 0;
    for (std::size_t offset = 0; offset + 5 <= size; offset += 5) {
        events.push_back(eventFrom(data + offset, now));
        const KeyEvent &event = events.back();
        if (recogniser.handleKeyEvent(event) != DoubleCopyRecogniser::Outcome::DoubleCopy) {
            continue;
        }
        if (event.type != KeyEvent::Type::KeyUp || event.keyCode != KeyEvent::cKeyCode) {
            std::abort();
        }
        // Look back for the two presses that make this a double copy.
        bool found = false;
        for (std::size_t second = events.size() - 1; second-- > sinceLastDoubleCopy && !found;) {
            if (!qualifies(events[second])) {
                continue;
            }
            for (std::size_t first = second; first-- > sinceLastDoubleCopy;) {
                const KeyEvent &a = events[first];
                const KeyEvent &b = events[second];
                // An attempt that began with no frontmost application is not
                // tied to one.
                const bool sameSource =
                    !a.frontmostProcessID || a.frontmostProcessID == b.frontmostProcessID;
                if (qualifies(a) && b.timestampNs - a.timestampNs <= 500'000'000 && sameSource) {
                    found = true;
                    for (std::size_t i = first + 1; i < events.size(); ++i) {
                        if (events[i].type == KeyEvent::Type::KeyDown && !events[i].isAutorepeat &&
                            events[i].keyCode != KeyEvent::cKeyCode) {
                            found = false;
                        }
                    }
                    if (found) {
                        break;
                    }
                }
            }
        }
        if (!found) {
            std::abort();
        }
        sinceLastDoubleCopy = events.size();
    }
    return 0;
}
