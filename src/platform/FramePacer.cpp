#include "platform/FramePacer.h"

#include <algorithm>

FramePacer::FramePacer(std::chrono::nanoseconds interval, Clock clock)
    : m_interval(interval)
    , m_clock(std::move(clock))
{ }

bool FramePacer::frameDue()
{
    const auto now = m_clock();
    if (m_last && now < m_next)
        return false;
    m_last = now;
    m_next = now + m_interval;
    return true;
}

void FramePacer::frameDrawn()
{
    if (!m_last)
        return;
    const auto now = m_clock();
    m_next = std::max(m_next, now + 3 * (now - *m_last));
}
