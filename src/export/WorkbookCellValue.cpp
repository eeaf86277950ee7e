#include "export/WorkbookCellValue.h"

#include <charconv>

namespace {

// A value's decimals are the low bits; the flags say which kind of format.
constexpr std::uint16_t DecimalsMask = 0x1f;
constexpr std::uint16_t Scientific = 0x20;
constexpr std::uint16_t ScientificPlus = 0x40;
constexpr std::uint16_t DateFormat = 0x100;
constexpr std::uint16_t TimeFormat = 0x200;
constexpr std::uint16_t DateTimeFormat = 0x300;
constexpr std::uint16_t DateSlashTimeFormat = 0x400;

// A double holds 15 significant decimal digits exactly both ways.
constexpr int MaxDigits = 15;
constexpr int MaxExponent = 300;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Exactly `count` digits at `pos`.
bool readFixed(std::string_view text, std::size_t pos, std::size_t count, int &value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!isDigit(text[i]))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5
        + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// "2013-05-07" as serial days. Days before March 1900 count differently in
// different spreadsheet applications, so only later dates are taken.
bool readDate(std::string_view text, double &serial)
{
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !readFixed(text, 0, 4, y)
        || !readFixed(text, 5, 2, m) || !readFixed(text, 8, 2, d))
        return false;
    static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1 || d > monthDays[m - 1])
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (m == 2 && d == 29 && !leap)
        return false;
    if (y < 1900 || (y == 1900 && m < 3))
        return false;
    serial = static_cast<double>(daysFromCivil(y, m, d) - daysFromCivil(1899, 12, 30));
    return true;
}

// "08:00:01" as a fraction of a day.
bool readTime(std::string_view text, double &fraction)
{
    int h = 0, m = 0, s = 0;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !readFixed(text, 0, 2, h)
        || !readFixed(text, 3, 2, m) || !readFixed(text, 6, 2, s))
        return false;
    if (h > 23 || m > 59 || s > 59)
        return false;
    fraction = (h * 3600 + m * 60 + s) / 86400.0;
    return true;
}

// A decimal number that a number format shows again as the same text:
// -?(0|[1-9][0-9]*)(sep[0-9]+)? or -?[1-9](sep[0-9]+)?E[+-]?[1-9][0-9]*,
// at most 15 significant digits, no sign on zero.
bool readNumber(std::string_view text, std::string_view separator, double &value,
                std::uint16_t &format)
{
    std::string plain; // the number as from_chars reads it
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        plain += '-';
        ++pos;
    }
    const std::size_t intStart = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    const std::size_t intDigits = pos - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0'))
        return false;
    plain.append(text.substr(intStart, intDigits));
    std::size_t decimals = 0;
    if (!separator.empty() && text.substr(pos, separator.size()) == separator) {
        pos += separator.size();
        const std::size_t decStart = pos;
        while (pos < text.size() && isDigit(text[pos]))
            ++pos;
        decimals = pos - decStart;
        if (decimals == 0)
            return false;
        plain += '.';
        plain.append(text.substr(decStart, decimals));
    }
    // Significant digits: from the first non-zero digit to the end.
    std::size_t significant = 0;
    bool nonZero = false;
    for (char c : plain) {
        if (c >= '1' && c <= '9')
            nonZero = true;
        if (nonZero && isDigit(c))
            ++significant;
    }
    if (significant > MaxDigits || decimals > MaxDigits || (negative && !nonZero))
        return false;
    format = static_cast<std::uint16_t>(decimals);
    if (pos < text.size() && text[pos] == 'E') {
        // The format shows one digit before the separator.
        if (intDigits != 1 || text[intStart] == '0')
            return false;
        ++pos;
        format |= Scientific;
        plain += 'e';
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            if (text[pos] == '+')
                format |= ScientificPlus;
            else
                plain += '-';
            ++pos;
        }
        const std::size_t expStart = pos;
        while (pos < text.size() && isDigit(text[pos]) && pos - expStart < 4)
            ++pos;
        const std::size_t expDigits = pos - expStart;
        if (expDigits == 0 || text[expStart] == '0')
            return false;
        plain.append(text.substr(expStart, expDigits));
        int exponent = 0;
        readFixed(text, expStart, expDigits, exponent);
        if (exponent > MaxExponent)
            return false;
    }
    if (pos != text.size())
        return false;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return error == std::errc() && end == plain.data() + plain.size();
}

} // namespace

WorkbookCellValue workbookCellValue(std::string_view text, std::string_view decimalSeparator)
{
    WorkbookCellValue cell;
    if (!text.empty() && text.front() == '\'') {
        cell.textStart = 1;
        return cell;
    }
    double value = 0;
    double fraction = 0;
    std::uint16_t format = 0;
    if (readNumber(text, decimalSeparator, value, format)) {
        cell.kind = WorkbookCellValue::Kind::Number;
        cell.number = value;
        cell.format = format;
    } else if (readDate(text, value)) {
        cell.kind = WorkbookCellValue::Kind::Number;
        cell.number = value;
        cell.format = DateFormat;
    } else if (readTime(text, fraction)) {
        cell.kind = WorkbookCellValue::Kind::Number;
        cell.number = fraction;
        cell.format = TimeFormat;
    } else if (text.size() == 19 && (text[10] == ' ' || text[10] == '/')
               && readDate(text.substr(0, 10), value) && readTime(text.substr(11), fraction)) {
        // The binary alarm files join date and time with a slash.
        cell.kind = WorkbookCellValue::Kind::Number;
        cell.number = value + fraction;
        cell.format = text[10] == ' ' ? DateTimeFormat : DateSlashTimeFormat;
    }
    return cell;
}

std::string numberFormatText(std::uint16_t format)
{
    switch (format & ~DecimalsMask & ~Scientific & ~ScientificPlus) {
    case DateFormat:
        return "yyyy-mm-dd";
    case TimeFormat:
        return "hh:mm:ss";
    case DateTimeFormat:
        return "yyyy-mm-dd hh:mm:ss";
    case DateSlashTimeFormat:
        // Quoted: a bare slash is the date separator of the reader's locale.
        return "yyyy-mm-dd\"/\"hh:mm:ss";
    default:
        break;
    }
    std::string out = "0";
    const int decimals = format & DecimalsMask;
    if (decimals > 0)
        out += '.' + std::string(static_cast<std::size_t>(decimals), '0');
    if (format & ScientificPlus)
        out += "E+0";
    else if (format & Scientific)
        out += "E-0";
    return out;
}
