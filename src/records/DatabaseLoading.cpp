#include "records/DatabaseLoading.h"

#include "dataaccess/SQLiteTable3.h"
#include "records/GridLayout.h"
#include "records/MainTexts.h"
#include "records/RecordGridModel.h"
#include "records/ValueFormat.h"

#include <QtGlobal>

#include <array>
#include <memory>

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Texts shown as stored: decoded with the system's 8-bit code page, which
// is a no-op for the ASCII that dates, times and numbers are made of.
void setStoredText(RecordGridModel &grid, int col, int row, QByteArrayView bytes)
{
    if (isAscii(bytes))
        grid.setCellUtf8(col, row, bytes);
    else
        grid.setCell(col, row, QString::fromLocal8Bit(bytes));
}

// Alarm texts are UTF-8; a byte that is no part of a well-formed sequence
// shows as U+FFFD and the rest of the text stays.
void setUtf8Text(RecordGridModel &grid, int col, int row, QByteArrayView bytes)
{
    if (isAscii(bytes))
        grid.setCellUtf8(col, row, bytes);
    else
        grid.setCell(col, row, QString::fromUtf8(bytes));
}

void setInteger(RecordGridModel &grid, int col, int row, qint64 value)
{
    grid.setCellUtf8(col, row, ValueFormat::decimal(value).view());
}

// Stops a load that must end with the not-created message.
struct UnreadableValue
{ };

// Text the grid keeps per record beyond the cells' own places, as the loaders reserve it.
constexpr quint64 kGridTextPerRecord = 96;
constexpr quint64 kGridBytesPerCell = 8;

TSQLiteDatabase::FetchLimits fetchLimits(const LoadLimits &limits)
{
    return {limits.records, limits.bytes};
}

TooLarge refusal(const ESQLiteTooLarge &e, int columns)
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
        TSQLiteDatabase db(fileName, TSQLiteDatabase::OpenMode::ReadOnly);
        db.SetFetchLimits(fetchLimits(limits));
        std::unique_ptr<TSQLiteTable> table = db.QueryTable(QStringLiteral("select * from Ldata"));
        result.fetched = true;
        const int records = int(std::min<quint32>(table->RecordCount(), INT_MAX - 1));
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
        }
    } catch (const ESQLiteTooLarge &e) {
        result.tooLarge = refusal(e, grid.cols());
    } catch (const ESQLiteException &) {
        result.failed = true;
    } catch (const std::bad_alloc &) {
        result.failed = true;
    }
    return result;
}

RecordLoadResult loadDataRecords(const QString &fileName, int buffer, int format, bool chinese,
                                 RecordGridModel &grid, const LoadLimits &limits)
{
    RecordLoadResult result;
    const auto fmt = static_cast<ValueFormat::Format>(format);
    const bool pairs = ValueFormat::isPairFormat(fmt);
    try {
        TSQLiteDatabase db(fileName, TSQLiteDatabase::OpenMode::ReadOnly);
        db.SetFetchLimits(fetchLimits(limits));
        std::unique_ptr<TSQLiteTable> table = db.QueryTable(bufferQuery(buffer));
        if (table->RecordCount() == 0) {
            result.status = RecordLoadStatus::NoData;
            return result;
        }
        const int records = int(std::min<quint32>(table->RecordCount(), INT_MAX - 1));
        grid.setRows(records + 1);
        result.fetchedRows = true;
        GridLayout::setDataRecords(grid, chinese, format);
        grid.reserveText(qsizetype(records) * 96);

        const int id = table->FieldNumber(QStringLiteral("ID"));
        const int date = table->FieldNumber(QStringLiteral("N1"));
        const int time = table->FieldNumber(QStringLiteral("N2"));
        std::array<int, 10> value {};
        for (int v = 0; v < 10; ++v)
            value[size_t(v)] = table->FieldNumber(QStringLiteral("N") + QString::number(3 + v));

        const ValueFormat::DecimalSeparator separator = ValueFormat::DecimalSeparator::system();
        QByteArray scratch;
        QByteArray lowScratch;
        ValueFormat::Text text;
        for (int i = 1; i <= records; ++i) {
            setInteger(grid, 0, i, table->IntegerValue(id));
            setStoredText(grid, 1, i, table->DisplayTextView(date, scratch));
            setStoredText(grid, 2, i, table->DisplayTextView(time, scratch));
            if (!pairs) {
                for (int v = 0; v < 10; ++v) {
                    const QByteArrayView stored = table->DisplayTextView(value[size_t(v)], scratch);
                    if (fmt == ValueFormat::Format::Unsigned16) {
                        setStoredText(grid, 3 + v, i, stored);
                    } else {
                        if (!ValueFormat::storedWordText(fmt, stored, text))
                            throw UnreadableValue {};
                        grid.setCellUtf8(3 + v, i, text.view());
                    }
                }
            } else {
                for (int p = 0; p < 5; ++p) {
                    const QByteArrayView low
                        = table->DisplayTextView(value[size_t(2 * p)], lowScratch);
                    const QByteArrayView high
                        = table->DisplayTextView(value[size_t(2 * p + 1)], scratch);
                    if (!ValueFormat::storedPairText(fmt, low, high, separator, text))
                        throw UnreadableValue {};
                    grid.setCellUtf8(3 + p, i, text.view());
                }
            }
            table->MoveNext();
        }
        result.status = RecordLoadStatus::Loaded;
    } catch (const ESQLiteTooLarge &e) {
        result.status = RecordLoadStatus::TooLarge;
        result.tooLarge
            = refusal(e, ValueFormat::isPairFormat(ValueFormat::Format(format)) ? 8 : 13);
    } catch (const ESQLiteException &) {
        result.status = RecordLoadStatus::NotCreated;
    } catch (const UnreadableValue &) {
        result.status = RecordLoadStatus::NotCreated;
    } catch (const std::bad_alloc &) {
        result.status = RecordLoadStatus::NotCreated;
    }
    return result;
}
