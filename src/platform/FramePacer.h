#pragma once

#include <chrono>
#include <functional>
#include <optional>

// Says when a picture is due while a long run updates a view: a screen shows
// at most one picture per refresh, so painting more often only costs time.
class FramePacer
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // About 60 pictures a second by the steady clock, unless told otherwise.
    explicit FramePacer(std::chrono::nanoseconds interval
                        = std::chrono::nanoseconds(1'000'000'000 / 60),
                        Clock clock = &std::chrono::steady_clock::now);

    // True for the first call and whenever a whole interval has passed since
    // the last call that returned true, and the time a slow picture asks for.
    bool frameDue();
    // Tells that the picture asked for by frameDue() is drawn. A picture that
    // took long puts the next one off by three times as long, so that
    // drawing never takes more than a quarter of a long run.
    void frameDrawn();

private:
    std::chrono::nanoseconds m_interval;
    Clock m_clock;
    std::optional<std::chrono::steady_clock::time_point> m_last;
    std::chrono::steady_clock::time_point m_next {};
};
