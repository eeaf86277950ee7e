#include "records/GridSizeGuard.h"

#include "records/GridLayout.h"
#include "records/LogFileFormat.h"
#include "records/RecordGridModel.h"
#include "records/ValueFormat.h"
#include "texts/MainTexts.h"

#include <algorithm>

namespace GridSizeGuard {

namespace {

// The longest texts of the cells, in UTF-8 bytes.
constexpr qint64 IdBytes = 11; // "-2147483648"
constexpr qint64 DateBytes = 13; // year up to 65535, month and day up to 255
constexpr qint64 TimeBytes = 11;
constexpr qint64 AlarmTimeBytes = 25;
constexpr qint64 AlarmNumberBytes = 3;
// Three bytes a UTF-16 unit at most (a surrogate pair makes four of two).
constexpr qint64 AlarmTextBytes = 3 * LogFileFormat::AlarmTextUnits;

qint64 valueBytes(ValueFormat::Format format)
{
    using ValueFormat::Format;
    constexpr int pairs = LogFileFormat::ValueWords / 2;
    switch (format) {
    case Format::Unsigned16:
        return 5 * LogFileFormat::ValueWords; // "65535"
    case Format::Signed16:
        return 6 * LogFileFormat::ValueWords; // "-32768"
    case Format::Hex32:
        return 8 * pairs;
    case Format::Float32:
        // "-1234567.000000" with the longest decimal separator.
        return (14 + ValueFormat::DecimalSeparator::MaxBytes) * pairs;
    case Format::Signed32:
    default:
        return 11 * pairs; // "-2147483648"
    }
}

} // namespace

qint64 textBytesPerRecord(RecordKind kind, ValueFormat::Format format)
{
    if (kind == RecordKind::Alarm)
        return IdBytes + AlarmTimeBytes + AlarmNumberBytes + AlarmTextBytes;
    return IdBytes + DateBytes + TimeBytes + valueBytes(format);
}

qint64 bytesPerRecord(RecordKind kind, ValueFormat::Format)
{
    // The grid keeps the record's bytes and makes its texts when asked.
    return kind == RecordKind::Alarm ? qint64(LogFileFormat::AlarmRecordSize)
                                     : qint64(LogFileFormat::DataRecordSize);
}

Need binaryFileNeed(qint64 fileBytes, RecordKind kind, ValueFormat::Format format)
{
    const qint64 recordSize = kind == RecordKind::Alarm ? qint64(LogFileFormat::AlarmRecordSize)
                                                        : qint64(LogFileFormat::DataRecordSize);
    Need need;
    need.fileBytes = std::max<qint64>(fileBytes, 0);
    // The first record's room holds the header; the grid's row 0 the titles.
    need.records = std::max<qint64>(need.fileBytes / recordSize - 1, 0);
    const qint64 perRecord = bytesPerRecord(kind, format);
    need.gridBytes = need.records > std::numeric_limits<qint64>::max() / perRecord
        ? std::numeric_limits<qint64>::max()
        : need.records * perRecord;
    return need;
}

bool fits(const Need &need, std::optional<qint64> budget)
{
    if (need.records + 1 > RecordGridModel::MaxRows)
        return false;
    if (need.gridBytes > RecordGridModel::MaxTextBytes)
        return false;
    return !budget || need.gridBytes <= *budget;
}

} // namespace GridSizeGuard
