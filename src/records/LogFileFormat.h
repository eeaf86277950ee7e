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

} // namespace LogFileFormat
