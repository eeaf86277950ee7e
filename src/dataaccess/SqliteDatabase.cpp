#include "dataaccess/SqliteDatabase.h"

#include "dataaccess/OpenPlan.h"
#include "dataaccess/ValueText.h"
#include "platform/FileLocks.h"
#include "platform/NativeName.h"
#include "platform/PrivateFolder.h"
#include "platform/WorkProgress.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

#include <cstring>
#include <limits>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A connection and its tables stay on the thread that made them, so the library need not lock
// around every call; a fetch makes millions of them.
constexpr int kOneThread = SQLITE_OPEN_NOMUTEX;

// Finalizes a statement however the operation that prepared it ends.
class StatementGuard
{
public:
    StatementGuard() = default;
    ~StatementGuard() { sqlite3_finalize(m_statement); }
    StatementGuard(const StatementGuard &) = delete;
    StatementGuard &operator=(const StatementGuard &) = delete;

    sqlite3_stmt **place() { return &m_statement; }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

[[noreturn]] void raise(const char *message)
{
    throw SqliteError(message);
}

// Kind of a column from its declared type: whole words, compared exactly.
int kindOfDeclaredType(const char *declared)
{
    static constexpr struct
    {
        const char *word;
        int kind;
    } kWords[] = {
        {"INTEGER", SQLITE_INTEGER}, {"BOOLEAN", SQLITE_INTEGER}, {"NUMERIC", SQLITE_FLOAT},
        {"FLOAT", SQLITE_FLOAT},     {"DOUBLE", SQLITE_FLOAT},    {"REAL", SQLITE_FLOAT},
        {"BLOB", SQLITE_BLOB},
    };
    for (const auto &w : kWords) {
        if (std::strcmp(declared, w.word) == 0)
            return w.kind;
    }
    return SQLITE_TEXT;
}

// Column names are upper-cased once when read and once per look-up, the same way.
QString upperName(const QString &name)
{
    return name.toUpper();
}

// The name of the file itself, links and "." and ".." resolved, by the
// name's bytes (which need not be text); empty when it cannot be resolved.
QString canonicalName(const QString &fileName)
{
#ifdef Q_OS_WIN
    return QFileInfo(fileName).canonicalFilePath();
#else
    char *resolved = ::realpath(nativeFileName(fileName).constData(), nullptr);
    if (!resolved)
        return {};
    const QString name = fileNameFromNative(QByteArray(resolved));
    std::free(resolved);
    return name;
#endif
}

// Copies `from` (by its name's bytes) to a new file `to` that only the user may read; the
// system's words for what failed, or nothing. (QFile::copy loses the reason a write failed,
// such as a full disk.)
QString copyFile(const QString &from, const QString &to)
{
    QFile source;
#ifdef Q_OS_WIN
    source.setFileName(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
#else
    const int fd = ::open(nativeFileName(from).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!source.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return source.errorString();
    }
#endif
    QFile target(to);
    // Unbuffered: a short write is retried, and the retry names the system's reason.
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                     QFile::ReadOwner | QFile::WriteOwner))
        return target.errorString();
    QByteArray block(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(block.data(), block.size());
        if (n < 0)
            return source.errorString();
        if (n == 0)
            break;
        for (qint64 done = 0; done < n;) {
            const qint64 written = target.write(block.constData() + done, n - done);
            if (written <= 0)
                return target.errorString();
            done += written;
        }
    }
    target.close();
    if (target.error() != QFileDevice::NoError)
        return target.errorString();
    return {};
}

} // namespace

// --- SqliteError ---------------------------------------------------------------------------

SqliteError::SqliteError(const QString &message)
    : std::runtime_error(message.toUtf8().toStdString())
{ }

SqliteError::SqliteError(const char *utf8Message)
    : std::runtime_error(utf8Message)
{ }

SqliteError::SqliteError(const QString &message, const QString &cause, int code)
    : std::runtime_error(message.toUtf8().toStdString())
    , m_cause(cause)
    , m_code(code)
{ }

SqliteTooLarge::SqliteTooLarge(quint64 records, quint64 bytes)
    : SqliteError(QStringLiteral("Could not retrieve data: %1 records need more than %2 bytes")
                      .arg(records)
                      .arg(bytes))
    , m_records(records)
    , m_bytes(bytes)
{ }

