#include "logfiles/DatabaseLoading.h"

#include "dataaccess/SqliteDatabase.h"
#include "platform/WorkProgress.h"
#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "records/StoredRecords.h"
#include "records/ValueFormat.h"
#include "texts/MainTexts.h"

#include <QtGlobal>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A NUL byte as the grid shows it: U+2400 SYMBOL FOR NULL, in UTF-8.
constexpr char kNulSymbol[] = "\xE2\x90\x80";

// `bytes` with each NUL byte shown as its symbol; `bytes` itself when it holds none.
QByteArrayView withNulSymbols(QByteArrayView bytes, QByteArray &shown)
{
    if (!bytes.contains('\0'))
        return bytes;
    shown = bytes.toByteArray();
    shown.replace('\0', QByteArrayView(kNulSymbol));
    return shown;
}

// Why a read failed, as a user may read it: the library's words, or the layer's own.
QString causeOf(const SqliteError &e)
{
    return e.cause().isEmpty() ? e.message() : e.cause();
}

QString outOfMemory()
{
    return QString::fromLocal8Bit(std::strerror(ENOMEM));
}

// Alarm texts are UTF-8; a byte that is no part of a well-formed sequence
// shows as U+FFFD and the rest of the text stays.
void setUtf8Text(RecordGridModel &grid, int col, int row, QByteArrayView stored)
{
    QByteArray scratch;
    const QByteArrayView bytes = withNulSymbols(stored, scratch);
    if (isAscii(bytes))
        grid.setCellUtf8(col, row, bytes);
    else
        grid.setCell(col, row, QString::fromUtf8(bytes));
}

void setInteger(RecordGridModel &grid, int col, int row, qint64 value)
{
    grid.setCellUtf8(col, row, ValueFormat::decimal(value).view());
}

// Text the grid keeps per record beyond the cells' own places, as the loaders reserve it.
constexpr quint64 kGridTextPerRecord = 96;
constexpr quint64 kGridBytesPerCell = 8;

SqliteDatabase::FetchLimits fetchLimits(const LoadLimits &limits)
{
    return {limits.records, limits.bytes, limits.progress};
}

TooLarge refusal(const SqliteTooLarge &e, int columns)
{
    // The table's share was measured; the grid's copy is estimated from its layout.
    const quint64 grid = e.records() * (quint64(columns) * kGridBytesPerCell + kGridTextPerRecord);
    return {true, e.records(), e.bytes() + grid};
}

} // namespace

LoadLimits LoadLimits::standard()
{
    // Rows are counted in an int with the title row; the memory is what a 64-bit process can
    // spend on one result without pushing the rest of the system out.
    constexpr quint64 gib = quint64(1) << 30;
    return {quint64(INT_MAX - 2), sizeof(void *) >= 8 ? 4 * gib : gib / 2};
}

QString bufferQuery(int buffer)
{
    return QStringLiteral("select * from Buffer") + QString::number(buffer);
}

AlarmLoadResult loadAlarmDatabase(const QString &fileName, RecordGridModel &grid,
                                  const LoadLimits &limits)
{
    AlarmLoadResult result;
    try {
        SqliteDatabase db(fileName, SqliteDatabase::OpenMode::ReadOnly);
        db.SetFetchLimits(fetchLimits(limits));
        std::unique_ptr<SqliteTable> table = db.QueryTable(QStringLiteral("select * from Ldata"));
        result.fetched = true;
        const int records = int(std::min<quint32>(table->RecordCount(), INT_MAX - 1));
        stopUnlessGoing(limits.progress, records);
        grid.setRows(records + 1);
        // Names are looked up on the first row only (the answer is the same for
        // every row), each just before its column is written, so that a
        // missing column leaves the first row as far as it was written.
        std::array<int, 4> column {-1, -1, -1, -1};
        static const char *const names[4] = {"ID", "N0", "N1", "N2"};
        const auto at = [&](int c) {
            if (column[size_t(c)] < 0)
                column[size_t(c)] = table->FieldNumber(QLatin1String(names[c]));
            return column[size_t(c)];
        };
        QByteArray scratch;
        for (int i = 1; i <= records; ++i) {
            setInteger(grid, 0, i, table->IntegerValue(at(0)));
            for (int c = 1; c < 4; ++c)
                setUtf8Text(grid, c, i, table->DisplayTextView(at(c), scratch));
            table->MoveNext();
            if (i % 4096 == 0)
                stopUnlessGoing(limits.progress, i);
        }
    } catch (const SqliteTooLarge &e) {
        result.tooLarge = refusal(e, grid.cols());
    } catch (const SqliteError &e) {
        result.failed = true;
        result.cause = causeOf(e);
    } catch (const std::bad_alloc &) {
        result.failed = true;
        result.cause = outOfMemory();
    }
    return result;
}

