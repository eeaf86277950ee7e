#include "SampleWriters.h"
#include "SampleContent.h"

#include "records/LogFileFormat.h"

#include <QFile>
#include <QSaveFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace SampleContent;

namespace SampleWriters {

namespace {

// Puts `from` in the place of `to`, replacing a file there (which a plain
// rename does not do on Windows).
bool replaceWith(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()),
                       reinterpret_cast<const wchar_t *>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

QString lastSystemError()
{
#ifdef Q_OS_WIN
    return qt_error_string(int(GetLastError()));
#else
    return QString::fromLocal8Bit(std::strerror(errno));
#endif
}

} // namespace

namespace {

void put16(char *at, std::uint16_t value)
{
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>(value >> 8);
}

void put32(char *at, std::uint32_t value)
{
    put16(at, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

// The ID, date and time that begin every record, as the panel packs them.
void putIdAndTime(char *record, std::uint32_t id, const Timestamp &time)
{
    using namespace LogFileFormat;
    put32(record + IdOffset, id);
    put16(record + YearOffset, static_cast<std::uint16_t>(time.year));
    record[MonthOffset] = static_cast<char>(time.month);
    record[DayOffset] = static_cast<char>(time.day);
    record[HourOffset] = static_cast<char>(time.hour);
    record[MinuteOffset] = static_cast<char>(time.minute);
    record[SecondOffset] = static_cast<char>(time.second);
}

// A record ID stored in 32 bits wraps like the panel's counter does.
std::uint32_t id32(const Content &content, std::int64_t index)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(content.firstId + index));
}

// Mixes a stream number into the seed, so the alarm and data streams of
// one seed are unrelated.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream)
{
    Rng mix(seed ^ (stream * 0xD1B54A32D192ED03ULL));
    return mix.next();
}

// Binary files are built in large chunks and committed atomically.
class ChunkedFile
{
public:
    explicit ChunkedFile(const QString &path)
        : m_file(path)
    {
        m_buffer.reserve(ChunkSize);
    }

    bool open() { return m_file.open(QIODevice::WriteOnly); }

    void append(const char *bytes, std::size_t size)
    {
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
        if (m_buffer.size() >= ChunkSize)
            flush();
    }

    QString commit()
    {
        flush();
        if (!m_failed && m_file.commit())
            return {};
        return m_file.errorString();
    }

    QString errorString() const { return m_file.errorString(); }

private:
    static constexpr std::size_t ChunkSize = 1 << 20;

    void flush()
    {
        if (!m_failed && !m_buffer.empty()) {
            const auto size = static_cast<qint64>(m_buffer.size());
            m_failed = m_file.write(m_buffer.data(), size) != size;
        }
        m_buffer.clear();
    }

    QSaveFile m_file;
    std::vector<char> m_buffer;
    bool m_failed = false;
};

std::vector<char> headerBlock(std::size_t size)
{
    std::vector<char> header(size, 0);
    std::memcpy(header.data() + LogFileFormat::SignatureOffset, LogFileFormat::Signature,
                LogFileFormat::SignatureLength);
    return header;
}

QString openFailure(const QString &path, const QString &why)
{
    return QStringLiteral("cannot write %1: %2").arg(path, why);
}

// A database built under a temporary name in one transaction.
class SqliteFile
{
public:
    explicit SqliteFile(const QString &path, int pageSize = 0)
        : m_path(path)
        , m_temp(path + QStringLiteral(".part"))
        , m_pageSize(pageSize)
    { }

    ~SqliteFile()
    {
        if (m_db)
            sqlite3_close(m_db);
        if (!m_done)
            QFile::remove(m_temp);
    }

    bool open()
    {
        QFile::remove(m_temp);
        const QByteArray name = QFile::encodeName(m_temp);
        if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr)
            != SQLITE_OK) {
            fail();
            return false;
        }
        if (m_pageSize > 0 && !exec(("PRAGMA page_size=" + std::to_string(m_pageSize)).c_str()))
            return false;
        return exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    }

    bool exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        fail();
        return false;
    }

    sqlite3_stmt *prepare(const std::string &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            fail();
        return statement;
    }

    // Runs a bound insert and makes it ready for the next row.
    bool step(sqlite3_stmt *statement)
    {
        const bool ok = sqlite3_step(statement) == SQLITE_DONE;
        if (!ok)
            fail();
        sqlite3_reset(statement);
        return ok;
    }

    QString finish()
    {
        if (!exec("COMMIT"))
            return m_error;
        if (sqlite3_close(m_db) != SQLITE_OK) {
            fail();
            return m_error;
        }
        m_db = nullptr;
        if (!replaceWith(m_temp, m_path))
            return openFailure(m_path, lastSystemError());
        m_done = true;
        return {};
    }

    const QString &error() const { return m_error; }

private:
    void fail()
    {
        if (m_error.isEmpty())
            m_error = openFailure(m_path,
                                  m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                       : QStringLiteral("cannot create the database"));
    }

    QString m_path;
    QString m_temp;
    int m_pageSize = 0;
    sqlite3 *m_db = nullptr;
    QString m_error;
    bool m_done = false;
};

