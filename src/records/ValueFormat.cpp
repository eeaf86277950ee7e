#include "records/ValueFormat.h"

#include "dataaccess/TextWriter.h"
#include "records/UInt128.h"

#include <QLocale>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace ValueFormat {

namespace {

using u128 = Wide::UInt128;

// Runs write(TextWriter &) into a fresh Text.
template<typename Write> Text textOf(Write write) noexcept
{
    Text t;
    TextWriter w(t.data, Text::Capacity);
    write(w);
    t.size = int(w.length());
    return t;
}

Text literal(QByteArrayView bytes) noexcept
{
    return textOf([&](TextWriter &w) { w.put(bytes); });
}

// 10^0 .. 10^38; 10^38 < 2^128 < 10^39, so every 128-bit integer has at most 39 digits.
constexpr int MaxPow10 = 38;
constexpr auto Pow10 = [] {
    struct Table
    {
        u128 v[MaxPow10 + 1];
    } t {};
    u128 p = 1;
    for (int i = 0; i <= MaxPow10; ++i) {
        t.v[i] = p;
        p *= 10;
    }
    return t;
}();

// Number of decimal digits; 0 for 0.
int digitCount(u128 value) noexcept
{
    int n = 0;
    while (n <= MaxPow10 && value >= Pow10.v[n])
        ++n;
    return n;
}

constexpr std::uint32_t ExponentMask = 0x7F800000u;
constexpr std::uint32_t FractionMask = 0x007FFFFFu;
constexpr std::uint32_t QuietBit = 0x00400000u;

constexpr int MaxSignificant = 7;
constexpr int MaxDecimals = 6;

} // namespace

