// Times QueryTable("select * from Buffer1") on a large record buffer against the sqlite3 shell
// reading the same table, in the same run.
//
//   bench_querytable make FILE [ROWS]   writes Buffer1 (ID, two short texts, ten integers)
//   bench_querytable time FILE [RUNS]   medians of QueryTable, of reading every cell, and of
//                                       `sqlite3 -csv FILE "select * from Buffer1" >/dev/null`
//   bench_querytable once FILE          one QueryTable, for `/usr/bin/time -v`

#include "dataaccess/SqliteDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kQuery = u"select * from Buffer1"_s;

// Writes the table through the bare library: the data-access layer only reads.
int make(const QString &file, qint64 rows)
{
    QFile::remove(file);
    sqlite3 *db = nullptr;
    sqlite3_stmt *insert = nullptr;
    const auto failed = [&] {
        std::fprintf(stderr, "%s: %s\n", qPrintable(file), db ? sqlite3_errmsg(db) : "no memory");
        sqlite3_finalize(insert);
        sqlite3_close(db);
        return 1;
    };
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK
        || sqlite3_exec(db,
                        "create table Buffer1(ID INTEGER, N1 TEXT, N2 TEXT, N3 INTEGER, "
                        "N4 INTEGER, N5 INTEGER, N6 INTEGER, N7 INTEGER, N8 INTEGER, "
                        "N9 INTEGER, N10 INTEGER, N11 INTEGER, N12 INTEGER); begin",
                        nullptr, nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_prepare_v2(db, "insert into Buffer1 values (?,?,?,?,?,?,?,?,?,?,?,?,?)", -1,
                              &insert, nullptr)
            != SQLITE_OK)
        return failed();
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return qint32((seed >> 8) & 0xffff);
    };
    for (qint64 i = 1; i <= rows; ++i) {
        const qint64 seconds = i * 7;
        const QByteArray date = QString::asprintf("2026-%02d-%02d", int(1 + (i / 86400) % 12),
                                                  int(1 + (i / 3600) % 28))
                                    .toUtf8();
        const QByteArray time = QString::asprintf("%02d:%02d:%02d", int(seconds / 3600 % 24),
                                                  int(seconds / 60 % 60), int(seconds % 60))
                                    .toUtf8();
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, time.constData(), int(time.size()), SQLITE_TRANSIENT);
        for (int c = 0; c < 10; ++c)
            sqlite3_bind_int(insert, 4 + c, next());
        if (sqlite3_step(insert) != SQLITE_DONE)
            return failed();
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    insert = nullptr;
    if (sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failed();
    if (sqlite3_close(db) != SQLITE_OK)
        return failed();
    std::printf("wrote %lld rows to %s\n", rows, qPrintable(file));
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double timeQuery(const QString &file, quint32 *records)
{
    QElapsedTimer timer;
    timer.start();
    SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
    const auto t = db.QueryTable(kQuery);
    *records = t->RecordCount();
    return timer.nsecsElapsed() / 1e6;
}

// What a loader does after the query: every cell's text, looked up by name per row.
double timeWalk(const QString &file, qint64 *bytes)
{
    SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
    const auto t = db.QueryTable(kQuery);
    QElapsedTimer timer;
    timer.start();
    QByteArray scratch;
    qint64 total = 0;
    const int columns = int(t->ColumnCount());
    for (; !t->AtEnd(); t->MoveNext()) {
        total += t->IntegerValue(t->FieldNumber(u"ID"_s));
        for (int c = 1; c < columns; ++c)
            total += t->DisplayTextView(c, scratch).size();
    }
    *bytes = total;
    return timer.nsecsElapsed() / 1e6;
}

double timeShell(const QString &file)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(u"sqlite3"_s, {u"-csv"_s, file, kQuery});
    if (!shell.waitForFinished(-1) || shell.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 shell failed\n");
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int timeAll(const QString &file, int runs)
{
    std::vector<double> query, walk, shell;
    quint32 records = 0;
    qint64 bytes = 0;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so drifts of the machine fall on both sides alike.
        shell.push_back(timeShell(file));
        query.push_back(timeQuery(file, &records));
        walk.push_back(timeWalk(file, &bytes));
    }
    const double q = median(query), s = median(shell);
    std::printf("rows %u, runs %d\n", records, runs);
    std::printf("QueryTable            median %8.1f ms\n", q);
    std::printf("sqlite3 -csv shell    median %8.1f ms\n", s);
    std::printf("ratio QueryTable/shell       %8.2f\n", q / s);
    std::printf("walk all cells        median %8.1f ms (checksum %lld)\n", median(walk), bytes);
    return 0;
}

int once(const QString &file)
{
    const long before = peakKiB();
    SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
    const auto t = db.QueryTable(kQuery);
    const long after = peakKiB();
    const double cells = double(t->RecordCount()) * t->ColumnCount();
    std::printf("rows %u, cells %.0f, peak RSS %ld KiB (before query %ld KiB), "
                "%.1f bytes/cell over the start\n",
                t->RecordCount(), cells, after, before, (after - before) * 1024.0 / cells);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: %s make|time|once FILE [ROWS|RUNS]\n", argv[0]);
        return 2;
    }
    const QString &command = args[1], &file = args[2];
    try {
        if (command == u"make")
            return make(file, args.size() > 3 ? args[3].toLongLong() : 1000000);
        if (command == u"time")
            return timeAll(file, args.size() > 3 ? args[3].toInt() : 7);
        if (command == u"once")
            return once(file);
    } catch (const SqliteError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
