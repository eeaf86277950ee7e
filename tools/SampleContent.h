#pragma once

#include "records/LogFileFormat.h"

#include <array>
#include <cstdint>
#include <string>

// Seeded, reproducible content for sample log files: the same seed gives the
// same bytes on every machine (no std:: distributions, whose results differ
// between standard libraries).
namespace SampleContent {

// SplitMix64: tiny, fast and fully specified.
class Rng
{
public:
    explicit Rng(std::uint64_t seed)
        : m_state(seed)
    { }
    std::uint64_t next();
    // 0 .. n-1; n > 0.
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    // [0, 1)
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // [-1, 1)
    double signedUnit() { return unit() * 2.0 - 1.0; }

private:
    std::uint64_t m_state;
};

// A wall-clock time of the panel, advanced in whole seconds.
struct Timestamp
{
    int year = 2013;
    int month = 5;
    int day = 7;
    int hour = 8;
    int minute = 0;
    int second = 0;

    void advance(std::int64_t seconds);
    std::string dateText() const; // 2013-05-07
    std::string timeText() const; // 08:04:59
    std::string dateTimeText() const; // 2013-05-07 08:04:59
};

// Ten raw words per record, shaped like the signals a panel logs; words 0
// to 4 fill the curve window's default full scales (50000 ... 10000):
//   0 temperature (slow wave of 150 records, 5000 .. 45000)
//   1 batch progress (ramp of 80 records, 0 .. 35550)
//   2 tank level (noisy level about 18000)
//   3 valve position (steps of 4500 up to 18000, a move every 5 records)
//   4 pump running (on/off, 8000 or 0, for 3 to 7 records)
//   5 current deviation (signed 16-bit)
//   6,7 totaliser (32-bit integer, low word first)
//   8,9 flow in m3/h (float, swings negative)
class PlantSignals
{
public:
    using Words = std::array<std::uint16_t, LogFileFormat::ValueWords>;

    explicit PlantSignals(std::uint64_t seed);
    // Words of record number index (0-based); call with index 0, 1, 2, ...
    Words next();

private:
    Rng m_rng;
    double m_phase;
    std::uint64_t m_index = 0;
    static constexpr std::uint64_t ValveRecords = 5;
    std::uint16_t m_valve = 9000;
    double m_level = 18000.0;
    bool m_pump = false;
    int m_pumpLeft = 0;
};

// One entry of the panel's alarm list.
struct Alarm
{
    std::uint8_t number;
    std::u16string text; // at most 50 code units
};

// Seeded alarm history: every alarm of the catalogue turns up in any history
// at least as long as the catalogue; times advance irregularly.
class AlarmHistory
{
public:
    explicit AlarmHistory(std::uint64_t seed);
    const Alarm &next(); // the alarm that follows; time() is its time
    const Timestamp &time() const { return m_time; }

    static std::size_t catalogueSize();

private:
    Rng m_rng;
    std::size_t m_offset;
    std::size_t m_index = 0;
    Timestamp m_time;
};

std::string toUtf8(const std::u16string &text);

} // namespace SampleContent
