#pragma once

#include "records/ValueFormat.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

class RecordGridModel;
class WorkProgress;

// Telling the four kinds of log file apart, and reading the two binary ones.
namespace LogKind {

// The name part of the path (after the last '/', '\' or drive colon) is
// exactly "Alarm.db", case included.
bool isAlarmFileName(const QString &path);
// Bytes 12..31 of the 32-byte header block are the file signature.
bool hasSignature(const QByteArray &headerBlock);
// Bytes 0..5 are "SQLite".
bool hasSqliteHeader(const QByteArray &headerBlock);

} // namespace LogKind

// An open binary log file, read only and never written. Reads are exact: a
// short read is a failure. Reading is buffered; results are those of one
// read per record.
class LogFile
{
public:
    LogFile() = default;
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    qint64 size() const;
    bool seek(qint64 offset);
    bool readExact(char *data, qint64 length);
    // The 32-byte header block from offset 0.
    bool readHeaderBlock(QByteArray &block);

private:
    bool fill(qint64 wanted);
    bool readDirect(char *data, qint64 length);

    QFile m_file;
    QByteArray m_buffer;
    qint64 m_bufferPos = 0;
};

// Called after each record written to the grid (row 1 = first record).
// Growth the grid cannot have throws std::bad_alloc out of the readers; a
// `progress` that says stop throws WorkStopped, the rows read so far kept.
using RowWritten = std::function<void(int row)>;

// Sets the row count to size div 32 (at least 1) and fills every row with a
// 32-byte data record from the file's current position, values in `format`.
// False when a read fails; the rows read so far stay.
bool readBinaryDataRecords(LogFile &file, RecordGridModel &grid, ValueFormat::Format format,
                           const RowWritten &rowWritten = {}, WorkProgress *progress = nullptr);

// Moves past the 112-byte header, sets the row count to size div 112 (at
// least 1) and fills every row with an alarm record. False when a read fails.
bool readBinaryAlarms(LogFile &file, RecordGridModel &grid, const RowWritten &rowWritten = {},
                      WorkProgress *progress = nullptr);

// Reads the records a grid filled by one of the readers above does not hold
// yet (the file grew since), growing the grid to them. False when a read
// fails.
bool appendBinaryRecords(LogFile &file, RecordGridModel &grid, bool alarms,
                         WorkProgress *progress = nullptr);
