#pragma once

// A thin read-only object layer over the SQLite C library: a connection, queries and a fully
// fetched in-memory result table. Every failure is an SqliteError.

#include "dataaccess/CellStorage.h"
#include "dataaccess/SqliteResultCodes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

QT_BEGIN_NAMESPACE
class QBuffer;
QT_END_NAMESPACE

class PrivateFolder;
class WorkProgress;
namespace FileLocks {
class SharedLock;
}

class SqliteError : public std::runtime_error
{
public:
    explicit SqliteError(const QString &message);
    explicit SqliteError(const char *utf8Message);
    // `cause`: why, in the library's or the system's words; `code`: the library's result code.
    SqliteError(const QString &message, const QString &cause, int code = 0);

    // what() as text.
    QString message() const { return QString::fromUtf8(what()); }
    // Why it failed as a user may read it ("database is locked"), empty when the layer itself
    // refused (the message says why).
    QString cause() const { return m_cause; }
    // The library's result code, 0 when the library reported none.
    int code() const { return m_code; }

private:
    QString m_cause;
    int m_code = 0;
};

// A fetch stopped because its result passed the connection's limits: `records` rows had been
// fetched and `bytes` were held by the table and the library when it stopped.
class SqliteTooLarge : public SqliteError
{
public:
    SqliteTooLarge(quint64 records, quint64 bytes);
    quint64 records() const { return m_records; }
    quint64 bytes() const { return m_bytes; }

private:
    quint64 m_records;
    quint64 m_bytes;
};

class SqliteTable;

class SqliteDatabase
{
public:
    enum class OpenMode {
        // Reads only: never creates, changes or adds files next to the database; a missing
        // file fails at open. Waits up to ReadOnlyBusyWaitMs for a writer's lock.
        ReadOnly,
    };
    static constexpr int ReadOnlyBusyWaitMs = 2000;

    // Bounds on what one fetch from this connection may take: rows, and bytes held by the table
    // and the library together (0: no bound). A fetch that passes one raises SqliteTooLarge.
    struct FetchLimits
    {
        quint64 rows = 0;
        quint64 bytes = 0;
        // Asked as rows come and while a step runs long; a fetch it stops throws WorkStopped.
        WorkProgress *progress = nullptr;
    };

    SqliteDatabase(const QString &fileName, OpenMode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    // Runs the first statement of `sql` and fetches its whole result.
    std::unique_ptr<SqliteTable> QueryTable(const QString &sql);
    // Runs the first statement of `sql` and hands each row to `visitor` as it is stepped; the
    // table returned holds no rows, only the count and the columns.
    std::unique_ptr<SqliteTable>
    QueryRows(const QString &sql, const std::function<quint64(const SqliteTable &)> &visitor);

    // Raises `message`, followed by the connection's last error when there is one.
    [[noreturn]] void RaiseLastError(const QString &message, const QString &sql);

    sqlite3 *Handle() const { return m_handle; }

    void SetFetchLimits(const FetchLimits &limits) { m_limits = limits; }
    const FetchLimits &Limits() const { return m_limits; }

private:
    int openReadOnly(const QString &fileName, QString &failure);
    int openSnapshot(const QString &path, QString &failure);
    void close() noexcept;

    sqlite3 *m_handle = nullptr;
    FetchLimits m_limits;
    // Held while a live writer's files are read in place, so that they stay.
    std::unique_ptr<FileLocks::SharedLock> m_keep;
    // The private copy a read-only connection reads when the file cannot be read in place.
    std::unique_ptr<PrivateFolder> m_snapshot;
};

// The whole result of one query, held in memory, with a forward-only cursor over its rows.
// Reads refer to the current row; column positions come from FieldNumber.
class SqliteTable
{
public:
    // Called with the table on each row as it is stepped; the row's reads are valid until the
    // visitor returns. It returns the bytes its caller now keeps for the rows so far, which
    // count against the connection's fetch limits in place of the table's own.
    using RowVisitor = std::function<quint64(const SqliteTable &)>;

