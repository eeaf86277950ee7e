#include "document/LogDocument.h"

#include "logfiles/BinaryLogFile.h"
#include "platform/MemoryBudget.h"
#include "platform/WorkProgress.h"
#include "records/GridLayout.h"
#include "records/GridSizeGuard.h"
#include "records/LogFileFormat.h"
#include "records/RecordTime.h"
#include "records/TagValue.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>

LogDocument::LogDocument(QObject *parent)
    : QObject(parent)
    , m_memoryBudget([] { return availablePhysicalMemory(); })
{ }

LogDocument::~LogDocument() = default;

bool LogDocument::isDatabase() const
{
    return m_kind == FileKind::AlarmDatabase || m_kind == FileKind::RecordDatabase;
}

bool LogDocument::holdsAlarms() const
{
    return m_kind == FileKind::AlarmDatabase || m_kind == FileKind::BinaryAlarms;
}

bool LogDocument::formatSelectable() const
{
    return m_kind == FileKind::RecordDatabase
        || (m_kind == FileKind::BinaryData && m_gridState == GridState::Loaded);
}

void LogDocument::setTagSheet(std::optional<TagSheet> sheet, const QString &path)
{
    m_tagSheet = std::move(sheet);
    m_tagSheetPath = m_tagSheet ? path : QString();
}

bool LogDocument::tagSheetDecides() const
{
    return m_tagSheet && (m_kind == FileKind::RecordDatabase || m_kind == FileKind::BinaryData);
}

void LogDocument::applyTagSheet()
{
    // A short binary file keeps the records before its end: they get the sheet too.
    const bool records
        = m_gridState == GridState::Loaded || m_grid.rawKind() != RecordGridModel::RawKind::None;
    if (!tagSheetDecides() || !records) {
        m_grid.setTagColumns(nullptr);
        return;
    }
    auto columns = std::make_shared<RecordGridModel::TagColumns>();
    const QList<Tag> tags
        = m_tagSheet->tagsFor(m_kind == FileKind::RecordDatabase ? m_buffer : Tag::AnyBuffer);
    columns->reserve(std::size_t(tags.size()));
    for (const Tag &tag : tags)
        columns->emplace_back(tag);
    // Names with units need more room than the raw values.
    constexpr int TagColumnWidth = 120;
    const RecordGridModel::Batch batch(m_grid);
    m_grid.setCols(3 + int(columns->size()));
    for (std::size_t i = 0; i < columns->size(); ++i) {
        const int col = 3 + int(i);
        m_grid.setCell(col, 0, (*columns)[i].title());
        m_grid.setColWidth(col, TagColumnWidth);
    }
    m_grid.setTagColumns(std::move(columns));
}

void LogDocument::setMemoryBudget(std::function<std::optional<qint64>()> budget)
{
    m_memoryBudget = std::move(budget);
}

LoadLimits LogDocument::databaseLimits() const
{
    // A query's result is kept as it is stepped, so the memory the machine
    // has left bounds it as much as the standard budget does.
    LoadLimits limits = LoadLimits::standard();
    limits.progress = m_progress;
    if (const std::optional<qint64> budget = m_memoryBudget(); budget && *budget >= 0)
        limits.bytes = std::min(limits.bytes, quint64(std::max<qint64>(*budget, 1)));
    return limits;
}

void LogDocument::clear()
{
    m_timeIndex.reset();
    m_grid.makeEmpty();
    m_gridState = GridState::Empty;
}

LogDocument::Outcome LogDocument::open(const QString &path)
{
    m_range = {};
    return openFile(path);
}

