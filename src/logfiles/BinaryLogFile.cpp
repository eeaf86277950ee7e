#include "logfiles/BinaryLogFile.h"

#include "platform/WorkProgress.h"
#include "records/GridSizeGuard.h"
#include "records/LogFileFormat.h"
#include "records/RecordGridModel.h"
#include "records/ValueFormat.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace LogKind {

bool isAlarmFileName(const QString &path)
{
    const qsizetype cut
        = std::max({path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')),
                    path.lastIndexOf(QLatin1Char(':'))});
    return QStringView(path).mid(cut + 1) == QLatin1String("Alarm.db");
}

bool hasSignature(const QByteArray &headerBlock)
{
    using namespace LogFileFormat;
    return headerBlock.size() >= qsizetype(SignatureOffset + SignatureLength)
        && std::memcmp(headerBlock.constData() + SignatureOffset, Signature, SignatureLength) == 0;
}

bool hasSqliteHeader(const QByteArray &headerBlock)
{
    return headerBlock.startsWith("SQLite");
}

} // namespace LogKind

namespace {
constexpr qint64 ChunkSize = 1 << 20;
} // namespace

bool LogFile::open(const QString &path)
{
    close();
    // Only regular files: a folder cannot be read, and opening a named pipe
    // would wait for a writer forever.
    if (!QFileInfo(path).isFile())
        return false;
    m_file.setFileName(path);
    // Unbuffered: we keep our own buffer and never want QFile's second copy.
    return m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void LogFile::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_buffer.clear();
    m_bufferPos = 0;
}

qint64 LogFile::size() const
{
    return m_file.size();
}

bool LogFile::seek(qint64 offset)
{
    m_buffer.clear();
    m_bufferPos = 0;
    return m_file.seek(offset);
}

bool LogFile::fill(qint64 wanted)
{
    // Keep the unread tail, then read a whole chunk behind it.
    m_buffer.remove(0, m_bufferPos);
    m_bufferPos = 0;
    const qint64 have = m_buffer.size();
    // A chunk, or what is left of the file when that is less.
    const qint64 left = m_file.size() - m_file.pos();
    const qint64 want = std::max(wanted, std::min(ChunkSize, std::max<qint64>(left, 0)));
    m_buffer.resize(have + want);
    const qint64 got = m_file.read(m_buffer.data() + have, want);
    m_buffer.resize(have + std::max<qint64>(got, 0));
    return got >= 0 && m_buffer.size() >= wanted;
}

bool LogFile::readExact(char *data, qint64 length)
{
    const qint64 buffered = m_buffer.size() - m_bufferPos;
    if (buffered < length && length >= ChunkSize)
        return readDirect(data, length);
    if (buffered < length && !fill(length))
        return false;
    std::memcpy(data, m_buffer.constData() + m_bufferPos, size_t(length));
    m_bufferPos += length;
    return true;
}

bool LogFile::readDirect(char *data, qint64 length)
{
    // A large read goes straight to its place, past the buffer.
    const qint64 buffered = m_buffer.size() - m_bufferPos;
    std::memcpy(data, m_buffer.constData() + m_bufferPos, size_t(buffered));
    qint64 have = buffered;
    while (have < length) {
        const qint64 got = m_file.read(data + have, length - have);
        if (got <= 0)
            break;
        have += got;
    }
    if (have == length) {
        m_buffer.clear();
        m_bufferPos = 0;
        return true;
    }
    // Short: what was read is buffered again, for the reads that follow.
    m_buffer = QByteArray(data, have);
    m_bufferPos = 0;
    return false;
}

bool LogFile::readHeaderBlock(QByteArray &block)
{
    if (!seek(0))
        return false;
    block.resize(LogFileFormat::HeaderBlockSize);
    return readExact(block.data(), block.size());
}

namespace {

using namespace LogFileFormat;

int rowsFor(qint64 size, qint64 recordSize)
{
    const qint64 rows = size / recordSize;
    return int(std::clamp<qint64>(rows, 1, std::numeric_limits<int>::max() - 1));
}

} // namespace

namespace {

// Fills rows fromRow .. rows - 1 with records read straight into the grid, in
// large chunks; record by record once a chunk cannot be read whole, so that
// every whole record stays.
bool readRecords(LogFile &file, RecordGridModel &grid, int rows, qint64 recordSize,
                 const RowWritten &rowWritten, WorkProgress *progress, int fromRow = 1)
{
    grid.setRows(rows);
    grid.reserveRawRecords(rows - 1);
    int chunk = int(ChunkSize / recordSize);
    for (int r = fromRow; r < rows;) {
        const int n = std::min(chunk, rows - r);
        if (!file.readExact(grid.rawRecords(r, n), n * recordSize)) {
            if (n == 1)
                return false;
            chunk = 1;
            continue;
        }
        grid.rawRecordsWritten(r, n);
        // Each row is shown as it comes; the screen shows one picture per
        // frame whichever way the records were read.
        if (rowWritten)
            for (int k = r; k < r + n; ++k)
                rowWritten(k);
        r += n;
        // A chunk is a millisecond or so of reading.
        stopUnlessGoing(progress, r - 1);
    }
    return true;
}

} // namespace

bool readBinaryDataRecords(LogFile &file, RecordGridModel &grid, ValueFormat::Format format,
                           const RowWritten &rowWritten, WorkProgress *progress)
{
    grid.beginRawRecords(RecordGridModel::RawKind::Data, format,
                         ValueFormat::DecimalSeparator::system());
    return readRecords(file, grid, rowsFor(file.size(), DataRecordSize), DataRecordSize, rowWritten,
                       progress);
}

bool readBinaryAlarms(LogFile &file, RecordGridModel &grid, const RowWritten &rowWritten,
                      WorkProgress *progress)
{
    if (!file.seek(AlarmHeaderSize))
        return false;
    grid.beginRawRecords(RecordGridModel::RawKind::Alarm, ValueFormat::Format::Unsigned16,
                         ValueFormat::DecimalSeparator());
    return readRecords(file, grid, rowsFor(file.size(), AlarmRecordSize), AlarmRecordSize,
                       rowWritten, progress);
}

bool appendBinaryRecords(LogFile &file, RecordGridModel &grid, bool alarms, WorkProgress *progress)
{
    // The grid holds the file's records as they were read; only the new
    // ones are read, after the last whole one.
    const auto kind = alarms ? RecordGridModel::RawKind::Alarm : RecordGridModel::RawKind::Data;
    if (grid.rawKind() != kind)
        return false;
    const qint64 size = alarms ? AlarmRecordSize : DataRecordSize;
    const int fromRow = std::max(grid.rows(), 1);
    return file.seek(qint64(fromRow) * size)
        && readRecords(file, grid, rowsFor(file.size(), size), size, {}, progress, fromRow);
}
