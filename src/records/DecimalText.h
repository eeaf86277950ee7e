#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <charconv>
#include <cmath>

// Decimal texts of scaled integers and doubles, shared by the tag values and
// the statistics so both round and sign alike.
namespace DecimalText {

// g++ and MinGW have them; -pedantic wants them marked.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// A number exactly as a text shows it: mantissa * 10^-decimals, with
// `decimals` digits after the separator.
struct ShownDecimal
{
    Int128 mantissa = 0;
    int decimals = 0;
};

inline Int128 pow10(int n) noexcept
{
    Int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// mantissa * 10^-scale with `decimals` digits after the separator, rounded
// half away from zero when decimals < scale; no sign when it shows zero.
inline void appendScaled(Int128 mantissa, int scale, int decimals, QByteArrayView separator,
                         QByteArray &out)
{
    const bool negative = mantissa < 0;
    UInt128 magnitude = negative ? UInt128(0) - UInt128(mantissa) : UInt128(mantissa);
    int pad = 0; // zeros after the digits
    if (decimals < scale) {
        const UInt128 divisor = UInt128(pow10(scale - decimals));
        const UInt128 rest = magnitude % divisor;
        magnitude = magnitude / divisor + (rest * 2 >= divisor ? 1 : 0);
    } else {
        pad = decimals - scale;
    }
    char digits[48];
    int count = 0;
    for (UInt128 v = magnitude; v != 0; v /= 10)
        digits[count++] = char('0' + int(v % 10));
    if (negative && count > 0)
        out.append('-');
    // The digits of the number times 10^decimals, least significant first.
    const int total = count + pad;
    const auto digitAt = [&](int i) { return i < pad ? '0' : digits[i - pad]; };
    if (total <= decimals) {
        out.append('0');
    } else {
        for (int i = total - 1; i >= decimals; --i)
            out.append(digitAt(i));
    }
    if (decimals > 0) {
        out.append(separator.data(), separator.size());
        for (int i = decimals - 1; i >= 0; --i)
            out.append(i < total ? digitAt(i) : '0');
    }
}

// A finite double with `decimals` digits: half away from zero while the
// scaled value is below 2^52 (where a half can be told), else the nearest.
inline void appendFixed(double value, int decimals, QByteArrayView separator, QByteArray &out)
{
    const double scaled = value * std::pow(10.0, decimals);
    if (std::fabs(scaled) < 0x1p52) {
        appendScaled(Int128(std::round(scaled)), decimals, decimals, separator, out);
        return;
    }
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    for (const char *p = buf; p != r.ptr; ++p) {
        if (*p == '.')
            out.append(separator.data(), separator.size());
        else
            out.append(*p);
    }
}

} // namespace DecimalText