LogDocument::Outcome LogDocument::openFile(const QString &path)
{
    m_timeIndex.reset();
    m_path = path;
    m_kind = FileKind::None;
    m_buffer = 1;
    m_format = ValueFormat::Format::Unsigned16;
    m_grid.makeEmpty();
    // Failed until a load says otherwise.
    m_gridState = GridState::Failed;

    LogFile file;
    QByteArray header;
    if (!file.open(path) || !file.readHeaderBlock(header))
        return {Status::NotOpened};
    const bool binary = LogKind::hasSignature(header);
    const bool alarms = LogKind::isAlarmFileName(path);
    if (!binary) {
        file.close();
        if (!LogKind::hasSqliteHeader(header))
            return {Status::InvalidDatabase};
        m_kind = alarms ? FileKind::AlarmDatabase : FileKind::RecordDatabase;
    } else {
        m_kind = alarms ? FileKind::BinaryAlarms : FileKind::BinaryData;
    }

    m_grid.setTagColumns(nullptr);
    if (alarms)
        GridLayout::setAlarmList(m_grid, m_language);
    else
        GridLayout::setDataRecords(m_grid, m_language, m_format);
    switch (m_kind) {
    case FileKind::AlarmDatabase:
        return loadAlarmDatabase();
    case FileKind::RecordDatabase:
        return loadRecordBuffer();
    default: {
        const Outcome outcome = readBinary(file);
        applyTagSheet();
        return outcome;
    }
    }
}

LogDocument::Outcome LogDocument::loadAlarmDatabase()
{
    AlarmLoadResult result;
    {
        const RecordGridModel::Batch batch(m_grid);
        result = ::loadAlarmDatabase(m_path, m_grid, databaseLimits());
        if (result.tooLarge.refused)
            m_grid.makeEmpty();
    }
    Outcome outcome;
    outcome.fetched = result.fetched;
    m_gridState = result.failed || result.tooLarge.refused ? GridState::Failed : GridState::Loaded;
    if (result.failed) {
        outcome.status = Status::DatabaseFailed;
        outcome.cause = result.cause;
    } else if (result.tooLarge.refused) {
        outcome.status = Status::TooLarge;
        outcome.records = qint64(result.tooLarge.records);
        outcome.bytesNeeded = qint64(result.tooLarge.bytesNeeded);
    }
    return outcome;
}

LogDocument::Outcome LogDocument::loadRecordBuffer()
{
    m_grid.beginBatch();
    m_grid.setTagColumns(nullptr);
    RecordLoadResult result;
    try {
        result = loadDataRecords(m_path, m_buffer, m_format, m_language, m_grid, databaseLimits());
    } catch (const WorkStopped &) {
        m_grid.endBatch();
        throw;
    }
    Outcome outcome;
    outcome.fetched = result.fetchedRows;
    outcome.cause = result.cause;
    // An empty buffer is a result: its grid is the title row.
    switch (result.status) {
    case RecordLoadStatus::Loaded:
        outcome.status = Status::Loaded;
        break;
    case RecordLoadStatus::NoData:
        outcome.status = Status::NoData;
        break;
    case RecordLoadStatus::NotCreated:
        outcome.status = Status::NotCreated;
        m_grid.makeEmpty();
        break;
    case RecordLoadStatus::TooLarge:
        outcome.status = Status::TooLarge;
        outcome.records = qint64(result.tooLarge.records);
        outcome.bytesNeeded = qint64(result.tooLarge.bytesNeeded);
        m_grid.makeEmpty();
        break;
    }
    m_gridState = outcome.status == Status::Loaded || outcome.status == Status::NoData
        ? GridState::Loaded
        : GridState::Failed;
    applyTagSheet();
    m_grid.endBatch();
    return outcome;
}

LogDocument::Outcome LogDocument::readBinary(LogFile &file)
{
    // With a dynamic load each record is shown as soon as it is read;
    // otherwise the views hear of the load once, at its end.
    const bool dynamic = m_dynamic;
    RowWritten rowWritten;
    if (dynamic)
        rowWritten = [this](int row) { emit rowRead(row); };
    const bool alarms = holdsAlarms();
    const Outcome outcome = fillBinary(file.size(), m_format, dynamic, [&] {
        return alarms ? readBinaryAlarms(file, m_grid, rowWritten, m_progress)
                      : readBinaryDataRecords(file, m_grid, m_format, rowWritten, m_progress);
    });
    if (dynamic)
        emit dynamicLoadDone();
    m_gridState = outcome.status == Status::Loaded ? GridState::Loaded : GridState::Failed;
    return outcome;
}

