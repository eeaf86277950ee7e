#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Record and alarm times as the panel's clock showed them: local time, no
// time zone, counted in seconds since 1970-01-01 00:00:00 of that clock
// (proleptic Gregorian calendar, no leap seconds).
namespace RecordTime {

// The seconds a written time stands for: one second for a full time, the
// whole minute for "08:10", the whole day for a date alone. A lower bound
// takes `first`, an upper bound `last`, so bounds are included at the
// precision they were written in.
struct Span
{
    qint64 first = 0;
    qint64 last = 0;
    friend bool operator==(const Span &, const Span &) = default;
};

constexpr qint64 SecondsPerDay = 86400;

// Days since 1970-01-01 of a calendar date; the date must be valid.
qint64 daysFromDate(int year, int month, int day);
qint64 fromParts(int year, int month, int day, int hour, int minute, int second);

// The start of the day `time` lies in.
inline qint64 startOfDay(qint64 time)
{
    const qint64 days
        = time >= 0 ? time / SecondsPerDay : -((-time + SecondsPerDay - 1) / SecondsPerDay);
    return days * SecondsPerDay;
}

// A date "2013-05-07": year of 1 to 5 digits (the binary files write it
// unpadded), month and day of 1 or 2, "-", "/" or "." between them (the
// same both times); the start of that day. None for anything else or an
// impossible date.
std::optional<qint64> parseDate(QByteArrayView text);
// A time of day "08:04:59" or "8:4" (seconds optional): seconds since midnight.
std::optional<int> parseTimeOfDay(QByteArrayView text);

// A data record's date and time cells; spaces around each are ignored.
std::optional<qint64> recordTime(QByteArrayView date, QByteArrayView time);
// An alarm time: a date, then spaces or one "/" or "T", then a time
// ("2013-05-07 08:01:10", "2013-05-07/08:04:59"); spaces around it are ignored.
std::optional<qint64> alarmTime(QByteArrayView text);

// A time as a user writes it: an alarm time's forms, a date alone, or a
// time alone, which means that time on the day of `dayOfTimeAlone` (none:
// unreadable). Spaces around it are ignored.
std::optional<Span> parseSpan(QByteArrayView text, std::optional<qint64> dayOfTimeAlone = {});
std::optional<Span> parseSpan(QStringView text, std::optional<qint64> dayOfTimeAlone = {});

// Whether a find text asks for a time: it starts with "@".
bool findAsksTime(QStringView findText);
// The time of a find text "@2013-05-07 08:10" or "@08:10" (on the day of
// `currentRowTime`); none when it asks for none or cannot be read.
std::optional<Span> findTime(QStringView findText, std::optional<qint64> currentRowTime);

// "yyyy-mm-dd hh:mm:ss".
QString text(qint64 time);
// Signed "hh:mm:ss", with whole days before it ("2d 01:00:00") from a day on.
QString durationText(qint64 seconds);
// The same appended as ASCII.
void appendText(QByteArray &out, qint64 time);

} // namespace RecordTime
