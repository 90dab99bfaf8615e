#pragma once

#include <cstdint>
#include <optional>

namespace Tolvan {

// One key press or release of the whole session, reduced to what the
// double-copy recogniser reads. Key codes and modifier bits follow one fixed
// convention, whatever keyboard source produced the event.
struct KeyEvent {
    enum class Type : std::uint32_t { KeyDown = 10, KeyUp = 11 };

    // The key in the C position, whatever the layout prints on it.
    static constexpr std::int64_t cKeyCode = 8;

    static constexpr std::uint64_t capsLockFlag = 0x10000;
    static constexpr std::uint64_t shiftFlag = 0x20000;
    static constexpr std::uint64_t superFlag = 0x40000;
    static constexpr std::uint64_t altFlag = 0x80000;
    // The copy modifier: Control on Linux.
    static constexpr std::uint64_t copyModifierFlag = 0x100000;

    Type type = Type::KeyDown;
    std::int64_t keyCode = 0;
    bool isAutorepeat = false;
    std::uint64_t modifierFlags = 0;
    std::uint64_t timestampNs = 0;
    // Facts of the moment the event arrived.
    bool isAppActive = false;
    std::optional<std::int32_t> frontmostProcessID;
};

} // namespace Tolvan