LogDocument::Outcome LogDocument::fillBinary(qint64 fileSize, ValueFormat::Format format,
                                             bool dynamic, const std::function<bool()> &read)
{
    using namespace GridSizeGuard;
    const Need need
        = binaryFileNeed(fileSize, holdsAlarms() ? RecordKind::Alarm : RecordKind::Data, format);
    bool fits = GridSizeGuard::fits(need, m_memoryBudget());
    bool complete = false;
    if (fits) {
        try {
            std::optional<RecordGridModel::Batch> batch;
            if (!dynamic)
                batch.emplace(m_grid);
            complete = read();
        } catch (const std::bad_alloc &) {
            fits = false;
        }
    }
    if (!fits) {
        // Memory that runs out on the way ends as a refusal before would.
        m_grid.makeEmpty();
        Outcome outcome {Status::FileTooLarge};
        outcome.records = need.records;
        outcome.bytesNeeded = need.gridBytes;
        outcome.fileBytes = need.fileBytes;
        return outcome;
    }
    return {complete ? Status::Loaded : Status::ShortRead};
}

LogDocument::Outcome LogDocument::selectBuffer(int buffer)
{
    m_buffer = buffer;
    m_timeIndex.reset();
    const Outcome outcome = loadRecordBuffer();
    showRangeAgain();
    return outcome;
}

LogDocument::Outcome LogDocument::selectFormat(ValueFormat::Format format)
{
    m_format = format;
    m_timeIndex.reset();
    const Outcome outcome
        = m_kind == FileKind::RecordDatabase ? loadRecordBuffer() : rereadBinaryData();
    showRangeAgain();
    return outcome;
}

LogDocument::Outcome LogDocument::rereadBinaryData()
{
    LogFile file;
    QByteArray header;
    if (!file.open(m_path) || !file.readHeaderBlock(header))
        return {Status::Unreadable};
    if (!LogKind::hasSignature(header)) {
        file.close();
        m_grid.makeEmpty();
        m_gridState = GridState::Failed;
        return {Status::SignatureLost};
    }
    m_grid.setTagColumns(nullptr);
    const Outcome outcome = fillBinary(file.size(), m_format, false, [&] {
        m_grid.setRows(int(std::clamp<qint64>(file.size() / qint64(LogFileFormat::DataRecordSize),
                                              1, INT_MAX - 1)));
        GridLayout::setDataRecords(m_grid, m_language, m_format);
        return readBinaryDataRecords(file, m_grid, m_format, {}, m_progress);
    });
    m_gridState = outcome.status == Status::Loaded ? GridState::Loaded : GridState::Failed;
    applyTagSheet();
    return outcome;
}

LogDocument::ReloadSteps LogDocument::reload()
{
    const FileKind kind = m_kind;
    const int buffer = m_buffer;
    const ValueFormat::Format format = m_format;
    ReloadSteps steps;
    steps.open = openFile(m_path);
    // The file under the name may be of another kind now.
    if (kind == FileKind::RecordDatabase && m_kind == kind && buffer != 1)
        steps.buffer = selectBuffer(buffer);
    if (format != ValueFormat::Format::Unsigned16 && formatSelectable())
        steps.format = selectFormat(format);
    rememberGrowth();
    showRangeAgain();
    return steps;
}

LogDocument::Outcome LogDocument::readGrowth()
{
    LogFile file;
    if (!file.open(m_path))
        return {Status::Unreadable};
    const bool alarms = holdsAlarms();
    m_timeIndex.reset();
    const Outcome outcome = fillBinary(file.size(), m_format, false, [&] {
        return appendBinaryRecords(file, m_grid, alarms, m_progress);
    });
    showRangeAgain();
    return outcome;
}

