#pragma once

#include "records/ValueFormat.h"

#include <QtGlobal>

#include <optional>

// Whether a binary log file's records fit the record grid, judged from the
// file's size before the grid is filled, so that a file too large for the
// machine is refused with a message instead of running it out of memory.
namespace GridSizeGuard {

enum class RecordKind { Data, Alarm };

// Bytes the grid takes for one record of `kind` shown in display `format`:
// the record as the file holds it (texts are made when asked for).
qint64 bytesPerRecord(RecordKind kind, ValueFormat::Format format);
// The longest texts a record's cells can be made into.
qint64 textBytesPerRecord(RecordKind kind, ValueFormat::Format format);

struct Need
{
    qint64 fileBytes = 0;
    qint64 records = 0;
    // Memory the grid takes for those records.
    qint64 gridBytes = 0;
};

// What the records of a binary file of `fileBytes` need: the records after
// the header, as the readers count them.
Need binaryFileNeed(qint64 fileBytes, RecordKind kind, ValueFormat::Format format);

// Within the grid's row and text limits and, when the budget is known,
// within it.
bool fits(const Need &need, std::optional<qint64> budget);

} // namespace GridSizeGuard
