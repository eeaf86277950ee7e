// Texts of the library's result codes.

#include "dataaccess/SQLite3.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSQLite3 : public QObject
{
    Q_OBJECT

private slots:
    void errorCodeText_data();
    void errorCodeText();
};

void TestSQLite3::errorCodeText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const struct
    {
        int code;
        const char *text;
    } known[] = {
        {SQLITE_OK, "Successful result"},
        {SQLITE_ERROR, "SQL error or missing database"},
        {SQLITE_INTERNAL, "An internal logic error in SQLite"},
        {SQLITE_PERM, "Access permission denied"},
        {SQLITE_ABORT, "Callback routine requested an abort"},
        {SQLITE_BUSY, "The database file is locked"},
        {SQLITE_LOCKED, "A table in the database is locked"},
        {SQLITE_NOMEM, "A malloc() failed"},
        {SQLITE_READONLY, "Attempt to write a readonly database"},
        {SQLITE_INTERRUPT, "Operation terminated by sqlite3_interrupt()"},
        {SQLITE_IOERR, "Some kind of disk I/O error occurred"},
        {SQLITE_CORRUPT, "The database disk image is malformed"},
        {SQLITE_NOTFOUND, "(Internal Only) Table or record not found"},
        {SQLITE_FULL, "Insertion failed because database is full"},
        {SQLITE_CANTOPEN, "Unable to open the database file"},
        {SQLITE_PROTOCOL, "Database lock protocol error"},
        {SQLITE_EMPTY, "Database is empty"},
        {SQLITE_SCHEMA, "The database schema changed"},
        {SQLITE_TOOBIG, "Too much data for one row of a table"},
        {SQLITE_CONSTRAINT, "Abort due to contraint violation"},
        {SQLITE_MISMATCH, "Data type mismatch"},
        {SQLITE_MISUSE, "Library used incorrectly"},
        {SQLITE_NOLFS, "Uses OS features not supported on host"},
        {SQLITE_AUTH, "Authorization denied"},
        {SQLITE_FORMAT, "Auxiliary database format error"},
        {SQLITE_RANGE, "2nd parameter to sqlite3_bind out of range"},
        {SQLITE_NOTADB, "File opened that is not a database file"},
        {SQLITE_ROW, "sqlite3_step() has another row ready"},
        {SQLITE_DONE, "sqlite3_step() has finished executing"},
    };
    for (const auto &k : known)
        QTest::addRow("%d", k.code) << k.code << QString::fromLatin1(k.text);
    // Everything else, extended codes included, is unknown by number.
    for (int code : {27, 28, 99, 102, -1, 261 /* SQLITE_BUSY_RECOVERY */, INT_MIN, INT_MAX})
        QTest::addRow("%d", code) << code << u"Unknown SQLite Error Code \"%1\""_s.arg(code);
}

void TestSQLite3::errorCodeText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(ErrorCodeText(code), text);
}

QTEST_GUILESS_MAIN(TestSQLite3)
#include "tst_sqlite3.moc"