LogGrowth::Change LogDocument::changeSinceRead() const
{
    if (isDatabase() || !m_growth.covers(m_path, m_grid.wholeRows()))
        return LogGrowth::Change::Whole;
    return m_growth.changeSince(m_path);
}

void LogDocument::rememberGrowth()
{
    m_growth.forget();
    if (isDatabase() || m_path.isEmpty())
        return;
    const bool alarms = LogKind::isAlarmFileName(m_path);
    // Only a grid read whole from the file marks where the next read starts.
    const qint64 record
        = qint64(alarms ? LogFileFormat::AlarmRecordSize : LogFileFormat::DataRecordSize);
    const qint64 rows = std::max<qint64>(QFileInfo(m_path).size() / record, 1);
    if (rows != m_grid.wholeRows()
        || (rows > 1 && m_grid.wholeCellUtf8(0, int(rows) - 1).isEmpty()))
        return;
    m_growth.remember(m_path, alarms, m_grid.wholeRows());
}

LogDocument::Kept LogDocument::keep() const
{
    Kept kept;
    kept.grid = m_grid.keep();
    kept.path = m_path;
    kept.kind = m_kind;
    kept.buffer = m_buffer;
    kept.format = m_format;
    kept.gridState = m_gridState;
    kept.tagSheet = m_tagSheet;
    kept.tagSheetPath = m_tagSheetPath;
    kept.tagColumns = m_grid.tagColumns();
    kept.range = m_range;
    return kept;
}

void LogDocument::restore(Kept &kept)
{
    m_path = kept.path;
    m_kind = kept.kind;
    m_buffer = kept.buffer;
    m_format = kept.format;
    m_gridState = kept.gridState;
    m_tagSheet = kept.tagSheet;
    m_tagSheetPath = kept.tagSheetPath;
    m_range = kept.range;
    m_timeIndex.reset();
    m_grid.restore(std::move(kept.grid));
    m_grid.setTagColumns(std::move(kept.tagColumns));
    showRangeAgain();
}

const TimeIndex &LogDocument::timeIndex() const
{
    if (!m_timeIndex)
        m_timeIndex = std::make_unique<TimeIndex>(holdsAlarms() ? TimeIndex::ofAlarms(m_grid)
                                                                : TimeIndex::ofDataRecords(m_grid));
    return *m_timeIndex;
}

void LogDocument::setTimeRange(const TimeRange &range)
{
    m_range = range;
    showRangeAgain();
}

void LogDocument::showRangeAgain()
{
    if (!m_range.limits() || m_kind == FileKind::None) {
        m_grid.showAllRows();
        return;
    }
    timeIndex().showRange(m_grid, m_range.from, m_range.until);
}

int LogDocument::wholeRecordCount() const
{
    const int rows = m_grid.wholeRows();
    return rows == 2 ? 0 : rows - 1;
}

std::optional<qint64> LogDocument::rowTime(int row) const
{
    if (row < 1 || row >= m_grid.rows())
        return std::nullopt;
    if (holdsAlarms())
        return RecordTime::alarmTime(m_grid.cellUtf8(1, row).view());
    return RecordTime::recordTime(m_grid.cellUtf8(1, row).view(), m_grid.cellUtf8(2, row).view());
}

int LogDocument::firstShownRowAtOrAfter(qint64 time) const
{
    const std::optional<qint64> from = m_range.from ? std::max(*m_range.from, time) : time;
    const auto entries = timeIndex().entriesInRange(from, m_range.until);
    if (entries.empty())
        return -1;
    const int whole = entries.front().row;
    if (!m_grid.showsSomeRows())
        return whole;
    // The shown rows are a time range of the whole grid, in grid order.
    const std::vector<int> &shown = m_grid.shownRows();
    const auto at = std::lower_bound(shown.begin(), shown.end(), whole);
    return at != shown.end() && *at == whole ? int(at - shown.begin()) + 1 : -1;
}