DecimalSeparator::DecimalSeparator(QStringView separator)
    : m_data {}
    , m_size(0)
{
    const QByteArray utf8 = separator.toUtf8();
    int n = int(qMin<qsizetype>(utf8.size(), MaxBytes));
    // Never cut a multi-byte character in half.
    while (n > 0 && n < utf8.size() && (uchar(utf8[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(m_data, utf8.constData(), std::size_t(n));
    m_size = n;
    if (m_size == 0) {
        m_data[0] = '.';
        m_size = 1;
    }
}

DecimalSeparator DecimalSeparator::system()
{
    return DecimalSeparator(QLocale::system().decimalPoint());
}

Text decimal(std::int64_t value) noexcept
{
    return textOf([&](TextWriter &w) { w.putSigned(value); });
}

Text twoDigit(std::uint8_t value) noexcept
{
    return textOf([&](TextWriter &w) { w.putTwoDigit(value); });
}

Text recordDate(std::uint16_t year, std::uint8_t month, std::uint8_t day) noexcept
{
    return textOf([&](TextWriter &w) {
        w.putUnsigned(year);
        w.put('-');
        w.putTwoDigit(month);
        w.put('-');
        w.putTwoDigit(day);
    });
}

Text recordTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second) noexcept
{
    return textOf([&](TextWriter &w) {
        w.putTwoDigit(hour);
        w.put(':');
        w.putTwoDigit(minute);
        w.put(':');
        w.putTwoDigit(second);
    });
}

Text alarmTime(std::uint16_t year, std::uint8_t month, std::uint8_t day, std::uint8_t hour,
               std::uint8_t minute, std::uint8_t second) noexcept
{
    return textOf([&](TextWriter &w) {
        w.putUnsigned(year);
        w.put('-');
        w.putTwoDigit(month);
        w.put('-');
        w.putTwoDigit(day);
        w.put('/');
        w.putTwoDigit(hour);
        w.put(':');
        w.putTwoDigit(minute);
        w.put(':');
        w.putTwoDigit(second);
    });
}

Text wordText(Format format, std::uint16_t word) noexcept
{
    if (format == Format::Signed16)
        return decimal(std::int16_t(word));
    return decimal(word);
}

Text hexText(std::uint32_t bits) noexcept
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    return textOf([&](TextWriter &w) {
        for (int shift = 28; shift >= 0; shift -= 4)
            w.put(Digits[(bits >> shift) & 0xF]);
    });
}

namespace {

// A finite float's magnitude rounded to at most 7 significant digits and at
// most 6 decimals: digits * 10^unit, the digits least significant first.
struct RoundedFloat
{
    char digits[20];
    int count = 0; // 0 when the magnitude rounds to zero
    int unit = 0;

    // Digits before the decimal point.
    int integerDigits() const noexcept { return count + unit; }
};

// Rounds |x| half away from zero at 10^unit: the 7th significant digit, or
// the 6th decimal when that comes first.
RoundedFloat roundMagnitude(std::uint32_t bits) noexcept
{
    // |x| = m * 2^exp exactly, m < 2^24.
    const std::uint32_t fraction = bits & FractionMask;
    const int biased = int((bits & ExponentMask) >> 23);
    const std::uint64_t m = biased == 0 ? fraction : (fraction | 0x00800000u);
    const int exp = biased == 0 ? -149 : biased - 150;

    // The largest float is below 2^128, so its integer part fits in 128 bits.
    const u128 integerPart = exp >= 0 ? (u128(m) << exp) : (exp > -24 ? u128(m >> -exp) : u128(0));
    const int intDigits = digitCount(integerPart);

    RoundedFloat r;
    r.unit = intDigits - MaxSignificant > -MaxDecimals ? intDigits - MaxSignificant : -MaxDecimals;
    std::uint64_t rounded = 0;
    if (r.unit > 0) {
        // Here |x| >= 10^7 > 2^23: x is an integer.
        const u128 divisor = Pow10.v[r.unit];
        const u128 quotient = integerPart / divisor;
        const u128 remainder = integerPart % divisor;
        rounded = std::uint64_t(quotient) + (remainder * 2 >= divisor ? 1 : 0);
    } else {
        const std::uint64_t scale = std::uint64_t(Pow10.v[-r.unit]);
        if (exp >= 0) {
            rounded = (m << exp) * scale; // below 10^7 * 10^6: exact
        } else {
            const int shift = -exp;
            const std::uint64_t scaled = m * scale; // below 2^24 * 10^6 < 2^44
            // Beyond 2^45 the scaled value is below one half: it rounds to 0.
            if (shift <= 62)
                rounded = (scaled + (std::uint64_t(1) << (shift - 1))) >> shift;
        }
    }
    for (std::uint64_t v = rounded; v != 0; v /= 10)
        r.digits[r.count++] = char('0' + v % 10);
    return r;
}

// Fixed notation with six decimals; unit is -6 .. 0 here.
void writeFixed(TextWriter &w, const RoundedFloat &r, const DecimalSeparator &separator) noexcept
{
    const int decimals = -r.unit;
    if (r.count > decimals) {
        for (int i = r.count - 1; i >= decimals; --i)
            w.put(r.digits[i]);
    } else {
        w.put('0');
    }
    w.put(separator.view());
    w.repeat('0', decimals - r.count);
    for (int i = qMin(r.count, decimals) - 1; i >= 0; --i)
        w.put(r.digits[i]);
    w.repeat('0', MaxDecimals - decimals);
}

// The first digit, the rest without trailing zeros, the exponent.
void writeScientific(TextWriter &w, const RoundedFloat &r,
                     const DecimalSeparator &separator) noexcept
{
    int last = 0;
    while (last < r.count - 1 && r.digits[last] == '0')
        ++last;
    w.put(r.digits[r.count - 1]);
    if (last < r.count - 1) {
        w.put(separator.view());
        for (int i = r.count - 2; i >= last; --i)
            w.put(r.digits[i]);
    }
    w.put('E');
    w.putSigned(r.integerDigits() - 1);
}

} // namespace

Text floatText(std::uint32_t bits, const DecimalSeparator &separator) noexcept
{
    const bool negative = (bits & 0x80000000u) != 0;
    const std::uint32_t fraction = bits & FractionMask;

    if ((bits & ExponentMask) == ExponentMask) {
        if (fraction == 0)
            return literal(negative ? "-INF" : "INF");
        if (fraction & QuietBit)
            return literal("NAN");
        return literal("0.0"); // signalling NaN: the conversion refuses it
    }

    const RoundedFloat rounded = roundMagnitude(bits);
    return textOf([&](TextWriter &w) {
        if (rounded.count == 0) {
            // Also -0 and tiny negatives: no sign.
            w.put('0');
            w.put(separator.view());
            w.repeat('0', MaxDecimals);
            return;
        }
        if (negative)
            w.put('-');
        if (rounded.integerDigits() <= MaxSignificant)
            writeFixed(w, rounded, separator);
        else
            writeScientific(w, rounded, separator);
    });
}

namespace {

// digits * 10^unit for unit >= 0 as the nearest double: the exact integer cut
// to 64 bits with a sticky bit for what was cut, so it rounds once.
double scaledToDouble(std::uint64_t digits, int unit) noexcept
{
    const u128 exact = Pow10.v[unit] * digits;
    const auto low = std::uint64_t(exact);
    const auto high = std::uint64_t(exact / (u128(1) << 64));
    if (high == 0)
        return double(low);
    const int shift = 64 - std::countl_zero(high);
    const std::uint64_t lost = shift == 64 ? low : low & ((std::uint64_t(1) << shift) - 1);
    std::uint64_t kept = shift == 64 ? high : (high << (64 - shift)) | (low >> shift);
    if (lost != 0)
        kept |= 1;
    return std::ldexp(double(kept), shift);
}

} // namespace

FloatValue floatValue(std::uint32_t bits) noexcept
{
    const bool negative = (bits & 0x80000000u) != 0;
    const std::uint32_t fraction = bits & FractionMask;
    FloatValue v;
    if ((bits & ExponentMask) == ExponentMask) {
        if (fraction == 0) {
            v.value = negative ? -std::numeric_limits<double>::infinity()
                               : std::numeric_limits<double>::infinity();
        } else if (fraction & QuietBit) {
            v.value = std::numeric_limits<double>::quiet_NaN();
        } else {
            v.decimals = 1; // "0.0"
            v.separator = true;
        }
        return v;
    }
    const RoundedFloat r = roundMagnitude(bits);
    std::uint64_t digits = 0;
    for (int i = r.count - 1; i >= 0; --i)
        digits = digits * 10 + std::uint64_t(r.digits[i] - '0');
    v.separator = true;
    if (r.count == 0) {
        v.decimals = MaxDecimals;
        return v;
    }
    if (r.integerDigits() <= MaxSignificant) {
        v.decimals = MaxDecimals;
        // Both exact: the division rounds once, as reading the text does.
        v.value = r.unit >= 0 ? double(digits) * double(std::uint64_t(Pow10.v[r.unit]))
                              : double(digits) / double(std::uint64_t(Pow10.v[-r.unit]));
    } else {
        int last = 0;
        while (last < r.count - 1 && r.digits[last] == '0')
            ++last;
        v.decimals = r.count - 1 - last;
        v.separator = v.decimals > 0;
        v.exponentChars = 1 + digitCount(u128(std::uint64_t(r.integerDigits() - 1)));
        v.value = scaledToDouble(digits, r.unit);
    }
    if (negative)
        v.value = -v.value;
    return v;
}

Text pairText(Format format, std::uint16_t low, std::uint16_t high,
              const DecimalSeparator &separator) noexcept
{
    const std::uint32_t bits = std::uint32_t(low) | (std::uint32_t(high) << 16);
    switch (format) {
    case Format::Hex32:
        return hexText(bits);
    case Format::Float32:
        return floatText(bits, separator);
    default:
        return decimal(std::int32_t(bits));
    }
}

bool parseInt32(QByteArrayView text, std::int32_t &value) noexcept
{
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p != end && *p == ' ')
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end)
        return false;
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint64_t magnitude = 0;
    for (; p != end; ++p) {
        const unsigned digit = unsigned(uchar(*p)) - unsigned('0');
        if (digit > 9)
            return false;
        magnitude = magnitude * 10 + digit;
        if (magnitude > limit)
            return false;
    }
    value = negative ? std::int32_t(0 - std::uint32_t(magnitude)) : std::int32_t(magnitude);
    return true;
}