// --- SqliteDatabase ----------------------------------------------------------------------------

SqliteDatabase::SqliteDatabase(const QString &fileName, OpenMode)
{
    QString detail; // why, when the library cannot say
    const int result = openReadOnly(fileName, detail);
    if (result == SQLITE_OK)
        return;

    const int code = m_handle ? sqlite3_errcode(m_handle) : result;
    if (detail.isEmpty())
        detail = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                          : QStringLiteral("unknown error");
    close();
    throw SqliteError(QStringLiteral("Failed to open database \"%1\" : %2").arg(fileName, detail),
                      detail, code);
}

SqliteDatabase::~SqliteDatabase()
{
    close();
}

int SqliteDatabase::openReadOnly(const QString &fileName, QString &failure)
{
    // The files that matter lie beside the file itself, not beside a link to it.
    const QString canonical = canonicalName(fileName);
    const QString path = canonical.isEmpty() ? fileName : canonical;

    // A writer that closes removes its log and index unless another connection holds the
    // database: hold it as a reader does before looking, so what is seen stays until the open.
    bool kept = false;
    if (peekDatabaseFiles(path).usesLog()) {
        m_keep = std::make_unique<FileLocks::SharedLock>();
        kept = m_keep->acquire(path, kSharedLockFirst, kSharedLockSize, ReadOnlyBusyWaitMs);
    }
    int result = SQLITE_OK;
    switch (chooseReadOnlyWay(inspectDatabaseFiles(path), kept)) {
    case ReadOnlyWay::Plain:
        result = sqlite3_open_v2(fileUri(path, "mode=ro").constData(), &m_handle,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | kOneThread, nullptr);
        break;
    case ReadOnlyWay::Immutable:
        m_keep.reset();
        result = sqlite3_open_v2(fileUri(path, "mode=ro&immutable=1").constData(), &m_handle,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | kOneThread, nullptr);
        break;
    case ReadOnlyWay::Snapshot:
        result = openSnapshot(path, failure);
        m_keep.reset();
        break;
    }
    // A log being written is the normal case: wait for its writer a while.
    if (result == SQLITE_OK)
        sqlite3_busy_timeout(m_handle, ReadOnlyBusyWaitMs);
    // A query's sorts and temporary tables stay in memory, where a fetch's limits see them,
    // rather than growing files in the system's temporary folder.
    if (result == SQLITE_OK)
        result = sqlite3_exec(m_handle, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    return result;
}

int SqliteDatabase::openSnapshot(const QString &path, QString &failure)
{
    // The copy is ours: the library may add its "-shm" there, and the connection is made
    // query-only so it still behaves as read-only.
    m_snapshot = std::make_unique<PrivateFolder>();
    if (!m_snapshot->isValid()) {
        failure = QStringLiteral("Could not make a private copy in %1: %2")
                      .arg(QDir::toNativeSeparators(QDir::tempPath()), m_snapshot->errorString());
        return SQLITE_CANTOPEN;
    }
    const QString copy = m_snapshot->filePath(QStringLiteral("snapshot.db"));
    for (const char *added : {"-wal", "-shm", "-journal"})
        m_snapshot->filePath(QStringLiteral("snapshot.db") + QLatin1String(added));
    for (const QString &s : {QString(), QStringLiteral("-wal")}) {
        const QString error = copyFile(path + s, copy + s);
        if (!error.isEmpty()) {
            failure = QStringLiteral("Could not make a private copy in %1: %2")
                          .arg(QDir::toNativeSeparators(m_snapshot->path()), error);
            return SQLITE_CANTOPEN;
        }
    }
    int result = sqlite3_open_v2(fileUri(copy, {}).constData(), &m_handle,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | kOneThread, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_exec(m_handle, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    return result;
}

void SqliteDatabase::close() noexcept
{
    if (m_handle)
        sqlite3_close(m_handle);
    m_handle = nullptr;
}

std::unique_ptr<SqliteTable> SqliteDatabase::QueryTable(const QString &sql)
{
    return std::make_unique<SqliteTable>(*this, sql);
}

std::unique_ptr<SqliteTable> SqliteDatabase::QueryRows(const QString &sql,
                                                       const SqliteTable::RowVisitor &visitor)
{
    return std::make_unique<SqliteTable>(*this, sql, visitor);
}

void SqliteDatabase::RaiseLastError(const QString &message, const QString &sql)
{
    const int code = sqlite3_errcode(m_handle);
    if (code == SQLITE_OK)
        throw SqliteError(message);
    const QString detail = QString::fromUtf8(sqlite3_errmsg(m_handle));
    // Joined, not formatted: a message or SQL text may hold '%' signs of its own.
    throw SqliteError(message + QStringLiteral(".\rError [") + QString::number(code)
                          + QStringLiteral("]: ") + ErrorCodeText(code) + QStringLiteral(".\r\"")
                          + sql + QStringLiteral("\": ") + detail,
                      detail, code);
}

// --- SqliteTable -------------------------------------------------------------------------------

SqliteTable::SqliteTable(SqliteDatabase &db, const QString &sql)
{
    run(db, sql);
    m_currentRow = 0;
}

SqliteTable::SqliteTable(SqliteDatabase &db, const QString &sql, const RowVisitor &visitor)
    : m_visitor(&visitor)
{
    run(db, sql);
    m_visitor = nullptr;
    m_row.clear();
    m_currentRow = m_recordCount;
}

void SqliteTable::run(SqliteDatabase &db, const QString &sql)
{
    StatementGuard statement;
    if (sqlite3_prepare_v2(db.Handle(), sql.toUtf8().constData(), -1, statement.place(), nullptr)
        != SQLITE_OK)
        db.RaiseLastError(QStringLiteral("Error executing SQL"), sql);
    if (!statement.get())
        db.RaiseLastError(QStringLiteral("Could not prepare SQL statement"), sql);
    m_decimalPoint = QLocale::system().decimalPoint().toUtf8();
    m_limits = db.Limits();
    fetch(db, statement.get(), sql);
}

SqliteTable::~SqliteTable() = default;

namespace {

// Keeps a progress handler on the connection for one fetch.
class ProgressHandler
{
public:
    ProgressHandler(sqlite3 *db, int (*handler)(void *), void *context)
        : m_db(handler ? db : nullptr)
    {
        // Often enough to stop a query that grows inside the library within a few megabytes.
        if (m_db)
            sqlite3_progress_handler(m_db, 10000, handler, context);
    }
    ~ProgressHandler()
    {
        if (m_db)
            sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
    ProgressHandler(const ProgressHandler &) = delete;
    ProgressHandler &operator=(const ProgressHandler &) = delete;

private:
    sqlite3 *m_db;
};

} // namespace

bool SqliteTable::pastLimits(bool withLibrary) const
{
    if (m_limits.rows != 0 && m_recordCount > m_limits.rows)
        return true;
    // The library's count takes a lock: once per row would slow a large fetch down.
    const quint64 library = withLibrary ? quint64(sqlite3_memory_used()) : 0;
    return m_limits.bytes != 0 && m_heldBytes + library > m_limits.bytes;
}

void SqliteTable::raiseTooLarge(quint64 library) const
{
    throw SqliteTooLarge(m_recordCount, m_heldBytes + library);
}

int SqliteTable::progress(void *context)
{
    auto *table = static_cast<SqliteTable *>(context);
    // A query may run long before its first row (a recursive view, a join of large tables).
    if (WorkProgress *work = table->m_limits.progress;
        work && !work->keepGoing(table->m_recordCount)) {
        table->m_workStopped = true;
        return 1;
    }
    if (!table->pastLimits(true))
        return 0;
    // Measured now: the library frees what the query held before the step returns.
    table->m_stoppedWith = quint64(sqlite3_memory_used());
    return 1;
}

void SqliteTable::fetch(SqliteDatabase &db, sqlite3_stmt *statement, const QString &sql)
{
    // A query may also grow inside the library without yielding rows (a sort, a recursive
    // union): the handler looks at the library's memory as well while a step runs.
    const bool limited = m_limits.rows != 0 || m_limits.bytes != 0;
    WorkProgress *const work = m_limits.progress;
    const ProgressHandler handler(db.Handle(), limited || work ? &SqliteTable::progress : nullptr,
                                  this);
    for (int result = sqlite3_step(statement); result != SQLITE_DONE;
         result = sqlite3_step(statement)) {
        if (result == SQLITE_INTERRUPT && m_workStopped) {
            sqlite3_reset(statement);
            throw WorkStopped();
        }
        if (result == SQLITE_BUSY)
            throw SqliteError(QStringLiteral("Could not prepare SQL statement"),
                              QString::fromUtf8(sqlite3_errmsg(db.Handle())), result);
        if (result == SQLITE_INTERRUPT && m_stoppedWith)
            raiseTooLarge(*m_stoppedWith);
        if (result != SQLITE_ROW) {
            sqlite3_reset(statement);
            db.RaiseLastError(QStringLiteral("Could not retrieve data"), sql);
        }
        // The cursor and the count are 32 bits wide.
        if (m_recordCount == std::numeric_limits<quint32>::max())
            raise("Could not retrieve data: too many rows");
        ++m_recordCount;
        if (m_recordCount == 1)
            readColumns(statement);
        if (m_visitor) {
            visitRow(statement);
        } else {
            appendRow(statement);
        }
        if (limited && pastLimits(false))
            raiseTooLarge(quint64(sqlite3_memory_used()));
        if (m_recordCount % 256 == 0)
            stopUnlessGoing(work, m_recordCount);
    }
}

void SqliteTable::readColumns(sqlite3_stmt *statement)
{
    m_columnCount = quint32(sqlite3_column_count(statement));
    m_names.reserve(m_columnCount);
    m_kinds.reserve(m_columnCount);
    for (quint32 c = 0; c < m_columnCount; ++c)
        m_names.push_back(upperName(QString::fromUtf8(sqlite3_column_name(statement, int(c)))));
    for (quint32 c = 0; c < m_columnCount; ++c) {
        const char *declared = sqlite3_column_decltype(statement, int(c));
        m_kinds.push_back(declared ? kindOfDeclaredType(declared)
                                   : sqlite3_column_type(statement, int(c)));
    }
}

void SqliteTable::visitRow(sqlite3_stmt *statement)
{
    // Only this row is held: its texts stay in the library until the next step.
    m_row.assign(m_columnCount, Cell());
    m_blobs.clear();
    for (quint32 c = 0; c < m_columnCount; ++c) {
        Cell &cell = m_row[c];
        sqlite3_value *value = sqlite3_column_value(statement, int(c));
        if (readCell(value, int(c), cell) && cell.tag == CellTag::Text) {
            cell.row = reinterpret_cast<const char *>(sqlite3_value_text(value));
            cell.length = quint32(textLength(cell.row, sqlite3_value_bytes(value)));
        }
    }
    m_currentRow = m_recordCount - 1;
    m_heldBytes = (*m_visitor)(*this);
}

qsizetype SqliteTable::textLength(const char *text, int bytes)
{
    // Every byte the database holds, NUL bytes included: a text is not cut at its first NUL.
    return text ? bytes : 0;
}

bool SqliteTable::readCell(sqlite3_value *value, int col, Cell &cell)
{
    // The column's value is read once through its handle rather than by position for each
    // call; connections are single-threaded (no mutex), so the handle needs no protection.
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return false;
    switch (m_kinds[size_t(col)]) {
    case SQLITE_INTEGER:
        cell.integer = sqlite3_value_int64(value);
        cell.tag = CellTag::Integer;
        break;
    case SQLITE_FLOAT:
        cell.real = sqlite3_value_double(value);
        cell.tag = CellTag::Float;
        break;
    case SQLITE_BLOB: {
        const int n = sqlite3_value_bytes(value);
        if (n == 0)
            break;
        auto stream = std::make_unique<QBuffer>();
        stream->open(QIODevice::ReadWrite);
        stream->write(static_cast<const char *>(sqlite3_value_blob(value)), n);
        if (!m_visitor)
            m_heldBytes += quint64(n) + sizeof(QBuffer) + 64;
        cell.offset = m_blobs.size();
        cell.tag = CellTag::Blob;
        m_blobs.push_back(std::move(stream));
        break;
    }
    default:
        cell.tag = CellTag::Text;
        break;
    }
    return true;
}

void SqliteTable::appendRow(sqlite3_stmt *statement)
{
    for (quint32 c = 0; c < m_columnCount; ++c) {
        const int col = int(c);
        Cell cell;
        sqlite3_value *value = sqlite3_column_value(statement, col);
        if (readCell(value, col, cell) && cell.tag == CellTag::Text) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
            const qsizetype length = textLength(text, sqlite3_value_bytes(value));
            cell.offset = m_texts.add(QByteArrayView(text, length)).bits;
            m_heldBytes += quint64(length);
            cell.length = quint32(length);
        }
        m_cells.push_back(cell);
    }
    m_heldBytes += quint64(m_columnCount) * sizeof(Cell);
}

bool SqliteTable::MoveNext()
{
    if (AtEnd())
        return false;
    ++m_currentRow;
    return true;
}

int SqliteTable::FieldNumber(const QString &name) const
{
    if (m_names.empty())
        throw SqliteError(QStringLiteral("Field %1 Not found. Empty dataset").arg(name));
    // Loaders look up every column of every row: an ASCII name needs no upper-cased copy to
    // compare the same way.
    bool ascii = true;
    for (QChar ch : name)
        ascii = ascii && ch.unicode() < 0x80;
    const QString wanted = ascii ? name : upperName(name);
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw SqliteError(QStringLiteral("Field not found in dataset: %1").arg(name));
}

const SqliteTable::Cell &SqliteTable::cell(int col) const
{
    if (AtEnd())
        raise("Table is at End of File");
    // Positions come from FieldNumber; any other is refused rather than read past the row.
    if (col < 0 || quint32(col) >= m_columnCount)
        throw SqliteError(QStringLiteral("Field index out of range: %1").arg(col));
    if (m_visitor)
        return m_row[size_t(col)];
    return m_cells[size_t(m_currentRow) * m_columnCount + size_t(col)];
}

qint64 SqliteTable::IntegerValue(int col) const
{
    const Cell &c = cell(col);
    if (c.tag == CellTag::Empty)
        return 0;
    switch (kind(col)) {
    case SQLITE_INTEGER:
        return c.integer;
    case SQLITE_FLOAT:
        return truncateToInt64(c.real);
    default:
        raise("Not an integer or numeric field");
    }
}

bool SqliteTable::DisplayInteger(int col, qint64 &value) const
{
    const Cell &c = cell(col);
    // Only integer columns keep their cells as integers.
    if (c.tag != CellTag::Integer)
        return false;
    value = c.integer;
    return true;
}

QByteArrayView SqliteTable::storedText(const Cell &c) const
{
    if (m_visitor)
        return QByteArrayView(c.length ? c.row : "", c.length);
    return m_texts.view(TextStore::Span {c.offset});
}

QByteArrayView SqliteTable::textView(int col, char *buffer, qsizetype capacity) const
{
    const Cell &c = cell(col);
    switch (kind(col)) {
    case SQLITE_INTEGER:
        return QByteArrayView(
            buffer, formatInteger(c.tag == CellTag::Empty ? 0 : c.integer, buffer, capacity));
    case SQLITE_FLOAT:
        return QByteArrayView(buffer,
                              formatGeneralFloat(c.tag == CellTag::Empty ? 0.0 : c.real,
                                                 m_decimalPoint, buffer, capacity));
    case SQLITE_TEXT:
        return c.tag == CellTag::Text ? storedText(c) : QByteArrayView();
    default:
        return QByteArrayView();
    }
}

QByteArrayView SqliteTable::DisplayTextView(int col, QByteArray &scratch) const
{
    const Cell &c = cell(col);
    if (c.tag == CellTag::Empty)
        return QByteArrayView();
    if (c.tag == CellTag::Text)
        return kind(col) == SQLITE_TEXT ? storedText(c) : QByteArrayView();
    if (kind(col) == SQLITE_BLOB) {
        scratch = BlobContentText(col);
        return scratch;
    }
    if (scratch.size() < kValueTextCapacity)
        scratch.resize(kValueTextCapacity);
    return textView(col, scratch.data(), scratch.size());
}

QBuffer *SqliteTable::BlobStream(int col) const
{
    const Cell &c = cell(col);
    if (c.tag == CellTag::Empty)
        return nullptr;
    if (kind(col) != SQLITE_BLOB)
        raise("Not a Blob field");
    return m_blobs[size_t(c.offset)].get();
}

QByteArray SqliteTable::BlobContentText(int col) const
{
    QBuffer *stream = BlobStream(col);
    if (!stream || stream->size() == 0)
        return QByteArray();
    stream->seek(0);
    return stream->readAll();
}
