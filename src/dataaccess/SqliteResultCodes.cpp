#include "dataaccess/SqliteResultCodes.h"

#include <iterator>

namespace {

// Texts of the primary result codes 0 to 26, in code order.
constexpr const char *kCodeTexts[] = {
    "Successful result",
    "SQL error or missing database",
    "An internal logic error in SQLite",
    "Access permission denied",
    "Callback routine requested an abort",
    "The database file is locked",
    "A table in the database is locked",
    "A malloc() failed",
    "Attempt to write a readonly database",
    "Operation terminated by sqlite3_interrupt()",
    "Some kind of disk I/O error occurred",
    "The database disk image is malformed",
    "(Internal Only) Table or record not found",
    "Insertion failed because database is full",
    "Unable to open the database file",
    "Database lock protocol error",
    "Database is empty",
    "The database schema changed",
    "Too much data for one row of a table",
    "Abort due to contraint violation",
    "Data type mismatch",
    "Library used incorrectly",
    "Uses OS features not supported on host",
    "Authorization denied",
    "Auxiliary database format error",
    "2nd parameter to sqlite3_bind out of range",
    "File opened that is not a database file",
};

} // namespace

QString ErrorCodeText(int code)
{
    if (code >= 0 && code < int(std::size(kCodeTexts)))
        return QString::fromLatin1(kCodeTexts[code]);
    switch (code) {
    case SQLITE_ROW:
        return QStringLiteral("sqlite3_step() has another row ready");
    case SQLITE_DONE:
        return QStringLiteral("sqlite3_step() has finished executing");
    default:
        return QStringLiteral("Unknown SQLite Error Code \"%1\"").arg(code);
    }
}
