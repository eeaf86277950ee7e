#include "logfiles/LogGrowth.h"

#include "logfiles/BinaryLogFile.h"
#include "records/LogFileFormat.h"

namespace {

qint64 recordSize(bool alarms)
{
    return qint64(alarms ? LogFileFormat::AlarmRecordSize : LogFileFormat::DataRecordSize);
}

} // namespace

bool LogGrowth::readMarks(const QString &path, QByteArray &header, QByteArray &last,
                          qint64 &size) const
{
    LogFile file;
    if (!file.open(path) || !file.readHeaderBlock(header))
        return false;
    size = file.size();
    const qint64 record = recordSize(m_alarms);
    last.resize(record);
    return size >= m_readEnd && file.seek(m_readEnd - record)
        && file.readExact(last.data(), record);
}

void LogGrowth::remember(const QString &path, bool alarms, int gridRows)
{
    m_path = path;
    m_rows = gridRows;
    m_alarms = alarms;
    m_readEnd = qint64(std::max(gridRows, 1)) * recordSize(alarms);
    if (!readMarks(path, m_header, m_last, m_size))
        m_size = -1;
}

LogGrowth::Change LogGrowth::changeSince(const QString &path) const
{
    if (m_size < 0)
        return Change::Whole;
    QByteArray header;
    QByteArray last;
    qint64 size = 0;
    if (!readMarks(path, header, last, size) || size < m_size || header != m_header
        || last != m_last)
        return Change::Whole;
    if (size - m_readEnd < recordSize(m_alarms))
        return Change::None;
    return Change::Grew;
}
