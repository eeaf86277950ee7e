#include "curves/PageWalk.h"

#include <algorithm>

PageWalk::PageWalk(int start, int firstDataId, int pointsPerScreen, int pages, int scrollMax)
    : m_points(std::max(pointsPerScreen, 0))
    , m_pages(pointsPerScreen > 0 ? std::max(pages, 0) : 0)
    , m_scrollMax(std::max(scrollMax, 0))
{
    if (m_points > 0) {
        // Integer division truncates towards zero, also for a start typed
        // below the first ID.
        const long long index = (static_cast<long long>(start) - firstDataId) / m_points;
        m_firstIndex
            = static_cast<int>(std::clamp<long long>(index, 0, m_scrollMax / m_points + 1));
    }
}

int PageWalk::clamped(long long position) const
{
    return static_cast<int>(std::clamp<long long>(position, 0, m_scrollMax));
}

int PageWalk::firstPosition() const
{
    return clamped(static_cast<long long>(m_firstIndex) * m_points);
}

int PageWalk::positionAfter(int n) const
{
    return clamped(static_cast<long long>(m_points)
                   * (static_cast<long long>(m_firstIndex) + n + 1));
}
