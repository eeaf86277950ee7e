#include "dataaccess/ValueText.h"

#include "dataaccess/TextWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kSignificantDigits = 15;

} // namespace

qsizetype formatInteger(qint64 value, char *out, qsizetype capacity)
{
    const auto [end, error] = std::to_chars(out, out + capacity, value);
    return error == std::errc() ? end - out : 0;
}

qsizetype formatGeneralFloat(double value, QByteArrayView decimalPoint, char *out,
                             qsizetype capacity)
{
    TextWriter w(out, capacity);
    if (std::isnan(value)) {
        w.put("NAN", 3);
        return w.length();
    }
    if (std::isinf(value)) {
        if (value < 0)
            w.put('-');
        w.put("INF", 3);
        return w.length();
    }
    if (value == 0) { // also -0
        w.put('0');
        return w.length();
    }

    // Round to 15 significant digits first, so the notation follows the rounded value.
    char sci[40];
    const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                   std::chars_format::scientific, kSignificantDigits - 1);
    const char *sciEnd = res.ptr;
    const char *e = static_cast<const char *>(std::memchr(sci, 'e', size_t(sciEnd - sci)));
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, sciEnd, exponent);

    char digits[kSignificantDigits];
    int count = 0;
    for (const char *p = sci; p < e; ++p) {
        if (*p >= '0' && *p <= '9')
            digits[count++] = *p;
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;

    if (value < 0)
        w.put('-');
    if (exponent >= -5 && exponent < kSignificantDigits) {
        if (exponent >= 0) {
            const int whole = exponent + 1;
            w.put(digits, std::min(whole, count));
            w.repeat('0', whole - count);
            if (count > whole) {
                w.put(decimalPoint);
                w.put(digits + whole, count - whole);
            }
        } else {
            w.put('0');
            w.put(decimalPoint);
            w.repeat('0', -exponent - 1);
            w.put(digits, count);
        }
    } else {
        w.put(digits[0]);
        if (count > 1) {
            w.put(decimalPoint);
            w.put(digits + 1, count - 1);
        }
        w.put('E');
        char exp[8];
        const auto [end, error] = std::to_chars(exp, exp + sizeof exp, exponent);
        (void)error;
        w.put(exp, end - exp);
    }
    return w.length();
}

qint64 truncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value < -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}
