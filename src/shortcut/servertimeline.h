#pragma once

#include <cstdint>

namespace Tolvan {

// The X server's event time is a 32-bit millisecond counter that wraps after
// about 49.7 days. This carries it on into 64-bit nanoseconds, so that two
// presses across the wrap are still 0.2 s apart, not 49 days.
class ServerTimeline {
public:
    std::uint64_t nanoseconds(std::uint32_t serverTimeMs);
    void reset();

private:
    bool m_hasLast = false;
    std::uint32_t m_lastMs = 0;
    std::int64_t m_totalMs = 0;
};

} // namespace Tolvan
