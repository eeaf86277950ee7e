#include "records/NumberStatistics.h"

#include "records/DecimalText.h"

#include <QIODevice>

#include <charconv>
#include <cmath>

namespace {

using DecimalText::Int128;
using DecimalText::pow10;

constexpr int MaxExactDigits = 18;
constexpr int MaxExactScale = 9;

// A parsed cell: exact mantissa * 10^-scale, or a double.
struct Number
{
    bool exact = true;
    Int128 mantissa = 0;
    int scale = 0;
    double value = 0;
    int fixedDecimals = -1; // digits after the separator of a fixed-notation text
};

bool parseNumber(QByteArrayView text, QByteArrayView separator, Number &n)
{
    if (text.isEmpty() || text.size() >= 128)
        return false;
    const char *p = text.data();
    const char *const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    qint64 mantissa = 0;
    int digits = 0; // significant digits taken
    int intDigits = 0;
    int fraction = 0;
    bool overflow = false;
    const auto takeDigits = [&](int &counter) {
        while (p != end && unsigned(*p - '0') <= 9) {
            if (mantissa != 0 || *p != '0')
                ++digits;
            if (digits > MaxExactDigits)
                overflow = true;
            else
                mantissa = mantissa * 10 + (*p - '0');
            ++counter;
            ++p;
        }
    };
    takeDigits(intDigits);
    bool point = false;
    if (p != end && separator.size() > 0 && end - p >= separator.size()
        && QByteArrayView(p, separator.size()) == separator) {
        point = true;
        p += separator.size();
        takeDigits(fraction);
        if (fraction == 0)
            return false;
    }
    if (intDigits == 0)
        return false;
    if (p == end) {
        n.fixedDecimals = fraction;
        if (!overflow && fraction <= MaxExactScale) {
            n.exact = true;
            n.mantissa = negative ? -Int128(mantissa) : Int128(mantissa);
            n.scale = fraction;
            static constexpr double Scales[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
            n.value = double(mantissa) / Scales[fraction] * (negative ? -1 : 1);
            return true;
        }
    } else {
        // Scientific notation: E, an optional "-", digits.
        if (*p != 'E' && *p != 'e')
            return false;
        ++p;
        if (p != end && (*p == '-' || *p == '+'))
            ++p;
        if (p == end)
            return false;
        for (; p != end; ++p)
            if (unsigned(*p - '0') > 9)
                return false;
    }
    // The floating route: the text with a '.' for the separator.
    char buf[128];
    if (text.size() >= qsizetype(sizeof buf))
        return false;
    int k = 0;
    for (const char *q = text.data(); q != text.data() + text.size();) {
        if (point && separator.size() > 0 && text.data() + text.size() - q >= separator.size()
            && QByteArrayView(q, separator.size()) == separator) {
            buf[k++] = '.';
            q += separator.size();
        } else {
            buf[k++] = *q++;
        }
    }
    double value = 0;
    const auto r = std::from_chars(buf, buf + k, value);
    if (r.ec != std::errc() || r.ptr != buf + k || !std::isfinite(value))
        return false;
    n.exact = false;
    n.value = value;
    return true;
}

} // namespace

NumberStatistics::NumberStatistics(ValueFormat::DecimalSeparator separator) noexcept
    : m_separator(separator)
{ }

int NumberStatistics::compare(bool exactA, Int128 a, int scaleA, double valueA,
                              const Extreme &b) noexcept
{
    if (exactA && b.exact) {
        if (scaleA == b.scale)
            return a < b.mantissa ? -1 : (a > b.mantissa ? 1 : 0);
        const int scale = scaleA > b.scale ? scaleA : b.scale;
        const Int128 x = a * pow10(scale - scaleA);
        const Int128 y = b.mantissa * pow10(scale - b.scale);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return valueA < b.value ? -1 : (valueA > b.value ? 1 : 0);
}

void NumberStatistics::addExact(Int128 mantissa, int scale) noexcept
{
    if (scale == m_exactScale) {
        m_exactSum += mantissa;
    } else if (scale > m_exactScale) {
        m_exactSum *= pow10(scale - m_exactScale);
        m_exactScale = scale;
        m_exactSum += mantissa;
    } else {
        m_exactSum += mantissa * pow10(m_exactScale - scale);
    }
}

void NumberStatistics::add(const DecimalText::ShownDecimal &number)
{
    static constexpr Int128 limit = Int128(1000000000000000000LL); // 10^MaxExactDigits
    static_assert(MaxExactDigits == 18);
    if (number.decimals > MaxExactScale || number.mantissa >= limit || number.mantissa <= -limit) {
        // Past what the texts are summed exactly in: as the text goes.
        QByteArray text;
        DecimalText::appendScaled(number.mantissa, number.decimals, number.decimals,
                                  m_separator.view(), text);
        add(text);
        return;
    }
    const int scale = number.decimals;
    if (scale > m_decimals)
        m_decimals = scale;
    addExact(number.mantissa, scale);
    // The double only where a comparison or a kept extreme needs it.
    const auto value = [&] {
        static constexpr double Scales[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
        return double(number.mantissa) / Scales[scale];
    };
    if (m_count == 0) {
        keep(m_min, true, number.mantissa, scale, value(), number);
        keep(m_max, true, number.mantissa, scale, value(), number);
        m_first.set(number);
    } else {
        const auto less = [&](const Extreme &e) {
            if (e.exact && e.scale == scale)
                return number.mantissa < e.mantissa;
            return compare(true, number.mantissa, scale, value(), e) < 0;
        };
        const auto more = [&](const Extreme &e) {
            if (e.exact && e.scale == scale)
                return number.mantissa > e.mantissa;
            return compare(true, number.mantissa, scale, value(), e) > 0;
        };
        if (less(m_min))
            keep(m_min, true, number.mantissa, scale, value(), number);
        if (more(m_max))
            keep(m_max, true, number.mantissa, scale, value(), number);
    }
    m_last.set(number);
    ++m_count;
}

bool NumberStatistics::add(QByteArrayView text)
{
    Number n;
    if (!parseNumber(text, m_separator.view(), n))
        return false;
    if (n.fixedDecimals > m_decimals)
        m_decimals = n.fixedDecimals;
    if (n.exact) {
        addExact(n.mantissa, n.scale);
    } else {
        const double t = m_floatingSum + n.value;
        if (std::fabs(m_floatingSum) >= std::fabs(n.value))
            m_compensation += (m_floatingSum - t) + n.value;
        else
            m_compensation += (n.value - t) + m_floatingSum;
        m_floatingSum = t;
        ++m_floatingCount;
    }
    if (m_count == 0) {
        keep(m_min, n.exact, n.mantissa, n.scale, n.value, text);
        keep(m_max, n.exact, n.mantissa, n.scale, n.value, text);
        m_first.set(text);
    } else {
        if (compare(n.exact, n.mantissa, n.scale, n.value, m_min) < 0)
            keep(m_min, n.exact, n.mantissa, n.scale, n.value, text);
        if (compare(n.exact, n.mantissa, n.scale, n.value, m_max) > 0)
            keep(m_max, n.exact, n.mantissa, n.scale, n.value, text);
    }
    m_last.set(text);
    ++m_count;
    return true;
}

void NumberStatistics::add(const DecimalRun &run)
{
    if (run.count == 0)
        return;
    // Only the run's extremes can be the statistics' ones: through add(),
    // the first, then the least and the greatest (the first of equals kept),
    // then the rest counted and summed.
    const qint64 before = m_count;
    add(run.first);
    add(run.min);
    add(run.max);
    const Int128 counted = run.first.mantissa + run.min.mantissa + run.max.mantissa;
    addExact(run.sum - counted, run.decimals);
    m_count = before + run.count;
    m_last.set(run.last);
}

double NumberStatistics::floatingTotal() const noexcept
{
    // The exact part joins the compensated sum as one more term.
    const double exact = double(m_exactSum) / std::pow(10.0, m_exactScale);
    double s = m_floatingSum;
    double c = m_compensation;
    const double t = s + exact;
    if (std::fabs(s) >= std::fabs(exact))
        c += (s - t) + exact;
    else
        c += (exact - t) + s;
    s = t;
    return s + c;
}

double NumberStatistics::sum() const noexcept
{
    return floatingTotal();
}

double NumberStatistics::mean() const noexcept
{
    return m_count == 0 ? 0.0 : floatingTotal() / double(m_count);
}

QByteArray NumberStatistics::sumText() const
{
    QByteArray out;
    if (m_count == 0)
        return out;
    if (hasFloating())
        DecimalText::appendFixed(floatingTotal(), m_decimals, m_separator.view(), out);
    else
        DecimalText::appendScaled(m_exactSum, m_exactScale, m_decimals, m_separator.view(), out);
    return out;
}

QByteArray NumberStatistics::meanText(int shownDecimals) const
{
    QByteArray out;
    if (m_count == 0)
        return out;
    const int decimals = (shownDecimals >= 0 ? shownDecimals : m_decimals) + 2;
    if (hasFloating()) {
        DecimalText::appendFixed(mean(), decimals, m_separator.view(), out);
        return out;
    }
    // sum / count to `decimals` digits, rounded half away from zero: the
    // quotient, then the remainder's digits one at a time, one digit more
    // than shown (what is cut off beyond it cannot move a half).
    const Int128 count = m_count;
    const bool negative = m_exactSum < 0;
    const Int128 magnitude = negative ? -m_exactSum : m_exactSum;
    const Int128 q = magnitude / count;
    const int scale = decimals + 1 > m_exactScale ? decimals + 1 : m_exactScale;
    if (q > pow10(20) && scale - m_exactScale > 15) {
        DecimalText::appendFixed(mean(), decimals, m_separator.view(), out);
        return out;
    }
    Int128 mantissa = q;
    Int128 rest = magnitude % count;
    for (int i = m_exactScale; i < scale; ++i) {
        rest *= 10;
        mantissa = mantissa * 10 + rest / count;
        rest %= count;
    }
    DecimalText::appendScaled(negative ? -mantissa : mantissa, scale, decimals, m_separator.view(),
                              out);
    return out;
}

namespace {

void appendField(QByteArray &out, QByteArrayView field)
{
    const bool quote = field.contains(',') || field.contains('"') || field.contains('\r')
        || field.contains('\n');
    if (!quote) {
        out.append(field.data(), field.size());
        return;
    }
    out.append('"');
    for (char c : field) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

} // namespace

bool writeStatisticsCsv(const QList<ColumnStatistics> &columns, QIODevice &out)
{
    QByteArray bytes("column,count,min,max,mean,first,last\r\n");
    for (const ColumnStatistics &c : columns) {
        const NumberStatistics &s = c.statistics;
        if (s.count() == 0)
            continue;
        appendField(bytes, c.title.toUtf8());
        for (const QByteArray &field : {QByteArray::number(s.count()), s.minText(), s.maxText(),
                                        s.meanText(c.shownDecimals), s.firstText(), s.lastText()}) {
            bytes.append(',');
            appendField(bytes, field);
        }
        bytes.append("\r\n");
    }
    return out.write(bytes) == bytes.size();
}
