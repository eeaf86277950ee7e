#include "records/CellNumber.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

std::optional<CellNumber> readInteger(const char *b, const char *e)
{
    if (b == e)
        return std::nullopt;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(b, e, v, 10);
    if (ec != std::errc() || end != e)
        return std::nullopt;
    return CellNumber::decimal(v);
}

std::optional<CellNumber> readHex(const char *b, const char *e)
{
    if (b == e || e - b > 16)
        return std::nullopt;
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(b, e, v, 16);
    if (ec != std::errc() || end != e)
        return std::nullopt;
    return CellNumber::hex(v);
}

std::optional<CellNumber> readReal(const char *b, const char *e, char separator)
{
    if (b == e || e - b > 64)
        return std::nullopt;
    char buf[64];
    int n = 0;
    ValueFormat::FloatValue v;
    bool inExponent = false;
    for (const char *p = b; p != e; ++p) {
        char c = *p;
        // Only digits, signs, the separator and an exponent make a real
        // here; from_chars would also take "inf", "nan" and hex digits.
        if (c == separator) {
            c = '.';
            v.separator = !inExponent;
        } else if (c == '.' && separator != '.') {
            return std::nullopt;
        } else if (c == 'e' || c == 'E') {
            inExponent = true;
        } else if (!((c >= '0' && c <= '9') || c == '-' || c == '+')) {
            return std::nullopt;
        }
        if (inExponent)
            ++v.exponentChars;
        else if (v.separator && c >= '0' && c <= '9')
            ++v.decimals;
        buf[n++] = c;
    }
    const auto [end, ec] = std::from_chars(buf, buf + n, v.value, std::chars_format::general);
    if (ec != std::errc() || end != buf + n || !std::isfinite(v.value))
        return std::nullopt;
    return CellNumber::realNumber(v);
}

} // namespace

std::optional<CellNumber> CellNumber::read(QByteArrayView text, ValueFormat::Format format,
                                           char separator)
{
    const char *b = text.data();
    const char *e = b + text.size();
    if (format == ValueFormat::Format::Float32)
        return readReal(b, e, separator);
    auto n = readInteger(b, e);
    if (!n && format == ValueFormat::Format::Hex32)
        n = readHex(b, e);
    return n;
}

std::optional<std::int64_t> CellNumber::hexDigitsAsDecimal() const
{
    if (shown != Shown::Hex)
        return std::nullopt;
    // Sixteen decimal digits at most: below 10^16, inside the range.
    std::int64_t value = 0;
    for (int shift = 60; shift >= 0; shift -= 4) {
        const auto digit = std::int64_t((std::uint64_t(integer) >> shift) & 0xF);
        if (digit > 9)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::int64_t> CellNumber::decimalDigitsAsHex() const
{
    if (shown != Shown::Decimal)
        return std::nullopt;
    const bool negative = integer < 0;
    std::uint64_t rest = negative ? 0 - std::uint64_t(integer) : std::uint64_t(integer);
    std::uint64_t value = 0;
    for (int shift = 0; rest != 0; shift += 4, rest /= 10) {
        if (shift == 64)
            return std::nullopt;
        value |= (rest % 10) << shift;
    }
    if (value > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    return negative ? -std::int64_t(value) : std::int64_t(value);
}

char systemSeparatorForTexts()
{
    static const char sep = [] {
        const QString p = QLocale::system().decimalPoint();
        return p == QStringLiteral(",") ? ',' : '.';
    }();
    return sep;
}
