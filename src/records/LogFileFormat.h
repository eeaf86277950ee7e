#pragma once

#include <cstddef>

// Layout constants of the panel's binary log files, shared by the reader and
// by tools/make-sample-logs.
namespace LogFileFormat {

// Bytes 12..31 of every binary file's header block.
inline constexpr char Signature[] = "SQL:www.norvale.tech";
inline constexpr std::size_t SignatureOffset = 12;
inline constexpr std::size_t SignatureLength = sizeof(Signature) - 1; // 20

inline constexpr std::size_t HeaderBlockSize = 32;
inline constexpr std::size_t DataRecordSize = 32;
inline constexpr std::size_t AlarmRecordSize = 112;
// A binary alarm file's header is one alarm record long.
inline constexpr std::size_t AlarmHeaderSize = AlarmRecordSize;
inline constexpr int AlarmTextUnits = 50;
inline constexpr int ValueWords = 10;

// Field offsets inside a data or alarm record, little-endian: a 32-bit ID,
// the 16-bit year, then one byte each for month to second.
inline constexpr int IdOffset = 0;
inline constexpr int YearOffset = 4;
inline constexpr int MonthOffset = 6;
inline constexpr int DayOffset = 7;
inline constexpr int HourOffset = 8;
inline constexpr int MinuteOffset = 9;
inline constexpr int SecondOffset = 10;
// A data record's unused byte, then its ten 16-bit value words.
inline constexpr int DataSpareOffset = 11;
inline constexpr int ValuesOffset = 12;
// An alarm record's alarm number (one byte) and its text (UTF-16 units).
inline constexpr int AlarmNumberOffset = 11;
inline constexpr int AlarmTextOffset = 12;

} // namespace LogFileFormat
