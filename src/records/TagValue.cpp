#include "records/TagValue.h"

#include "records/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using DecimalText::Int128;
using DecimalText::pow10;

constexpr std::uint32_t ExponentMask = 0x7F800000u;

float floatOf(std::uint32_t bits) noexcept
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace

TagFormatter::TagFormatter(const Tag &tag, ValueFormat::DecimalSeparator separator)
    : m_tag(tag)
    , m_separator(separator)
{
    m_plain = tag.gainText.isEmpty() && tag.offsetText.isEmpty();
    if (!m_plain && tag.gain == 1 && tag.offset == 0)
        m_plain = true;
    const bool integerType
        = tag.type == TagType::U16 || tag.type == TagType::S16 || tag.type == TagType::S32;
    if (integerType && !m_plain && tag.exactGain && tag.exactOffset) {
        m_exact = true;
        m_exactScale = std::max(tag.exactGain->scale, tag.exactOffset->scale);
        m_exactGain = Int128(tag.exactGain->mantissa) * pow10(m_exactScale - tag.exactGain->scale);
        m_exactOffset
            = Int128(tag.exactOffset->mantissa) * pow10(m_exactScale - tag.exactOffset->scale);
    }
    const int needed = m_plain
        ? 0
        : std::max(tag.gainText.isEmpty() ? 0 : tagNumberDecimals(tag.gainText),
                   tag.offsetText.isEmpty() ? 0 : tagNumberDecimals(tag.offsetText));
    switch (tag.type) {
    case TagType::U16:
    case TagType::S16:
    case TagType::S32:
        m_shownDecimals = tag.decimals >= 0 ? tag.decimals : needed;
        break;
    case TagType::F32:
        m_shownDecimals = tag.decimals >= 0 ? tag.decimals : (m_plain ? -1 : std::max(6, needed));
        break;
    default:
        m_shownDecimals = -1;
        break;
    }
    if (tag.type == TagType::Bits) {
        for (int b = 0; b < 16; ++b)
            m_bitNames[b] = QByteArrayLiteral("bit ") + QByteArray::number(b);
        for (const TagText &t : tag.texts)
            m_bitNames[t.value] = t.text.toUtf8();
    }
}

QString TagFormatter::title() const
{
    if (m_tag.unit.isEmpty())
        return m_tag.name;
    return m_tag.name + QStringLiteral(" [") + m_tag.unit + u']';
}

bool TagFormatter::holdsNumbers() const noexcept
{
    return isScaledTag(m_tag.type);
}

std::uint32_t TagFormatter::rawFromWords(const Words &words) const noexcept
{
    const int w = std::clamp(m_tag.word, 0, 9);
    if (isWideTag(m_tag.type) && w < 9)
        return std::uint32_t(words[w]) | (std::uint32_t(words[w + 1]) << 16);
    return words[w];
}

bool TagFormatter::rawFromStored(const std::array<QByteArrayView, 10> &stored,
                                 std::uint32_t &raw) const noexcept
{
    const int w = std::clamp(m_tag.word, 0, 9);
    if (isWideTag(m_tag.type) && w < 9)
        return ValueFormat::storedPairValue(stored[w], stored[w + 1], raw);
    std::int32_t value = 0;
    if (!ValueFormat::parseInt32(stored[w], value))
        return false;
    raw = std::uint32_t(value) & 0xFFFFu;
    return true;
}

std::int64_t TagFormatter::integerOf(std::uint32_t raw) const noexcept
{
    switch (m_tag.type) {
    case TagType::S16:
        return std::int16_t(std::uint16_t(raw));
    case TagType::S32:
        return std::int32_t(raw);
    case TagType::U16:
    case TagType::Enum:
    case TagType::Bits:
        return std::uint16_t(raw);
    default:
        return raw;
    }
}

void TagFormatter::writeFixed(double value, int decimals, QByteArray &out) const
{
    DecimalText::appendFixed(value, decimals, m_separator.view(), out);
}