    SqliteTable(SqliteDatabase &db, const QString &sql);
    // Steps the rows through `visitor` instead of keeping them: afterwards the table is at its
    // end, with RecordCount() rows stepped.
    SqliteTable(SqliteDatabase &db, const QString &sql, const RowVisitor &visitor);
    ~SqliteTable();
    SqliteTable(const SqliteTable &) = delete;
    SqliteTable &operator=(const SqliteTable &) = delete;

    quint32 RecordCount() const { return m_recordCount; }
    quint32 ColumnCount() const { return m_columnCount; }
    bool AtEnd() const { return m_currentRow >= m_recordCount; }
    bool MoveNext();

    // Position of the first column whose (upper-cased) name equals `name` regardless of case.
    int FieldNumber(const QString &name) const;

    qint64 IntegerValue(int col) const;
    // True when the cell's DisplayTextView is the decimal of an integer, given in `value`: a
    // non-empty cell of an integer column. Lets a reader keep the number instead of its text.
    bool DisplayInteger(int col, qint64 &value) const;
    // The cell's text, without allocating: a view into the table for text cells, or into
    // `scratch` (reused, grown once) for the others; empty for an empty cell. The view lives
    // until the table or `scratch` changes.
    QByteArrayView DisplayTextView(int col, QByteArray &scratch) const;

private:
    enum class CellTag : quint8 { Empty, Integer, Float, Text, Blob };

    // One value of 16 bytes: numbers inline, texts in the arena, blobs in their own list.
    struct Cell
    {
        union {
            qint64 integer;
            double real;
            quint64 offset; // text: TextStore::Span bits in m_texts; blob: index into m_blobs
            const char *row; // text of a row being visited: the library's own bytes
        };
        quint32 length = 0; // text length
        CellTag tag = CellTag::Empty;
    };
    static_assert(sizeof(Cell) == 16);

    // Prepares and fetches (or visits) the statement's rows.
    void run(SqliteDatabase &db, const QString &sql);
    void fetch(SqliteDatabase &db, sqlite3_stmt *statement, const QString &sql);
    bool pastLimits(bool withLibrary) const;
    [[noreturn]] void raiseTooLarge(quint64 library) const;
    static int progress(void *context);
    void readColumns(sqlite3_stmt *statement);
    void appendRow(sqlite3_stmt *statement);
    void visitRow(sqlite3_stmt *statement);
    // Reads a non-NULL cell's number or blob; a text is left to the caller.
    bool readCell(sqlite3_value *value, int col, Cell &cell);
    static qsizetype textLength(const char *text, int bytes);
    const Cell &cell(int col) const;
    int kind(int col) const { return m_kinds[size_t(col)]; }
    QByteArrayView storedText(const Cell &c) const;
    QByteArrayView textView(int col, char *buffer, qsizetype capacity) const;
    // The cell's stream (owned by the table), or none for an empty cell.
    QBuffer *BlobStream(int col) const;
    QByteArray BlobContentText(int col) const;

    ChunkedVector<Cell> m_cells;
    // While rows are visited: the current row's cells only.
    const RowVisitor *m_visitor = nullptr;
    std::vector<Cell> m_row;
    quint32 m_recordCount = 0;
    quint32 m_columnCount = 0;
    std::vector<QString> m_names;
    std::vector<int> m_kinds;
    quint32 m_currentRow = 0;
    TextStore m_texts;
    std::vector<std::unique_ptr<QBuffer>> m_blobs;
    QByteArray m_decimalPoint;
    SqliteDatabase::FetchLimits m_limits;
    quint64 m_heldBytes = 0; // cells, texts and blobs so far
    std::optional<quint64> m_stoppedWith; // the library's memory when the limits stopped a step
    bool m_workStopped = false; // the progress stopped a step
};