struct StatementDeleter
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

void bindText(sqlite3_stmt *statement, int column, const std::string &text)
{
    sqlite3_bind_text(statement, column, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

} // namespace

QString writeDataBin(const QString &path, const Content &content)
{
    ChunkedFile file(path);
    if (!file.open())
        return openFailure(path, file.errorString());
    const std::vector<char> header = headerBlock(LogFileFormat::HeaderBlockSize);
    file.append(header.data(), header.size());

    PlantSignals plant(streamSeed(content.seed, 0));
    Timestamp time;
    char record[LogFileFormat::DataRecordSize];
    for (std::int64_t i = 0; i < content.records; ++i) {
        std::memset(record, 0, sizeof record);
        putIdAndTime(record, id32(content, i), time);
        const PlantSignals::Words words = plant.next();
        for (int v = 0; v < LogFileFormat::ValueWords; ++v)
            put16(record + LogFileFormat::ValuesOffset + 2 * v, words[static_cast<std::size_t>(v)]);
        file.append(record, sizeof record);
        time.advance(1);
    }
    return file.commit();
}

QString writeAlarmBin(const QString &path, const Content &content)
{
    ChunkedFile file(path);
    if (!file.open())
        return openFailure(path, file.errorString());
    const std::vector<char> header = headerBlock(LogFileFormat::AlarmHeaderSize);
    file.append(header.data(), header.size());

    AlarmHistory history(streamSeed(content.seed, 1));
    char record[LogFileFormat::AlarmRecordSize];
    for (std::int64_t i = 0; i < content.records; ++i) {
        const Alarm &alarm = history.next();
        std::memset(record, 0, sizeof record);
        putIdAndTime(record, id32(content, i), history.time());
        record[LogFileFormat::AlarmNumberOffset] = static_cast<char>(alarm.number);
        // Shorter texts end in a zero unit; 50-unit texts fill the field.
        for (std::size_t u = 0; u < alarm.text.size(); ++u)
            put16(record + LogFileFormat::AlarmTextOffset + 2 * u,
                  static_cast<std::uint16_t>(alarm.text[u]));
        file.append(record, sizeof record);
    }
    return file.commit();
}

QString writeAlarmDb(const QString &path, const Content &content)
{
    SqliteFile db(path, content.pageSize);
    if (!db.open() || !db.exec("CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT)"))
        return db.error();
    Statement insert(db.prepare("INSERT INTO Ldata (ID, N0, N1, N2) VALUES (?, ?, ?, ?)"));
    if (!insert)
        return db.error();

    AlarmHistory history(streamSeed(content.seed, 1));
    for (std::int64_t i = 0; i < content.records; ++i) {
        const Alarm &alarm = history.next();
        sqlite3_bind_int64(insert.get(), 1, content.firstId + i);
        bindText(insert.get(), 2, history.time().dateTimeText());
        bindText(insert.get(), 3, std::to_string(alarm.number));
        bindText(insert.get(), 4, toUtf8(alarm.text));
        if (!db.step(insert.get()))
            return db.error();
    }
    insert.reset();
    return db.finish();
}

QString writeDataDb(const QString &path, const Content &content, const BufferCounts &counts)
{
    SqliteFile db(path, content.pageSize);
    if (!db.open())
        return db.error();

    for (std::size_t b = 0; b < counts.size(); ++b) {
        if (counts[b] == NotCreated)
            continue;
        const std::string table = "Buffer" + std::to_string(b + 1);
        std::string create = "CREATE TABLE " + table + " (ID INTEGER, N1 TEXT, N2 TEXT";
        std::string insertSql = "INSERT INTO " + table + " VALUES (?, ?, ?";
        for (int n = 3; n <= 12; ++n) {
            create += ", N" + std::to_string(n) + " INTEGER";
            insertSql += ", ?";
        }
        create += ")";
        insertSql += ")";
        if (!db.exec(create.c_str()))
            return db.error();
        Statement insert(db.prepare(insertSql));
        if (!insert)
            return db.error();

        // Each buffer is its own logging task with its own period.
        PlantSignals plant(streamSeed(content.seed, 2 + b));
        const auto period = static_cast<std::int64_t>(b + 1);
        Timestamp time;
        for (std::int64_t i = 0; i < counts[b]; ++i) {
            sqlite3_bind_int64(insert.get(), 1, content.firstId + i);
            bindText(insert.get(), 2, time.dateText());
            bindText(insert.get(), 3, time.timeText());
            const PlantSignals::Words words = plant.next();
            for (int v = 0; v < LogFileFormat::ValueWords; ++v)
                sqlite3_bind_int(insert.get(), 4 + v, words[static_cast<std::size_t>(v)]);
            if (!db.step(insert.get()))
                return db.error();
            time.advance(period);
        }
    }
    return db.finish();
}

} // namespace SampleWriters
