#pragma once

#include <functional>
#include <optional>

#include <QString>

class QIODevice;
class RecordGridModel;

// The bytes a CSV file is written in: UTF-8 as is, UTF-8 behind a byte order
// mark (which spreadsheet applications need to read Chinese texts), or
// GB18030 where the platform's codecs have it.
enum class CsvEncoding { Utf8, Utf8Bom, Gb18030 };

// The encoding of a name "utf-8", "utf-8-bom" or "gb18030".
std::optional<CsvEncoding> csvEncodingNamed(const QString &name);
// Whether this platform can write the encoding.
bool csvEncodingAvailable(CsvEncoding encoding);

// The record grid as CSV: every row from the title row to the last, each
// with the grid's column count of fields; a field holding a comma, a double
// quote, CR or LF is quoted with its quotes doubled; UTF-8 without BOM;
// every line ends in CRLF. False when the device could not take it all.
bool writeGridCsv(const RecordGridModel &grid, QIODevice &out);

// Called after each row written (0 = the title row).
using CsvRowWritten = std::function<void(int row)>;

// The same in `encoding`; false also when the platform cannot write it.
bool writeGridCsv(const RecordGridModel &grid, QIODevice &out, CsvEncoding encoding,
                  const CsvRowWritten &rowWritten = {});
