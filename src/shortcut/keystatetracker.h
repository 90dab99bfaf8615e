#pragma once

#include "keyevent.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

namespace Tolvan {

// Turns raw X key presses and releases into key events. Raw events carry no
// modifier state, so it follows which keys are down and derives the modifier
// flags from the modifier keys among them. Modifier keys themselves produce
// no key events: pressing Ctrl between two copies is no "other key". A press
// of a key already down is a repeat; a release of a key that is not down
// (some input tools release twice) is no event at all.
class KeyStateTracker {
public:
    // The evdev keycode of the key in the C position.
    static constexpr std::uint8_t cKeycode = 54;

    void clearModifierKeys();
    // `flag` is one of the KeyEvent modifier flags, or 0 for a modifier key
    // that plays no part (Caps Lock, Num Lock).
    void addModifierKey(std::uint8_t keycode, std::uint64_t flag);
    // Keys found down when the watch starts.
    void setKeysDown(const std::bitset<256> &keys);
    void reset();

    std::optional<KeyEvent> press(std::uint8_t keycode, std::uint64_t timestampNs);
    std::optional<KeyEvent> release(std::uint8_t keycode, std::uint64_t timestampNs);

private:
    static std::int64_t keyCode(std::uint8_t keycode);
    void updateModifierFlags();

    std::bitset<256> m_isModifier;
    std::array<std::uint64_t, 256> m_flagsByKeycode{};
    std::bitset<256> m_down;
    std::uint64_t m_modifierFlags = 0;
};

} // namespace Tolvan
