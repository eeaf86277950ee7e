#pragma once

// The scroll positions of a print run: the run starts at the screen page that
// holds the start ID and prints one screen per page, moving one screen on
// after each.
class PageWalk
{
public:
    // A run of `pages` screens of `pointsPerScreen` rows each over a scroll
    // bar running from 0 to scrollMax. With no points per screen there is
    // nothing to print.
    PageWalk(int start, int firstDataId, int pointsPerScreen, int pages, int scrollMax);

    // Jobs to print: 0 when there are no points per screen.
    int pages() const { return m_pages; }
    // Scroll position of the first page.
    int firstPosition() const;
    // Scroll position the run moves to after printing page n (from 0): one
    // screen on, brought down to the scroll maximum.
    int positionAfter(int n) const;

private:
    int clamped(long long position) const;

    int m_points = 0;
    int m_pages = 0;
    int m_firstIndex = 0;
    int m_scrollMax = 0;
};
