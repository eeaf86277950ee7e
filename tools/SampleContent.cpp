#include "SampleContent.h"

#include <QDate>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <numbers>

namespace SampleContent {

std::uint64_t Rng::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void Timestamp::advance(std::int64_t seconds)
{
    std::int64_t inDay = hour * 3600LL + minute * 60LL + second + seconds;
    std::int64_t days = inDay / 86400;
    inDay %= 86400;
    if (inDay < 0) {
        inDay += 86400;
        --days;
    }
    hour = static_cast<int>(inDay / 3600);
    minute = static_cast<int>(inDay / 60 % 60);
    second = static_cast<int>(inDay % 60);
    if (days != 0) {
        const QDate date = QDate(year, month, day).addDays(days);
        year = date.year();
        month = date.month();
        day = date.day();
    }
}

std::string Timestamp::dateText() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string Timestamp::timeText() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    return text;
}

std::string Timestamp::dateTimeText() const
{
    return dateText() + ' ' + timeText();
}

namespace {

std::uint32_t floatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void putPair(PlantSignals::Words &words, std::size_t low, std::uint32_t value)
{
    words[low] = static_cast<std::uint16_t>(value & 0xFFFFu);
    words[low + 1] = static_cast<std::uint16_t>(value >> 16);
}

} // namespace

PlantSignals::PlantSignals(std::uint64_t seed)
    : m_rng(seed)
    , m_phase(m_rng.unit() * 2.0 * std::numbers::pi)
{ }

PlantSignals::Words PlantSignals::next()
{
    constexpr double Tau = 2.0 * std::numbers::pi;
    const double t = static_cast<double>(m_index);
    Words words {};

    // Words 0 to 4 fill most of the curve window's default full scales of
    // 50000, 40000, 30000, 20000 and 10000.
    const double temperature
        = 25000.0 + 20000.0 * std::sin(Tau * t / 150.0 + m_phase) + 300.0 * m_rng.signedUnit();
    words[0] = static_cast<std::uint16_t>(std::lround(temperature));

    const std::uint64_t second = (m_index + static_cast<std::uint64_t>(m_phase * 100)) % 80;
    words[1] = static_cast<std::uint16_t>(second * 450);

    m_level += 0.02 * (18000.0 - m_level) + 150.0 * m_rng.signedUnit();
    words[2] = static_cast<std::uint16_t>(std::lround(m_level + 2500.0 * m_rng.signedUnit()));

    // The valve moves to another of its five steps every few records, and the
    // pump runs and stops for stretches of 3 to 7: a buffer of ten records
    // already shows both move.
    if (m_index % ValveRecords == 0) {
        const std::uint32_t step = (std::uint32_t(m_valve / 4500) + 1 + m_rng.below(4)) % 5;
        m_valve = static_cast<std::uint16_t>(step * 4500);
    }
    words[3] = m_valve;

    if (m_pumpLeft == 0) {
        m_pump = !m_pump;
        m_pumpLeft = 3 + static_cast<int>(m_rng.below(5));
    }
    --m_pumpLeft;
    words[4] = m_pump ? 8000 : 0;

    const long current
        = std::lround(1500.0 * std::sin(Tau * t / 450.0 - m_phase) + 40.0 * m_rng.signedUnit());
    words[5] = static_cast<std::uint16_t>(static_cast<std::int16_t>(current));

    putPair(words, 6, static_cast<std::uint32_t>(70000 + m_index * 17 + m_rng.below(17)));

    const float flow = static_cast<float>(12.5 * std::sin(Tau * t / 1200.0 - m_phase) - 2.0
                                          + 0.05 * m_rng.signedUnit());
    putPair(words, 8, floatBits(flow));

    ++m_index;
    return words;
}

namespace {

// Texts of exactly 50 code units fill the record's text field with no
// terminating zero.
constexpr char16_t FullEnglish[] = u"Conveyor 3 drive overload: check motor and breaker";
constexpr char16_t FullChinese[] = u"一号输送线主驱动电机过载保护已动作请检查电机绕组温度及断路器状"
                                   u"态确认安全后按复位键重新启动设备谢谢。";
static_assert(std::size(FullEnglish) - 1 == LogFileFormat::AlarmTextUnits);
static_assert(std::size(FullChinese) - 1 == LogFileFormat::AlarmTextUnits);

const Alarm Catalogue[] = {
    {1, u"急停按钮被按下"},
    {2, u"Emergency stop pressed"},
    {7, u"主电机过载"},
    {12, u"Hydraulic oil temperature high"},
    {23, u"气源压力低"},
    {31, u"Door 2 open during operation"},
    {45, u"变频器故障 E.OC3"},
    {64, u"Lubrication level low"},
    {100, u"冷却水流量不足"},
    {128, u"PLC communication timeout"},
    {200, FullEnglish},
    {201, FullChinese},
    // U+20BB7 needs a surrogate pair in UTF-16.
    {255, u"\U00020BB7野家冷库温度过高"},
    {0, u"系统启动 / System start"},
};

} // namespace

AlarmHistory::AlarmHistory(std::uint64_t seed)
    : m_rng(seed)
    , m_offset(m_rng.below(static_cast<std::uint32_t>(std::size(Catalogue))))
{ }

std::size_t AlarmHistory::catalogueSize()
{
    return std::size(Catalogue);
}

const Alarm &AlarmHistory::next()
{
    // 5 is prime to the catalogue's size, so a window of catalogueSize()
    // alarms holds each entry once.
    const std::size_t n = std::size(Catalogue);
    static_assert(std::size(Catalogue) % 5 != 0);
    const Alarm &alarm = Catalogue[(m_offset + m_index * 5) % n];
    if (m_index > 0)
        m_time.advance(1 + m_rng.below(600));
    else
        m_time.advance(m_rng.below(300));
    ++m_index;
    return alarm;
}

std::string toUtf8(const std::u16string &text)
{
    return QString::fromStdU16String(text).toStdString();
}

} // namespace SampleContent
