#pragma once

#include "logfiles/DatabaseLoading.h"
#include "logfiles/LogGrowth.h"
#include "platform/Language.h"
#include "records/RecordGridModel.h"
#include "records/TagSheet.h"
#include "records/TimeIndex.h"
#include "records/ValueFormat.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class LogFile;
class WorkProgress;

// The open log file and the record grid read from it, without a window: the
// file's path and kind, the buffer and display format it is read in, the size
// limits, and what the last read made of it. The windows observe it and turn
// its outcomes into messages and control states; the command line reads
// through it as well.
//
// A load that its progress stops throws WorkStopped out of the call, the grid
// as far as it got; whoever ran the work puts back what it kept (keep()).
class LogDocument : public QObject
{
    Q_OBJECT
public:
    enum class FileKind {
        None, // nothing open, or the file was not a log of any kind
        AlarmDatabase,
        RecordDatabase,
        BinaryAlarms,
        BinaryData,
    };

    enum class Status {
        Loaded,
        // The buffer's table has no rows: the grid is its title row.
        NoData,
        // The file could not be opened or holds less than a header block.
        NotOpened,
        // Neither a binary log nor an SQLite file.
        InvalidDatabase,
        // The alarm database could not be read (cause); the rows read stay.
        DatabaseFailed,
        // The buffer's table is missing or could not be read (cause).
        NotCreated,
        // A database result over the limits (records, bytesNeeded); the grid is empty.
        TooLarge,
        // A binary file's records over the memory budget (records, bytesNeeded,
        // fileBytes); the grid is empty.
        FileTooLarge,
        // A binary file ended inside a record; the records before it stay.
        ShortRead,
        // Read again, the file no longer has the signature; the grid is empty.
        SignatureLost,
        // The open file could not be opened again; the grid is as it was.
        Unreadable,
    };

    struct Outcome
    {
        Outcome(Status status = Status::Loaded)
            : status(status)
        { }
        Status status;
        // In the library's or the system's words, for DatabaseFailed and NotCreated.
        QString cause;
        qint64 records = 0;
        qint64 bytesNeeded = 0;
        qint64 fileBytes = 0;
        // A database result was fetched (the count display shows that it is whole).
        bool fetched = false;
    };

    // Whether the grid holds the open file's records.
    enum class GridState { Empty, Loaded, Failed };

    explicit LogDocument(QObject *parent = nullptr);
    ~LogDocument() override;

    RecordGridModel &grid() { return m_grid; }
    const RecordGridModel &grid() const { return m_grid; }
    QString path() const { return m_path; }
    FileKind kind() const { return m_kind; }
    bool isDatabase() const;
    bool holdsAlarms() const;
    // The record buffer of a data record database, 1 .. 12.
    int buffer() const { return m_buffer; }
    ValueFormat::Format format() const { return m_format; }
    GridState gridState() const { return m_gridState; }
    // A data record layout: the display format may change.
    bool formatSelectable() const;

    // The tag sheet that names and scales the value columns of data records,
    // read from `path`; none: the display format decides, as without one.
    // Takes effect with the next load.
    void setTagSheet(std::optional<TagSheet> sheet, const QString &path = {});
    const std::optional<TagSheet> &tagSheet() const { return m_tagSheet; }
    QString tagSheetPath() const { return m_tagSheetPath; }
    // A sheet is on and the file holds data records: the sheet, not the
    // display format, decides the value columns.
    bool tagSheetDecides() const;

    // The language of the grid's title row in the loads to come.
    void setTitleLanguage(Language language) { m_language = language; }
    // Records shown as they are read (rowRead) instead of once at the end.
    void setDynamicLoad(bool dynamic) { m_dynamic = dynamic; }
    // Memory the records may take; empty: unknown. Left unset, the machine's
    // available physical memory.
    void setMemoryBudget(std::function<std::optional<qint64>()> budget);
    // Asked as the loads go; may stop them.
    void setProgress(WorkProgress *progress) { m_progress = progress; }
    // The bounds of a database load: the standard ones, within the memory budget.
    LoadLimits databaseLimits() const;

