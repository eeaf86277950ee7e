#pragma once

#include <QString>

class RecordGridModel;

// Filling the record grid from the panel's SQLite files. The databases are
// opened read-only; nothing next to them is created or changed.

struct AlarmLoadResult
{
    // The query ran and its result was fetched (the count display turns olive).
    bool fetched = false;
    // The load failed ("Invalid Database"); the rows written so far stay.
    bool failed = false;
};

// The alarm history of table Ldata into the alarm list layout that is
// already set up: row count = alarms + 1, ID, time, number and text.
AlarmLoadResult loadAlarmDatabase(const QString &fileName, RecordGridModel &grid);

enum class RecordLoadStatus {
    Loaded,
    // The buffer's table has no rows: the grid is untouched.
    NoData,
    // Anything failed: the caller makes the grid empty.
    NotCreated,
};

struct RecordLoadResult
{
    RecordLoadStatus status = RecordLoadStatus::NotCreated;
    // A result with rows was fetched (the count display turns olive).
    bool fetchedRows = false;
};

// Table Buffer<buffer> (1 .. 12) into the data record layout of `format`,
// titles in the given language.
RecordLoadResult loadDataRecords(const QString &fileName, int buffer, int format, bool chinese,
                                 RecordGridModel &grid);

// "select * from Buffer" followed by the buffer number.
QString bufferQuery(int buffer);