namespace {

// A stored text as the grid shows it: UTF-8, from the system's 8-bit code
// page where it is not ASCII, with NUL bytes as their symbol.
QByteArrayView shownText(QByteArrayView stored, QByteArray &converted)
{
    if (isAscii(stored))
        return withNulSymbols(stored, converted);
#ifdef Q_OS_WIN
    // Windows' 8-bit code page is the ANSI one (936, GBK, on a Chinese PC),
    // never UTF-8: texts in UTF-8 read as on Linux, other bytes in that page.
    if (stored.isValidUtf8())
        return withNulSymbols(stored, converted);
#endif
    converted = QString::fromLocal8Bit(stored).toUtf8();
    converted.replace('\0', QByteArrayView(kNulSymbol));
    return converted;
}

// Reads a buffer's rows into StoredRecords, the columns looked up by name
// on the first row. A row that cannot be read or shown marks the load as
// failed, and the rows are still kept as far as they can be read: a result
// too large for memory is then refused as such, with what it truly takes.
class RecordReader
{
public:
    explicit RecordReader(const SqliteTable &table)
    {
        m_id = column(table, QStringLiteral("ID"));
        m_date = column(table, QStringLiteral("N1"));
        m_time = column(table, QStringLiteral("N2"));
        for (int v = 0; v < StoredRecords::Values; ++v)
            m_values[size_t(v)] = column(table, QStringLiteral("N") + QString::number(3 + v));
    }

    bool failed() const { return m_failed; }
    // Why the first row that failed could not be read; empty when only a value did not fit
    // the format.
    QString cause() const { return m_cause; }

    void read(const SqliteTable &table, StoredRecords &records)
    {
        qint64 id = 0;
        if (m_id >= 0) {
            try {
                id = table.IntegerValue(m_id);
            } catch (const SqliteError &e) {
                fail(e);
            }
        }
        const QByteArrayView date = text(table, m_date, 0);
        const QByteArrayView time = text(table, m_time, 1);
        std::array<StoredRecords::Value, StoredRecords::Values> values;
        for (int v = 0; v < StoredRecords::Values; ++v) {
            StoredRecords::Value &value = values[size_t(v)];
            const int col = m_values[size_t(v)];
            value.isInteger = col >= 0 && table.DisplayInteger(col, value.integer);
            if (!value.isInteger)
                value.text = text(table, col, 2 + v);
        }
        if (!records.append(id, date, time, values))
            m_failed = true;
    }

private:
    void fail(const SqliteError &e)
    {
        if (m_cause.isEmpty())
            m_cause = causeOf(e);
        m_failed = true;
    }
    int column(const SqliteTable &table, const QString &name)
    {
        try {
            return table.FieldNumber(name);
        } catch (const SqliteError &e) {
            fail(e);
            return -1;
        }
    }
    QByteArrayView text(const SqliteTable &table, int col, int slot)
    {
        if (col < 0)
            return {};
        return shownText(table.DisplayTextView(col, m_scratch[size_t(slot)]),
                         m_converted[size_t(slot)]);
    }

    int m_id = -1;
    int m_date = -1;
    int m_time = -1;
    std::array<int, StoredRecords::Values> m_values {};
    std::array<QByteArray, 2 + StoredRecords::Values> m_scratch;
    std::array<QByteArray, 2 + StoredRecords::Values> m_converted;
    bool m_failed = false;
    QString m_cause;
};

} // namespace

RecordLoadResult loadDataRecords(const QString &fileName, int buffer, ValueFormat::Format format,
                                 Language language, RecordGridModel &grid, const LoadLimits &limits)
{
    RecordLoadResult result;
    try {
        SqliteDatabase db(fileName, SqliteDatabase::OpenMode::ReadOnly);
        db.SetFetchLimits(fetchLimits(limits));
        auto records
            = std::make_unique<StoredRecords>(format, ValueFormat::DecimalSeparator::system());
        std::optional<RecordReader> reader;
        quint64 held = 0;
        const auto visit = [&](const SqliteTable &table) -> quint64 {
            if (!reader)
                reader.emplace(table);
            reader->read(table, *records);
            // The store grows a chunk at a time: counting it every 64 rows is close enough.
            if (records->count() % 64 == 1)
                held = quint64(records->memoryUse());
            return held;
        };
        const std::unique_ptr<SqliteTable> table = db.QueryRows(bufferQuery(buffer), visit);
        if (table->RecordCount() == 0) {
            result.status = RecordLoadStatus::NoData;
            return result;
        }
        result.fetchedRows = true;
        if (reader->failed()) {
            result.cause = reader->cause();
            return result;
        }
        // The earlier rows go before the layout changes, so nothing is copied.
        grid.setRows(1);
        GridLayout::setDataRecords(grid, language, format);
        grid.setStoredRecords(std::move(records));
        result.status = RecordLoadStatus::Loaded;
    } catch (const SqliteTooLarge &e) {
        result.status = RecordLoadStatus::TooLarge;
        // The records were counted as they were kept: what was held is what they need.
        result.tooLarge = {true, e.records(), e.bytes()};
    } catch (const SqliteError &e) {
        result.status = RecordLoadStatus::NotCreated;
        result.cause = causeOf(e);
    } catch (const std::bad_alloc &) {
        result.status = RecordLoadStatus::NotCreated;
        result.cause = outOfMemory();
    }
    return result;
}
