#include "records/ValueFormat.h"

#include <QLocale>

#include <cstring>

namespace ValueFormat {

namespace {

__extension__ typedef unsigned __int128 u128;

// Appends to a Text; every caller stays far below the capacity.
class Writer
{
public:
    explicit Writer(Text &text) noexcept
        : m_text(text)
    {
        m_text.size = 0;
    }

    void put(char c) noexcept { m_text.data[m_text.size++] = c; }
    void put(QByteArrayView bytes) noexcept
    {
        std::memcpy(m_text.data + m_text.size, bytes.data(), std::size_t(bytes.size()));
        m_text.size += int(bytes.size());
    }
    void putRepeated(char c, int count) noexcept
    {
        for (int i = 0; i < count; ++i)
            put(c);
    }
    void putUnsigned(std::uint64_t value) noexcept
    {
        char digits[20];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0)
            put(digits[--n]);
    }
    void putSigned(std::int64_t value) noexcept
    {
        if (value < 0) {
            put('-');
            // Negate in unsigned arithmetic so the most negative value survives.
            putUnsigned(0 - std::uint64_t(value));
        } else {
            putUnsigned(std::uint64_t(value));
        }
    }
    void putTwoDigit(std::uint8_t value) noexcept
    {
        if (value < 10)
            put('0');
        putUnsigned(value);
    }

private:
    Text &m_text;
};

Text literal(QByteArrayView bytes) noexcept
{
    Text t;
    Writer(t).put(bytes);
    return t;
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
    Text t;
    Writer(t).putSigned(value);
    return t;
}

Text twoDigit(std::uint8_t value) noexcept
{
    Text t;
    Writer(t).putTwoDigit(value);
    return t;
}

Text recordDate(std::uint16_t year, std::uint8_t month, std::uint8_t day) noexcept
{
    Text t;
    Writer w(t);
    w.putUnsigned(year);
    w.put('-');
    w.putTwoDigit(month);
    w.put('-');
    w.putTwoDigit(day);
    return t;
}

Text recordTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second) noexcept
{
    Text t;
    Writer w(t);
    w.putTwoDigit(hour);
    w.put(':');
    w.putTwoDigit(minute);
    w.put(':');
    w.putTwoDigit(second);
    return t;
}

Text alarmTime(std::uint16_t year, std::uint8_t month, std::uint8_t day, std::uint8_t hour,
               std::uint8_t minute, std::uint8_t second) noexcept
{
    Text t;
    Writer w(t);
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
    return t;
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
    Text t;
    Writer w(t);
    for (int shift = 28; shift >= 0; shift -= 4)
        w.put(Digits[(bits >> shift) & 0xF]);
    return t;
}

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

    // |x| = m * 2^exp exactly, m < 2^24.
    const int biased = int((bits & ExponentMask) >> 23);
    const std::uint64_t m = biased == 0 ? fraction : (fraction | 0x00800000u);
    const int exp = biased == 0 ? -149 : biased - 150;

    // The largest float is below 2^128, so its integer part fits in 128 bits.
    const u128 integerPart = exp >= 0 ? (u128(m) << exp) : (exp > -24 ? u128(m >> -exp) : 0);
    const int intDigits = digitCount(integerPart);

    // Round at 10^unit: the 7th significant digit, or the 6th decimal when
    // that comes first. Half away from zero on the magnitude is round half up.
    const int unit
        = intDigits - MaxSignificant > -MaxDecimals ? intDigits - MaxSignificant : -MaxDecimals;
    std::uint64_t rounded = 0;
    if (unit > 0) {
        // Here |x| >= 10^7 > 2^23: x is an integer.
        const u128 divisor = Pow10.v[unit];
        const u128 quotient = integerPart / divisor;
        const u128 remainder = integerPart % divisor;
        rounded = std::uint64_t(quotient) + (remainder * 2 >= divisor ? 1 : 0);
    } else {
        const std::uint64_t scale = std::uint64_t(Pow10.v[-unit]);
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

    Text t;
    Writer w(t);
    if (rounded == 0) {
        // Also -0 and tiny negatives: no sign.
        w.put('0');
        w.put(separator.view());
        w.putRepeated('0', MaxDecimals);
        return t;
    }

    char digits[20];
    int count = 0;
    for (std::uint64_t v = rounded; v != 0; v /= 10)
        digits[count++] = char('0' + v % 10);
    // digits[] holds the least significant digit first.
    const int roundedDigits = count + unit; // digits before the point after rounding

    if (negative)
        w.put('-');

    if (roundedDigits <= MaxSignificant) {
        const int decimals = -unit; // 0 .. 6 here
        if (count > decimals) {
            for (int i = count - 1; i >= decimals; --i)
                w.put(digits[i]);
        } else {
            w.put('0');
        }
        w.put(separator.view());
        w.putRepeated('0', decimals - count);
        for (int i = qMin(count, decimals) - 1; i >= 0; --i)
            w.put(digits[i]);
        w.putRepeated('0', MaxDecimals - decimals);
        return t;
    }

    // Scientific: the first digit, the rest without trailing zeros, the exponent.
    int last = 0;
    while (last < count - 1 && digits[last] == '0')
        ++last;
    w.put(digits[count - 1]);
    if (last < count - 1) {
        w.put(separator.view());
        for (int i = count - 2; i >= last; --i)
            w.put(digits[i]);
    }
    w.put('E');
    w.putSigned(roundedDigits - 1);
    return t;
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

} // namespace ValueFormat
