#include "records/BinaryLogFile.h"

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
    if (m_buffer.size() - m_bufferPos < length && !fill(length))
        return false;
    std::memcpy(data, m_buffer.constData() + m_bufferPos, size_t(length));
    m_bufferPos += length;
    return true;
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

std::uint16_t word(const unsigned char *p, int offset)
{
    return qFromLittleEndian<quint16>(p + offset);
}

int rowsFor(qint64 size, qint64 recordSize)
{
    const qint64 rows = size / recordSize;
    return int(std::clamp<qint64>(rows, 1, std::numeric_limits<int>::max() - 1));
}

} // namespace

namespace {

// Grows the grid to the file's records and fills rows `fromRow` on, the file
// standing at that row's record.
bool readDataRows(LogFile &file, RecordGridModel &grid, int format, int fromRow,
                  const RowWritten &rowWritten)
{
    const auto fmt = static_cast<ValueFormat::Format>(format);
    const bool pairs = ValueFormat::isPairFormat(fmt);
    const ValueFormat::DecimalSeparator separator = ValueFormat::DecimalSeparator::system();
    const int rows = rowsFor(file.size(), DataRecordSize);
    grid.setRows(rows);
    // Room for the longest texts a record gives; pages never written cost nothing.
    grid.reserveText(qsizetype(std::max(rows - fromRow, 0))
                     * GridSizeGuard::textBytesPerRecord(GridSizeGuard::RecordKind::Data, format));
    unsigned char record[DataRecordSize];
    for (int r = fromRow; r < rows; ++r) {
        if (!file.readExact(reinterpret_cast<char *>(record), DataRecordSize))
            return false;
        grid.setCellUtf8(0, r,
                         ValueFormat::decimal(qFromLittleEndian<qint32>(record + IdOffset)).view());
        grid.setCellUtf8(1, r,
                         ValueFormat::recordDate(word(record, YearOffset), record[MonthOffset],
                                                 record[DayOffset])
                             .view());
        grid.setCellUtf8(
            2, r,
            ValueFormat::recordTime(record[HourOffset], record[MinuteOffset], record[SecondOffset])
                .view());
        if (pairs) {
            for (int p = 0; p < ValueWords / 2; ++p) {
                const auto text
                    = ValueFormat::pairText(fmt, word(record, ValuesOffset + 4 * p),
                                            word(record, ValuesOffset + 2 + 4 * p), separator);
                grid.setCellUtf8(3 + p, r, text.view());
            }
        } else {
            for (int v = 0; v < ValueWords; ++v)
                grid.setCellUtf8(
                    3 + v, r,
                    ValueFormat::wordText(fmt, word(record, ValuesOffset + 2 * v)).view());
        }
        if (rowWritten)
            rowWritten(r);
    }
    return true;
}

bool readAlarmRows(LogFile &file, RecordGridModel &grid, int fromRow, const RowWritten &rowWritten)
{
    if (!file.seek(qint64(fromRow) * AlarmRecordSize))
        return false;
    const int rows = rowsFor(file.size(), AlarmRecordSize);
    grid.setRows(rows);
    unsigned char record[AlarmRecordSize];
    for (int r = fromRow; r < rows; ++r) {
        if (!file.readExact(reinterpret_cast<char *>(record), AlarmRecordSize))
            return false;
        grid.setCellUtf8(0, r,
                         ValueFormat::decimal(qFromLittleEndian<qint32>(record + IdOffset)).view());
        grid.setCellUtf8(1, r,
                         ValueFormat::alarmTime(word(record, YearOffset), record[MonthOffset],
                                                record[DayOffset], record[HourOffset],
                                                record[MinuteOffset], record[SecondOffset])
                             .view());
        grid.setCellUtf8(2, r, ValueFormat::decimal(record[AlarmNumberOffset]).view());
        char16_t text[AlarmTextUnits];
        int units = 0;
        while (units < AlarmTextUnits) {
            text[units] = char16_t(word(record, AlarmTextOffset + 2 * units));
            if (text[units] == 0)
                break;
            ++units;
        }
        // UTF-16 as stored, surrogate pairs included; a lone surrogate shows as
        // U+FFFD (the grid keeps UTF-8, which would turn it into '?').
        for (int u = 0; u < units; ++u) {
            if (QChar::isHighSurrogate(text[u]) && u + 1 < units
                && QChar::isLowSurrogate(text[u + 1]))
                ++u;
            else if (QChar::isSurrogate(text[u]))
                text[u] = char16_t(QChar::ReplacementCharacter);
        }
        grid.setCell(3, r, QString::fromUtf16(text, units));
        if (rowWritten)
            rowWritten(r);
    }
    return true;
}

} // namespace

bool readBinaryDataRecords(LogFile &file, RecordGridModel &grid, int format,
                           const RowWritten &rowWritten)
{
    return readDataRows(file, grid, format, 1, rowWritten);
}

bool readBinaryAlarms(LogFile &file, RecordGridModel &grid, const RowWritten &rowWritten)
{
    return readAlarmRows(file, grid, 1, rowWritten);
}

bool appendBinaryRecords(LogFile &file, RecordGridModel &grid, bool alarms, int format)
{
    const int fromRow = std::max(grid.rows(), 1);
    if (alarms)
        return readAlarmRows(file, grid, fromRow, {});
    return file.seek(qint64(fromRow) * DataRecordSize)
        && readDataRows(file, grid, format, fromRow, {});
}
