#pragma once

// Helpers shared by the data-access tests: real database files in a temporary folder.

#include "dataaccess/SqliteDatabase.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace sqlitetest {

// Runs `sql` (any number of statements) on `fileName` through the bare library.
inline bool exec(const QString &fileName, const char *sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(fileName.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        qWarning("setup failed: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

// Runs the one statement `sql` on `fileName` through the bare library, its parameters bound by
// `bind` (sqlite3_bind_* on the prepared statement, returning the library's result code): for
// values a SQL literal cannot spell exactly, such as doubles, or texts and blobs with NUL bytes.
inline bool execBound(const QString &fileName, const char *sql,
                      const std::function<int(sqlite3_stmt *)> &bind)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    bool ok = sqlite3_open(fileName.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && statement
        && bind(statement) == SQLITE_OK && sqlite3_step(statement) == SQLITE_DONE;
    if (!ok)
        qWarning("setup failed: %s", sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return ok;
}

// The message of the SqliteError `f` raises, or "<no exception>".
inline QString failureOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const SqliteError &e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

// True when no statement of the connection is left unfinalized.
inline bool noOpenStatement(const SqliteDatabase &db)
{
    return sqlite3_next_stmt(db.Handle(), nullptr) == nullptr;
}

} // namespace sqlitetest