    // Opens `path` and reads it whole: buffer 1, the first display format,
    // every record shown.
    Outcome open(const QString &path);
    // A data record database's buffer (1 .. 12), read anew.
    Outcome selectBuffer(int buffer);
    // The open data records read anew in `format`.
    Outcome selectFormat(ValueFormat::Format format);
    // Opens the file again with the same buffer and display format: the
    // outcome of each step taken.
    struct ReloadSteps
    {
        Outcome open;
        std::optional<Outcome> buffer;
        std::optional<Outcome> format;
    };
    ReloadSteps reload();
    // The records a binary file that only grew has gained, added to the grid.
    Outcome readGrowth();
    // Closes the grid: empty, nothing loaded; the path stays for a reload.
    void clear();

    // The records shown by their time: those whose time lies in [from,
    // until], bounds included, a missing bound open. Rows without a time are
    // outside every range. Neither bound: every row.
    struct TimeRange
    {
        std::optional<qint64> from;
        std::optional<qint64> until;
        bool limits() const { return from || until; }
        friend bool operator==(const TimeRange &, const TimeRange &) = default;
    };
    // Shows the grid's records of `range`; it stays through a buffer or
    // format change, a reload and growth, until another file is opened.
    void setTimeRange(const TimeRange &range);
    TimeRange timeRange() const { return m_range; }
    // The times of the whole grid's rows, made when first asked after a load.
    const TimeIndex &timeIndex() const;
    // The records of the whole grid, shown or not.
    int wholeRecordCount() const;
    // The time of a shown row (data records: its date and time; alarms: its
    // alarm time); none when it has none.
    std::optional<qint64> rowTime(int row) const;
    // The shown row of the earliest time at or after `time`; -1 when none is.
    int firstShownRowAtOrAfter(qint64 time) const;

    // How the file changed since the grid was read from it.
    LogGrowth::Change changeSinceRead() const;
    // Marks where the next read of a binary file starts, when the grid holds
    // it whole; forgets the marks otherwise.
    void rememberGrowth();
    void forgetGrowth() { m_growth.forget(); }

    // What a load changes, to put back when the load is given up.
    struct Kept
    {
        RecordGridModel::KeptGrid grid;
        QString path;
        FileKind kind = FileKind::None;
        int buffer = 1;
        ValueFormat::Format format = ValueFormat::Format::Unsigned16;
        GridState gridState = GridState::Empty;
        std::optional<TagSheet> tagSheet;
        QString tagSheetPath;
        std::shared_ptr<const RecordGridModel::TagColumns> tagColumns;
        TimeRange range;
    };
    Kept keep() const;
    void restore(Kept &kept);

signals:
    // A record was read during a dynamic load (row 1 = first record).
    void rowRead(int row);
    // A dynamic load has ended.
    void dynamicLoadDone();

private:
    Outcome openFile(const QString &path);
    // After a load: the index goes, and the range is shown again on the new rows.
    void showRangeAgain();
    Outcome loadAlarmDatabase();
    Outcome loadRecordBuffer();
    Outcome readBinary(LogFile &file);
    Outcome rereadBinaryData();
    // The sheet's columns for the buffer shown, or the display format's
    // when there is no sheet: after every load of data records.
    void applyTagSheet();
    Outcome fillBinary(qint64 fileSize, ValueFormat::Format format, bool dynamic,
                       const std::function<bool()> &read);

    RecordGridModel m_grid;
    QString m_path;
    FileKind m_kind = FileKind::None;
    int m_buffer = 1;
    ValueFormat::Format m_format = ValueFormat::Format::Unsigned16;
    GridState m_gridState = GridState::Empty;
    std::optional<TagSheet> m_tagSheet;
    QString m_tagSheetPath;
    Language m_language = Language::Chinese;
    bool m_dynamic = false;
    std::function<std::optional<qint64>()> m_memoryBudget;
    WorkProgress *m_progress = nullptr;
    LogGrowth m_growth;
    TimeRange m_range;
    mutable std::unique_ptr<TimeIndex> m_timeIndex;
};
