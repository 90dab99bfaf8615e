#include "keystatetracker.h"

namespace Tolvan {

namespace {

// Other keys never read as the C position.
constexpr std::int64_t otherKeyOffset = 0x100;

} // namespace

void KeyStateTracker::clearModifierKeys()
{
    m_isModifier.reset();
    m_flagsByKeycode.fill(0);
    updateModifierFlags();
}

void KeyStateTracker::addModifierKey(std::uint8_t keycode, std::uint64_t flag)
{
    m_isModifier.set(keycode);
    m_flagsByKeycode[keycode] |= flag;
    updateModifierFlags();
}

void KeyStateTracker::setKeysDown(const std::bitset<256> &keys)
{
    m_down = keys;
    updateModifierFlags();
}

void KeyStateTracker::reset()
{
    m_down.reset();
    m_modifierFlags = 0;
}

std::optional<KeyEvent> KeyStateTracker::press(std::uint8_t keycode, std::uint64_t timestampNs)
{
    const bool isRepeat = m_down.test(keycode);
    m_down.set(keycode);
    if (m_isModifier.test(keycode)) {
        updateModifierFlags();
        return std::nullopt;
    }
    return KeyEvent{
        .type = KeyEvent::Type::KeyDown,
        .keyCode = keyCode(keycode),
        .isAutorepeat = isRepeat,
        .modifierFlags = m_modifierFlags,
        .timestampNs = timestampNs,
    };
}

std::optional<KeyEvent> KeyStateTracker::release(std::uint8_t keycode, std::uint64_t timestampNs)
{
    if (!m_down.test(keycode)) {
        return std::nullopt;
    }
    m_down.reset(keycode);
    if (m_isModifier.test(keycode)) {
        updateModifierFlags();
        return std::nullopt;
    }
    return KeyEvent{
        .type = KeyEvent::Type::KeyUp,
        .keyCode = keyCode(keycode),
        .modifierFlags = m_modifierFlags,
        .timestampNs = timestampNs,
    };
}

std::int64_t KeyStateTracker::keyCode(std::uint8_t keycode)
{
    return keycode == cKeycode ? KeyEvent::cKeyCode : otherKeyOffset + keycode;
}

void KeyStateTracker::updateModifierFlags()
{
    const std::bitset<256> heldModifiers = m_down & m_isModifier;
    m_modifierFlags = 0;
    for (std::size_t keycode = 0; keycode < heldModifiers.size(); ++keycode) {
        if (heldModifiers.test(keycode)) {
            m_modifierFlags |= m_flagsByKeycode[keycode];
        }
    }
}

} // namespace Tolvan