bool storedWordText(Format format, QByteArrayView stored, Text &out) noexcept
{
    Q_UNUSED(format);
    std::int32_t value = 0;
    if (!parseInt32(stored, value))
        return false;
    out = decimal(std::int16_t(std::uint16_t(std::uint32_t(value))));
    return true;
}

bool storedPairValue(QByteArrayView low, QByteArrayView high, std::uint32_t &value) noexcept
{
    std::int32_t l = 0;
    std::int32_t h = 0;
    if (!parseInt32(low, l) || !parseInt32(high, h))
        return false;
    // Modulo 2^32: a negative low half borrows from the high half.
    value = std::uint32_t(h) * 65536u + std::uint32_t(l);
    return true;
}

bool storedPairText(Format format, QByteArrayView low, QByteArrayView high,
                    const DecimalSeparator &separator, Text &out) noexcept
{
    std::uint32_t bits = 0;
    if (!storedPairValue(low, high, bits)) {
        if (format != Format::Float32)
            return false;
        out = literal("0.0");
        return true;
    }
    switch (format) {
    case Format::Hex32:
        out = hexText(bits);
        break;
    case Format::Float32:
        out = floatText(bits, separator);
        break;
    default:
        out = decimal(std::int32_t(bits));
        break;
    }
    return true;
}

// The format names read the same in both languages: not translated.
QString formatName(Format format)
{
    switch (format) {
    case Format::Unsigned16:
        return QStringLiteral("16bit Unsigned");
    case Format::Signed16:
        return QStringLiteral("16bit Signed");
    case Format::Signed32:
        return QStringLiteral("32bit Signed");
    case Format::Hex32:
        return QStringLiteral("32bit HEX");
    case Format::Float32:
        return QStringLiteral("32bit Float");
    }
    return {};
}

} // namespace ValueFormat
