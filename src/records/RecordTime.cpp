#include "records/RecordTime.h"

#include <cstdio>
#include <cstdlib>

namespace RecordTime {

namespace {

// Reads `p` forward over an ASCII text.
struct Reader
{
    const char *p;
    const char *end;

    bool atEnd() const { return p == end; }
    bool take(char c)
    {
        if (p == end || *p != c)
            return false;
        ++p;
        return true;
    }
    // A decimal of minDigits to maxDigits digits, followed by no further digit.
    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0;
        int digits = 0;
        while (p != end && *p >= '0' && *p <= '9') {
            if (++digits > maxDigits)
                return std::nullopt;
            value = value * 10 + (*p - '0');
            ++p;
        }
        if (digits < minDigits)
            return std::nullopt;
        return value;
    }
    void skipSpaces()
    {
        while (p != end && (*p == ' ' || *p == '\t'))
            ++p;
    }
};

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : Days[month - 1];
}

// Year, month and day of a count of days since 1970-01-01.
void dateFromDays(qint64 days, qint64 &year, int &month, int &day)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

std::optional<qint64> readDate(Reader &r)
{
    const auto year = r.number(1, 5);
    if (!year || r.atEnd() || *year > 65535)
        return std::nullopt;
    const char separator = *r.p;
    if (separator != '-' && separator != '/' && separator != '.')
        return std::nullopt;
    ++r.p;
    const auto month = r.number(1, 2);
    if (!month || !r.take(separator))
        return std::nullopt;
    const auto day = r.number(1, 2);
    if (!day || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month))
        return std::nullopt;
    return daysFromDate(*year, *month, *day) * SecondsPerDay;
}

struct TimeOfDay
{
    int seconds = 0;
    bool withSeconds = false;
};

std::optional<TimeOfDay> readTime(Reader &r)
{
    const auto hour = r.number(1, 2);
    if (!hour || !r.take(':'))
        return std::nullopt;
    const auto minute = r.number(1, 2);
    if (!minute)
        return std::nullopt;
    int second = 0;
    bool withSeconds = false;
    if (r.take(':')) {
        const auto s = r.number(1, 2);
        if (!s)
            return std::nullopt;
        second = *s;
        withSeconds = true;
    }
    if (*hour > 23 || *minute > 59 || second > 59)
        return std::nullopt;
    return TimeOfDay {*hour * 3600 + *minute * 60 + second, withSeconds};
}

// What may stand between a date and a time.
bool takeDateTimeSeparator(Reader &r)
{
    if (r.take('/') || r.take('T'))
        return true;
    const char *before = r.p;
    r.skipSpaces();
    return r.p != before;
}

Reader readerOf(QByteArrayView text)
{
    return Reader {text.data(), text.data() + text.size()};
}

} // namespace

qint64 daysFromDate(int year, int month, int day)
{
    const qint64 y = qint64(year) - (month <= 2 ? 1 : 0);
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yearOfEra = y - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

qint64 fromParts(int year, int month, int day, int hour, int minute, int second)
{
    return daysFromDate(year, month, day) * SecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::optional<qint64> parseDate(QByteArrayView text)
{
    Reader r = readerOf(text);
    const auto date = readDate(r);
    return date && r.atEnd() ? date : std::nullopt;
}

std::optional<int> parseTimeOfDay(QByteArrayView text)
{
    Reader r = readerOf(text);
    const auto time = readTime(r);
    return time && r.atEnd() ? std::optional<int>(time->seconds) : std::nullopt;
}

std::optional<qint64> recordTime(QByteArrayView date, QByteArrayView time)
{
    const auto day = parseDate(date.trimmed());
    if (!day)
        return std::nullopt;
    const auto seconds = parseTimeOfDay(time.trimmed());
    if (!seconds)
        return std::nullopt;
    return *day + *seconds;
}

std::optional<qint64> alarmTime(QByteArrayView text)
{
    Reader r = readerOf(text.trimmed());
    const auto day = readDate(r);
    if (!day || !takeDateTimeSeparator(r))
        return std::nullopt;
    const auto time = readTime(r);
    if (!time || !r.atEnd())
        return std::nullopt;
    return *day + time->seconds;
}

std::optional<Span> parseSpan(QByteArrayView text, std::optional<qint64> dayOfTimeAlone)
{
    Reader r = readerOf(text);
    r.skipSpaces();
    const char *start = r.p;
    std::optional<qint64> day = readDate(r);
    if (!day) {
        if (!dayOfTimeAlone)
            return std::nullopt;
        r.p = start;
        day = startOfDay(*dayOfTimeAlone);
    } else {
        const char *afterDate = r.p;
        r.skipSpaces();
        if (r.atEnd())
            return Span {*day, *day + SecondsPerDay - 1};
        r.p = afterDate;
        if (!takeDateTimeSeparator(r))
            return std::nullopt;
    }
    const auto time = readTime(r);
    if (!time)
        return std::nullopt;
    r.skipSpaces();
    if (!r.atEnd())
        return std::nullopt;
    const qint64 first = *day + time->seconds;
    return Span {first, time->withSeconds ? first : first + 59};
}

std::optional<Span> parseSpan(QStringView text, std::optional<qint64> dayOfTimeAlone)
{
    // Only ASCII can be read; anything else must not turn into ASCII on the way.
    for (QChar c : text)
        if (c.unicode() > 0x7F)
            return std::nullopt;
    return parseSpan(QByteArrayView(text.toLatin1()), dayOfTimeAlone);
}

bool findAsksTime(QStringView findText)
{
    return findText.trimmed().startsWith(u'@');
}

std::optional<Span> findTime(QStringView findText, std::optional<qint64> currentRowTime)
{
    const QStringView trimmed = findText.trimmed();
    if (!trimmed.startsWith(u'@'))
        return std::nullopt;
    return parseSpan(trimmed.mid(1), currentRowTime);
}

void appendText(QByteArray &out, qint64 time)
{
    const qint64 start = startOfDay(time);
    qint64 year = 0;
    int month = 0;
    int day = 0;
    dateFromDays(start / SecondsPerDay, year, month, day);
    const int seconds = int(time - start);
    char buffer[48];
    const int size = std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d %02d:%02d:%02d",
                                   static_cast<long long>(year), month, day, seconds / 3600,
                                   seconds / 60 % 60, seconds % 60);
    out.append(buffer, size);
}

QString text(qint64 time)
{
    QByteArray bytes;
    appendText(bytes, time);
    return QString::fromLatin1(bytes);
}

QString durationText(qint64 seconds)
{
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const qint64 s = std::llabs(seconds);
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(s / 3600 % 24, 2, 10, QLatin1Char('0'))
                              .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(s % 60, 2, 10, QLatin1Char('0'));
    if (s >= SecondsPerDay)
        return sign + QStringLiteral("%1d ").arg(s / SecondsPerDay) + clock;
    return sign + clock;
}

} // namespace RecordTime