std::optional<double> TagFormatter::write(std::uint32_t raw, QByteArray &out) const
{
    out.resize(0);
    switch (m_tag.type) {
    case TagType::Hex32: {
        const ValueFormat::Text t = ValueFormat::hexText(raw);
        out.append(t.data, t.size);
        return std::nullopt;
    }
    case TagType::Enum: {
        const int value = int(std::uint16_t(raw));
        const auto it = std::lower_bound(m_tag.texts.cbegin(), m_tag.texts.cend(), value,
                                         [](const TagText &t, int v) { return t.value < v; });
        if (it != m_tag.texts.cend() && it->value == value)
            out.append(it->text.toUtf8());
        else
            out.append(QByteArray::number(value));
        return std::nullopt;
    }
    case TagType::Bits: {
        for (int b = 0; b < 16; ++b) {
            if (!(raw & (1u << b)))
                continue;
            if (!out.isEmpty())
                out.append(", ");
            out.append(m_bitNames[b]);
        }
        return std::nullopt;
    }
    case TagType::F32: {
        const bool nonFinite = (raw & ExponentMask) == ExponentMask;
        if (m_plain && m_tag.decimals < 0 && !nonFinite) {
            const ValueFormat::Text t = ValueFormat::floatText(raw, m_separator);
            out.append(t.data, t.size);
            return double(floatOf(raw));
        }
        const double value = double(floatOf(raw)) * m_tag.gain + m_tag.offset;
        if (std::isnan(value)) {
            out.append("NAN");
            return std::nullopt;
        }
        if (std::isinf(value)) {
            out.append(value < 0 ? "-INF" : "INF");
            return std::nullopt;
        }
        writeFixed(value, m_shownDecimals, out);
        return value;
    }
    case TagType::U16:
    case TagType::S16:
    case TagType::S32:
        break;
    }
    const std::int64_t integer = integerOf(raw);
    if (m_plain) {
        DecimalText::appendScaled(integer, 0, m_shownDecimals, m_separator.view(), out);
        return double(integer);
    }
    if (m_exact) {
        const Int128 mantissa = Int128(integer) * m_exactGain + m_exactOffset;
        DecimalText::appendScaled(mantissa, m_exactScale, m_shownDecimals, m_separator.view(), out);
        return double(mantissa) / std::pow(10.0, m_exactScale);
    }
    const double value = double(integer) * m_tag.gain + m_tag.offset;
    if (!std::isfinite(value)) {
        out.append(value < 0 ? "-INF" : "INF");
        return std::nullopt;
    }
    writeFixed(value, m_shownDecimals, out);
    return value;
}

std::optional<DecimalText::ShownDecimal>
TagFormatter::shownDecimal(std::uint32_t raw) const noexcept
{
    if (m_tag.type != TagType::U16 && m_tag.type != TagType::S16 && m_tag.type != TagType::S32)
        return std::nullopt;
    Int128 mantissa = integerOf(raw);
    int scale = 0;
    if (!m_plain) {
        if (!m_exact)
            return std::nullopt;
        mantissa = mantissa * m_exactGain + m_exactOffset;
        scale = m_exactScale;
    }
    // As appendScaled rounds: half away from zero; in 64 bits where the
    // numbers fit, as 128-bit division is slow.
    if (m_shownDecimals < scale) {
        const bool negative = mantissa < 0;
        Int128 magnitude = negative ? -mantissa : mantissa;
        const int drop = scale - m_shownDecimals;
        if (magnitude < (Int128(1) << 62) && drop <= 18) {
            static constexpr std::uint64_t Powers[] = {1ULL,
                                                       10ULL,
                                                       100ULL,
                                                       1000ULL,
                                                       10000ULL,
                                                       100000ULL,
                                                       1000000ULL,
                                                       10000000ULL,
                                                       100000000ULL,
                                                       1000000000ULL,
                                                       10000000000ULL,
                                                       100000000000ULL,
                                                       1000000000000ULL,
                                                       10000000000000ULL,
                                                       100000000000000ULL,
                                                       1000000000000000ULL,
                                                       10000000000000000ULL,
                                                       100000000000000000ULL,
                                                       1000000000000000000ULL};
            const auto m = std::uint64_t(magnitude);
            const std::uint64_t divisor = Powers[drop];
            const std::uint64_t rest = m % divisor;
            magnitude = Int128(m / divisor + (rest >= divisor - rest ? 1 : 0));
        } else {
            const Int128 divisor = DecimalText::pow10(drop);
            const Int128 rest = magnitude % divisor;
            magnitude = magnitude / divisor + (rest * 2 >= divisor ? 1 : 0);
        }
        mantissa = negative ? -magnitude : magnitude;
    } else {
        mantissa *= DecimalText::pow10(m_shownDecimals - scale);
    }
    return DecimalText::ShownDecimal {mantissa, m_shownDecimals};
}

QString TagFormatter::text(std::uint32_t raw) const
{
    QByteArray out;
    write(raw, out);
    return QString::fromUtf8(out);
}

std::optional<double> TagFormatter::number(std::uint32_t raw) const
{
    QByteArray scratch;
    scratch.reserve(64);
    return write(raw, scratch);
}
