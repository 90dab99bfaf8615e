#include "servertimeline.h"

namespace Tolvan {

std::uint64_t ServerTimeline::nanoseconds(std::uint32_t serverTimeMs)
{
    if (m_hasLast) {
        // The signed distance modulo 2^32: across the wrap it is small and
        // positive, and an event reported slightly out of order steps back.
        m_totalMs += static_cast<std::int32_t>(serverTimeMs - m_lastMs);
    } else {
        m_totalMs = serverTimeMs;
        m_hasLast = true;
    }
    m_lastMs = serverTimeMs;
    return static_cast<std::uint64_t>(m_totalMs) * 1'000'000;
}

void ServerTimeline::reset()
{
    m_hasLast = false;
    m_lastMs = 0;
    m_totalMs = 0;
}

} // namespace Tolvan
