#pragma once

#include "platform/Language.h"
#include "records/ValueFormat.h"

#include <QString>

class RecordGridModel;

// How much one load may take before it is refused as too large: records (the grid's row limit)
// and bytes of memory for the fetched result.
class WorkProgress;

struct LoadLimits
{
    quint64 records = 0;
    quint64 bytes = 0;
    // Asked as the load goes; a load it stops throws WorkStopped and leaves the grid as it was.
    WorkProgress *progress = nullptr;
    static LoadLimits standard();
};

// A load refused as too large: the records fetched when it stopped and the memory that they
// and the grid would need (at least).
struct TooLarge
{
    bool refused = false;
    quint64 records = 0;
    quint64 bytesNeeded = 0;
};

// Filling the record grid from the panel's SQLite files. The databases are
// opened read-only; nothing next to them is created or changed. Every byte of
// a text reaches the grid; a NUL byte shows as U+2400, so that no text the
// grid hands on (copy, CSV, export) holds a raw NUL.

struct AlarmLoadResult
{
    // The query ran and its result was fetched (the count display turns olive).
    bool fetched = false;
    // The load failed ("Invalid Database"); the rows written so far stay.
    bool failed = false;
    // Stopped before any row was written: the result would not fit.
    TooLarge tooLarge;
    // Why it failed, in the library's or the system's words (empty when it did not).
    QString cause;
};

// The alarm history of table Ldata into the alarm list layout that is
// already set up: row count = alarms + 1, ID, time, number and text.
AlarmLoadResult loadAlarmDatabase(const QString &fileName, RecordGridModel &grid,
                                  const LoadLimits &limits = LoadLimits::standard());

enum class RecordLoadStatus {
    Loaded,
    // The buffer's table has no rows: the grid is untouched.
    NoData,
    // Anything failed: the caller makes the grid empty.
    NotCreated,
    // The result would not fit (see tooLarge): the caller makes the grid empty.
    TooLarge,
};

struct RecordLoadResult
{
    RecordLoadStatus status = RecordLoadStatus::NotCreated;
    // A result with rows was fetched (the count display turns olive).
    bool fetchedRows = false;
    TooLarge tooLarge;
    // Why it was not created, in the library's or the system's words; empty when the records
    // were read and only their values do not fit the format.
    QString cause;
};

// Table Buffer<buffer> (1 .. 12) into the data record layout of `format`,
// titles in the given language.
RecordLoadResult loadDataRecords(const QString &fileName, int buffer, ValueFormat::Format format,
                                 Language language, RecordGridModel &grid,
                                 const LoadLimits &limits = LoadLimits::standard());

// "select * from Buffer" followed by the buffer number.
QString bufferQuery(int buffer);
