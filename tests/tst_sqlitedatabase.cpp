// The read-only connection and the result table against real database files.

#include "dataaccess/SqliteDatabase.h"
#include "dataaccess/ValueText.h"
#include "support/SqliteSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using sqlitetest::exec;
using sqlitetest::execBound;
using sqlitetest::failureOf;
using sqlitetest::noOpenStatement;

namespace {

constexpr auto kReadOnly = SqliteDatabase::OpenMode::ReadOnly;

} // namespace

// Every read of column 0 on the table's current row: the value, or the failure's message.
struct CellReads
{
    QString integer;
    QByteArray view;

    static CellReads of(const SqliteTable &t)
    {
        CellReads r;
        r.integer = failureOf([&] { throw SqliteError(QString::number(t.IntegerValue(0))); });
        QByteArray scratch;
        r.view = t.DisplayTextView(0, scratch).toByteArray();
        return r;
    }
};

class TestSqliteDatabase : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_db; // a table `t` per test, made afresh

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void makeDb(const char *sql)
    {
        QFile::remove(m_db);
        QVERIFY(exec(m_db, sql));
    }

private slots:
    void init() { m_db = path(QStringLiteral("t.db")); }

    // --- opening -------------------------------------------------------------------------------

    void openFailsWithFileName_data();
    void openFailsWithFileName();
    void notADatabaseFailsAtFirstQuery();

    // --- statements ----------------------------------------------------------------------------

    void raiseLastErrorFormat();
    void noStatementInText_data();
    void noStatementInText();
    void queryPrepareFailures_data();
    void queryPrepareFailures();
    void queryRunsOnlyFirstStatement();

    // --- result table --------------------------------------------------------------------------

    void columnKindFromDeclaredType_data();
    void columnKindFromDeclaredType();
    void expressionKindFromFirstRow_data();
    void expressionKindFromFirstRow();
    void nullInEachKind_data();
    void nullInEachKind();
    void valueOfEachKind_data();
    void valueOfEachKind();
    void floatTextGeneralFormat_data();
    void floatTextGeneralFormat();
    void floatTextUsesGivenSeparator_data();
    void floatTextUsesGivenSeparator();
    void textKeptAsStoredBytes_data();
    void textKeptAsStoredBytes();
    void blobCells_data();
    void blobCells();
    void emptyResult();
    void fieldNumber_data();
    void fieldNumber();
    void cursorWalksForwardOnly();
    void columnOutOfRangeRefused_data();
    void columnOutOfRangeRefused();
    void tableOutlivesConnection();
    void displayTextViewOfEveryKind();
    void stepFailureRetrievesNoData();
    void busyAtStepAndAtPrepare();
    void damagedFileFailsCleanly_data();
    void damagedFileFailsCleanly();

    // --- rows visited as they are stepped -----------------------------------------------------

    void visitedRowReadsAsFetched_data() { valueOfEachKind_data(); }
    void visitedRowReadsAsFetched();
    void visitedRowsInOrderThenAtEnd();
    void visitorBytesCountAgainstLimits_data();
    void visitorBytesCountAgainstLimits();
};

// --- opening -----------------------------------------------------------------------------------

void TestSqliteDatabase::openFailsWithFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("detail");
    QTest::newRow("missing file") << u"missing.db"_s << u"unable to open database file"_s;
    QTest::newRow("missing folder") << u"no/such/folder.db"_s << u"unable to open database file"_s;
}

void TestSqliteDatabase::openFailsWithFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, detail);
    const QString file = path(name);
    const QString message = failureOf([&] { SqliteDatabase db(file, kReadOnly); });
    QCOMPARE(message, u"Failed to open database \"%1\" : %2"_s.arg(file, detail));
    QVERIFY(!QFile::exists(file));
}

void TestSqliteDatabase::notADatabaseFailsAtFirstQuery()
{
    const QString file = path(u"text.db"_s);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    SqliteDatabase db(file, kReadOnly);
    const QString message = failureOf([&] { db.QueryTable(u"select * from Buffer1"_s); });
    QCOMPARE(message,
             u"Error executing SQL.\rError [26]: File opened that is not a database file."
             "\r\"select * from Buffer1\": file is not a database"_s);
    QVERIFY(noOpenStatement(db));
}

// --- statements --------------------------------------------------------------------------------

void TestSqliteDatabase::raiseLastErrorFormat()
{
    makeDb("create table t(a integer primary key); insert into t values (1);");
    SqliteDatabase db(m_db, kReadOnly);
    // No error on the connection: the message alone.
    QCOMPARE(failureOf([&] { db.RaiseLastError(u"Plain"_s, u"select 1"_s); }), u"Plain"_s);
    // After a failure: message, code, code text, SQL text and the library's detail.
    const QString sql = u"select abs(-9223372036854775807 - a) from t"_s;
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }),
             u"Could not retrieve data.\rError [1]: SQL error or missing database.\r\"%1\": "
             "integer overflow"_s.arg(sql));
    QVERIFY(noOpenStatement(db));
    // The connection stays usable after a failure.
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 1);
}

void TestSqliteDatabase::noStatementInText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << u"   \n\t"_s;
    QTest::newRow("line comment") << u"-- nothing here"_s;
    QTest::newRow("block comment") << u"/* nothing */"_s;
    QTest::newRow("semicolon") << u";"_s;
}

void TestSqliteDatabase::noStatementInText()
{
    QFETCH(QString, sql);
    makeDb("create table t(a);");
    SqliteDatabase db(m_db, kReadOnly);
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }), u"Could not prepare SQL statement"_s);
    QVERIFY(noOpenStatement(db));
}

void TestSqliteDatabase::queryPrepareFailures_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such table")
        << u"select * from nowhere"_s
        << u"Error executing SQL.\rError [1]: SQL error or missing database.\r"
           "\"select * from nowhere\": no such table: nowhere"_s;
    QTest::newRow("syntax error") << u"selec 1"_s
                                  << u"Error executing SQL.\rError [1]: SQL error or missing "
                                     "database.\r\"selec 1\": near \"selec\": syntax error"_s;
    QTest::newRow("percent signs in SQL")
        << u"select '%1 %2' from nowhere"_s
        << u"Error executing SQL.\rError [1]: SQL error or missing database.\r"
           "\"select '%1 %2' from nowhere\": no such table: nowhere"_s;
}

void TestSqliteDatabase::queryPrepareFailures()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    makeDb("create table t(id integer primary key, name text not null);"
           "insert into t values (1, 'one');");
    SqliteDatabase db(m_db, kReadOnly);
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }), message);
    QVERIFY(noOpenStatement(db));
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 1);
}

void TestSqliteDatabase::queryRunsOnlyFirstStatement()
{
    makeDb("create table t(a); insert into t values (1);");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select a from t; select 99"_s);
    QCOMPARE(t->RecordCount(), 1u);
    QCOMPARE(t->IntegerValue(0), 1);
}

// --- result table ------------------------------------------------------------------------------

void TestSqliteDatabase::columnKindFromDeclaredType_data()
{
    QTest::addColumn<QByteArray>("declared");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text"); // of the stored value 42
    QTest::newRow("INTEGER") << "INTEGER"_ba << SQLITE_INTEGER << "42"_ba;
    // The library reports its own type words upper-cased.
    QTest::newRow("integer") << "integer"_ba << SQLITE_INTEGER << "42"_ba;
    QTest::newRow("BOOLEAN") << "BOOLEAN"_ba << SQLITE_INTEGER << "42"_ba;
    QTest::newRow("boolean") << "boolean"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("NUMERIC") << "NUMERIC"_ba << SQLITE_FLOAT << "42"_ba;
    QTest::newRow("numeric") << "numeric"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("FLOAT") << "FLOAT"_ba << SQLITE_FLOAT << "42"_ba;
    QTest::newRow("DOUBLE") << "DOUBLE"_ba << SQLITE_FLOAT << "42"_ba;
    QTest::newRow("real") << "real"_ba << SQLITE_FLOAT << "42"_ba;
    QTest::newRow("BLOB") << "BLOB"_ba << SQLITE_BLOB << "42"_ba;
    QTest::newRow("TEXT") << "TEXT"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("INT") << "INT"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("BIGINT") << "BIGINT"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("VARCHAR(20)") << "VARCHAR(20)"_ba << SQLITE_TEXT << "42"_ba;
    QTest::newRow("DATETIME") << "DATETIME"_ba << SQLITE_TEXT << "42"_ba;
    // Stored as a real by the column's affinity, read as the library's text of it.
    QTest::newRow("DOUBLE PRECISION") << "DOUBLE PRECISION"_ba << SQLITE_TEXT << "42.0"_ba;
    QTest::newRow("UNSIGNED INTEGER") << "UNSIGNED INTEGER"_ba << SQLITE_TEXT << "42"_ba;
}

void TestSqliteDatabase::columnKindFromDeclaredType()
{
    QFETCH(QByteArray, declared);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    makeDb(("create table t(v " + declared + "); insert into t values (42);").constData());
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v from t"_s);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), text);
    // Only an integer column hands its cells over as numbers.
    qint64 number = 0;
    QCOMPARE(t->DisplayInteger(0, number), kind == SQLITE_INTEGER);
    switch (kind) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        QCOMPARE(t->IntegerValue(0), 42);
        break;
    default:
        QCOMPARE(failureOf([&] { t->IntegerValue(0); }), u"Not an integer or numeric field"_s);
    }
}

void TestSqliteDatabase::expressionKindFromFirstRow_data()
{
    QTest::addColumn<QString>("firstValue");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("secondText"); // of the second row's value 7
    QTest::addColumn<QString>("secondInteger"); // the value or the failure text
    const QString notNumeric = u"Not an integer or numeric field"_s;
    QTest::newRow("integer") << u"1"_s << SQLITE_INTEGER << "7"_ba << u"7"_s;
    QTest::newRow("float") << u"1.5"_s << SQLITE_FLOAT << "7"_ba << u"7"_s;
    QTest::newRow("text") << u"'a'"_s << SQLITE_TEXT << "7"_ba << notNumeric;
    QTest::newRow("blob") << u"x'01'"_s << SQLITE_BLOB << "7"_ba << notNumeric;
    // A first NULL makes a null column: later values read as empty text.
    QTest::newRow("null") << u"null"_s << SQLITE_NULL << ""_ba << notNumeric;
}

void TestSqliteDatabase::expressionKindFromFirstRow()
{
    QFETCH(QString, firstValue);
    QFETCH(int, kind);
    QFETCH(QByteArray, secondText);
    QFETCH(QString, secondInteger);
    makeDb("create table t(n integer, v); insert into t values (1, 0), (2, 7);");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(
        u"select case n when 1 then %1 else v end as e from t order by n"_s.arg(firstValue));
    QVERIFY(t->MoveNext());
    QCOMPARE(CellReads::of(*t).view, secondText);
    QCOMPARE(CellReads::of(*t).integer, secondInteger);
    qint64 number = 0;
    QCOMPARE(t->DisplayInteger(0, number), kind == SQLITE_INTEGER);
}

void TestSqliteDatabase::nullInEachKind_data()
{
    QTest::addColumn<QByteArray>("declared");
    QTest::newRow("integer") << "INTEGER"_ba;
    QTest::newRow("float") << "REAL"_ba;
    QTest::newRow("text") << "TEXT"_ba;
    QTest::newRow("blob") << "BLOB"_ba;
}

void TestSqliteDatabase::nullInEachKind()
{
    QFETCH(QByteArray, declared);
    makeDb(("create table t(v " + declared + "); insert into t values (null);").constData());
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v from t"_s);
    QCOMPARE(t->IntegerValue(0), 0);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), QByteArray());
    qint64 number = 0;
    QVERIFY(!t->DisplayInteger(0, number));
}

void TestSqliteDatabase::valueOfEachKind_data()
{
    QTest::addColumn<QByteArray>("declared");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("integer"); // the value or the failure text
    QTest::addColumn<QByteArray>("text");
    const QString notNumeric = u"Not an integer or numeric field"_s;
    QTest::newRow("integer") << "INTEGER"_ba
                             << "-42"_ba << u"-42"_s << "-42"_ba;
    QTest::newRow("big integer") << "INTEGER"_ba
                                 << "9223372036854775807"_ba << u"9223372036854775807"_s
                                 << "9223372036854775807"_ba;
    QTest::newRow("float 2.75") << "REAL"_ba
                                << "2.75"_ba << u"2"_s << "2.75"_ba;
    QTest::newRow("float -2.75") << "REAL"_ba
                                 << "-2.75"_ba << u"-2"_s << "-2.75"_ba;
    QTest::newRow("float beyond 64 bits") << "REAL"_ba
                                          << "1e300"_ba << u"9223372036854775807"_s << "1E300"_ba;
    // The library's own conversion: the leading number of a text.
    QTest::newRow("text read as integer column") << "INTEGER"_ba
                                                 << "'12abc'"_ba << u"12"_s << "12"_ba;
    QTest::newRow("text read as float column") << "REAL"_ba
                                               << "'2.5'"_ba << u"2"_s << "2.5"_ba;
    QTest::newRow("text") << "TEXT"_ba
                          << "'abc'"_ba << notNumeric << "abc"_ba;
    QTest::newRow("empty text") << "TEXT"_ba
                                << "''"_ba << notNumeric << ""_ba;
    QTest::newRow("number in text column") << "TEXT"_ba
                                           << "3.5"_ba << notNumeric << "3.5"_ba;
    QTest::newRow("blob") << "BLOB"_ba
                          << "x'610062'"_ba << notNumeric << QByteArray("a\0b", 3);
}

void TestSqliteDatabase::valueOfEachKind()
{
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, stored);
    QFETCH(QString, integer);
    QFETCH(QByteArray, text);
    makeDb(
        ("create table t(v " + declared + "); insert into t values (" + stored + ");").constData());
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v from t"_s);
    const CellReads got = CellReads::of(*t);
    QCOMPARE(got.integer, integer);
    QCOMPARE(got.view, text);
    // A failed read leaves the cursor where it was.
    QVERIFY(!t->AtEnd());
}

void TestSqliteDatabase::floatTextGeneralFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("zero") << 0.0 << "0"_ba;
    QTest::newRow("negative zero") << -0.0 << "0"_ba;
    QTest::newRow("whole") << 100.0 << "100"_ba;
    QTest::newRow("fraction") << 2.5 << "2.5"_ba;
    QTest::newRow("negative") << -2.5 << "-2.5"_ba;
    QTest::newRow("tenth") << 0.1 << "0.1"_ba;
    QTest::newRow("third") << 1.0 / 3 << "0.333333333333333"_ba;
    QTest::newRow("two thirds, rounded") << 2.0 / 3 << "0.666666666666667"_ba;
    QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345"_ba;
    QTest::newRow("15 digits and fraction") << 12345678901234.5 << "12345678901234.5"_ba;
    QTest::newRow("16 digits") << 1234567890123456.0 << "1.23456789012346E15"_ba;
    QTest::newRow("rounds up to 16 digits") << 999999999999999.9 << "1E15"_ba;
    QTest::newRow("1E15") << 1e15 << "1E15"_ba;
    QTest::newRow("1E20") << 1e20 << "1E20"_ba;
    QTest::newRow("smallest fixed") << 0.00001 << "0.00001"_ba;
    QTest::newRow("smallest fixed, negative") << -0.0000125 << "-0.0000125"_ba;
    QTest::newRow("below fixed") << 0.0000099 << "9.9E-6"_ba;
    QTest::newRow("1.5E-7") << 1.5e-7 << "1.5E-7"_ba;
    QTest::newRow("-1E-300") << -1e-300 << "-1E-300"_ba;
    QTest::newRow("largest") << 1.7976931348623157e308 << "1.79769313486232E308"_ba;
    QTest::newRow("denormal") << 4.9406564584124654e-324 << "4.94065645841247E-324"_ba;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "INF"_ba;
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << "-INF"_ba;
}

void TestSqliteDatabase::floatTextGeneralFormat()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    makeDb("create table t(v REAL);");
    QVERIFY(execBound(m_db, "insert into t values (?)",
                      [&](sqlite3_stmt *s) { return sqlite3_bind_double(s, 1, value); }));
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v from t"_s);
    // The tests run in the C locale, whose separator is the full stop.
    QCOMPARE(QLocale::system().decimalPoint(), u"."_s);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), text);
}

void TestSqliteDatabase::floatTextUsesGivenSeparator_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("comma") << 2.5 << ","_ba
                           << "2,5"_ba;
    QTest::newRow("comma, small") << 0.00002 << ","_ba
                                  << "0,00002"_ba;
    QTest::newRow("comma, exponent") << 1.25e-9 << ","_ba
                                     << "1,25E-9"_ba;
    QTest::newRow("whole, no separator") << 3.0 << ","_ba
                                         << "3"_ba;
    QTest::newRow("multibyte") << -7.125 << "\xd9\xab"_ba
                               << "-7\xd9\xab"
                                  "125"_ba;
}

void TestSqliteDatabase::floatTextUsesGivenSeparator()
{
    QFETCH(double, value);
    QFETCH(QByteArray, separator);
    QFETCH(QByteArray, text);
    char buffer[kValueTextCapacity];
    const qsizetype n = formatGeneralFloat(value, separator, buffer, sizeof buffer);
    QCOMPARE(QByteArray(buffer, n), text);
}

void TestSqliteDatabase::textKeptAsStoredBytes_data()
{
    QTest::addColumn<QByteArray>("bound");
    QTest::addColumn<QByteArray>("read");
    QTest::newRow("utf-8 stays utf-8") << "\xe6\x8a\xa5\xe8\xad\xa6"_ba
                                       << "\xe6\x8a\xa5\xe8\xad\xa6"_ba;
    QTest::newRow("invalid utf-8 unchanged") << "a\xff\xfe"_ba
                                             << "a\xff\xfe"_ba;
    // Every byte the database holds, NUL bytes too: nothing after a NUL is lost.
    QTest::newRow("NUL in the middle") << QByteArray("ab\0cd", 5) << QByteArray("ab\0cd", 5);
    QTest::newRow("leading NUL") << QByteArray("\0x", 2) << QByteArray("\0x", 2);
    QTest::newRow("trailing NUL") << QByteArray("ab\0", 3) << QByteArray("ab\0", 3);
    QTest::newRow("only NUL") << QByteArray("\0", 1) << QByteArray("\0", 1);
}

void TestSqliteDatabase::textKeptAsStoredBytes()
{
    QFETCH(QByteArray, bound);
    QFETCH(QByteArray, read);
    makeDb("create table t(v TEXT, w TEXT);");
    QVERIFY(execBound(m_db, "insert into t values (?, 'next')", [&](sqlite3_stmt *s) {
        return sqlite3_bind_text(s, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
    }));
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v, w from t"_s);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), read);
    // The next cell's text starts where this one's bytes ended, not at the NUL.
    QCOMPARE(t->DisplayTextView(1, scratch).toByteArray(), "next"_ba);
}

void TestSqliteDatabase::blobCells_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("bytes") << "x'00ff10'"_ba
                           << "\x00\xff\x10"_ba;
    QTest::newRow("zero-length") << "x''"_ba
                                 << ""_ba;
    QTest::newRow("null") << "null"_ba
                          << ""_ba;
    QTest::newRow("text in blob column") << "'abc'"_ba
                                         << "abc"_ba;
}

void TestSqliteDatabase::blobCells()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, content);
    makeDb(("create table t(v BLOB, w TEXT); insert into t values (" + stored + ", null);")
               .constData());
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select v, w from t"_s);
    QByteArray scratch;
    // Read twice: the stored stream is rewound for each read.
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), content);
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), content);
    // A NULL in a text column reads empty rather than failing as a wrong kind.
    QCOMPARE(t->DisplayTextView(1, scratch).toByteArray(), QByteArray());
}

void TestSqliteDatabase::emptyResult()
{
    makeDb("create table Buffer1(ID INTEGER, N1 TEXT);");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select * from Buffer1"_s);
    QCOMPARE(t->RecordCount(), 0u);
    QCOMPARE(t->ColumnCount(), 0u);
    QVERIFY(t->AtEnd());
    QVERIFY(!t->MoveNext());
    QVERIFY(t->AtEnd());
    QCOMPARE(failureOf([&] { t->FieldNumber(u"ID"_s); }), u"Field ID Not found. Empty dataset"_s);
    const QString eof = u"Table is at End of File"_s;
    QCOMPARE(failureOf([&] { t->IntegerValue(0); }), eof);
    qint64 number = 0;
    QCOMPARE(failureOf([&] { t->DisplayInteger(0, number); }), eof);
    QByteArray scratch;
    QCOMPARE(failureOf([&] { t->DisplayTextView(0, scratch); }), eof);
}

void TestSqliteDatabase::fieldNumber_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position"); // -1: not found
    const QString buffer = u"select ID, N1, N2 from t"_s;
    QTest::newRow("exact") << buffer << u"N2"_s << 2;
    QTest::newRow("lower case") << buffer << u"id"_s << 0;
    QTest::newRow("mixed case") << buffer << u"n1"_s << 1;
    QTest::newRow("lower-case column name") << u"select id as id, n1 from t"_s << u"ID"_s << 0;
    QTest::newRow("first of two") << u"select N1 as A, N2 as a from t"_s << u"a"_s << 0;
    QTest::newRow("not found keeps caller's spelling") << buffer << u"Nope"_s << -1;
    QTest::newRow("prefix is not a match") << buffer << u"N"_s << -1;
    QTest::newRow("non-ASCII, other case") << u"select N1 as \"été\" from t"_s << u"ÉTÉ"_s << 0;
}

void TestSqliteDatabase::fieldNumber()
{
    QFETCH(QString, sql);
    QFETCH(QString, name);
    QFETCH(int, position);
    makeDb("create table t(ID INTEGER, N1 TEXT, N2 TEXT); insert into t values (1, 'a', 'b');");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(sql);
    if (position >= 0)
        QCOMPARE(t->FieldNumber(name), position);
    else
        QCOMPARE(failureOf([&] { t->FieldNumber(name); }),
                 u"Field not found in dataset: "_s + name);
}

void TestSqliteDatabase::cursorWalksForwardOnly()
{
    makeDb("create table t(ID INTEGER); insert into t values (10), (20), (30);");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select ID from t order by ID"_s);
    QCOMPARE(t->RecordCount(), 3u);
    QList<qint64> seen;
    while (!t->AtEnd()) {
        seen << t->IntegerValue(0);
        QVERIFY(t->MoveNext());
    }
    QCOMPARE(seen, (QList<qint64> {10, 20, 30}));
    QVERIFY(!t->MoveNext());
    QCOMPARE(failureOf([&] { t->IntegerValue(0); }), u"Table is at End of File"_s);
    QByteArray scratch;
    QCOMPARE(failureOf([&] { t->DisplayTextView(0, scratch); }), u"Table is at End of File"_s);
    // Names are still known at the end.
    QCOMPARE(t->FieldNumber(u"id"_s), 0);
}

void TestSqliteDatabase::columnOutOfRangeRefused_data()
{
    QTest::addColumn<int>("col");
    QTest::newRow("negative") << -1;
    QTest::newRow("column count") << 2;
    QTest::newRow("far") << 1000000;
}

void TestSqliteDatabase::columnOutOfRangeRefused()
{
    QFETCH(int, col);
    makeDb("create table t(a INTEGER, b TEXT); insert into t values (1, 'x'), (2, 'y');");
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select a, b from t"_s);
    const QString message = u"Field index out of range: %1"_s.arg(col);
    QCOMPARE(failureOf([&] { t->IntegerValue(col); }), message);
    qint64 number = 0;
    QCOMPARE(failureOf([&] { t->DisplayInteger(col, number); }), message);
    QByteArray scratch;
    QCOMPARE(failureOf([&] { t->DisplayTextView(col, scratch); }), message);
}

void TestSqliteDatabase::tableOutlivesConnection()
{
    makeDb("create table t(a INTEGER, b TEXT); insert into t values (5, 'five');");
    std::unique_ptr<SqliteTable> t;
    {
        SqliteDatabase db(m_db, kReadOnly);
        t = db.QueryTable(u"select a, b from t"_s);
    }
    QByteArray scratch;
    QCOMPARE(t->IntegerValue(0), 5);
    QCOMPARE(t->DisplayTextView(1, scratch).toByteArray(), "five"_ba);
    QVERIFY(QFile::remove(m_db));
    QCOMPARE(t->DisplayTextView(1, scratch).toByteArray(), "five"_ba);
}

void TestSqliteDatabase::displayTextViewOfEveryKind()
{
    makeDb("create table t(ID INTEGER, N1 TEXT, F REAL, B BLOB, X);"
           "insert into t values (1, 'abc', 2.5, x'4142', null);"
           "insert into t values (-9223372036854775808, '', -1e-9, null, 3);"
           "insert into t values (null, null, null, x'', 'x');");
    // X has no declared type and a NULL first: a null column, whose later values read empty.
    const QList<QByteArrayList> expected = {
        {"1", "abc", "2.5", "AB", ""},
        {"-9223372036854775808", "", "-1E-9", "", ""},
        {"", "", "", "", ""},
    };
    SqliteDatabase db(m_db, kReadOnly);
    const auto t = db.QueryTable(u"select * from t"_s);
    QByteArray scratch;
    int rows = 0;
    for (; !t->AtEnd(); t->MoveNext(), ++rows) {
        for (int c = 0; c < int(t->ColumnCount()); ++c) {
            QCOMPARE(t->DisplayTextView(c, scratch).toByteArray(), expected[rows][c]);
            const char *before = scratch.constData();
            t->DisplayTextView(c, scratch);
            // The scratch buffer is reused once grown; a blob's bytes replace it.
            if (c != 3)
                QCOMPARE(scratch.constData(), before);
        }
    }
    QCOMPARE(rows, 3);
}

void TestSqliteDatabase::stepFailureRetrievesNoData()
{
    makeDb("create table t(a INTEGER); insert into t values (1), (2);");
    SqliteDatabase db(m_db, kReadOnly);
    // The second row overflows while being computed.
    const QString sql
        = u"select case a when 2 then abs(-9223372036854775807 - 1) else a end from t order by a"_s;
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }),
             u"Could not retrieve data.\rError [1]: SQL error or missing database.\r\"%1\": "
             "integer overflow"_s.arg(sql));
    QVERIFY(noOpenStatement(db));
}

void TestSqliteDatabase::busyAtStepAndAtPrepare()
{
    makeDb("create table Buffer1(ID INTEGER); insert into Buffer1 values (1);");
    const QString sql = u"select * from Buffer1"_s;

    SqliteDatabase warm(m_db, kReadOnly); // has read the schema already
    QCOMPARE(warm.QueryTable(sql)->RecordCount(), 1u);

    sqlite3 *locker = nullptr;
    QCOMPARE(sqlite3_open(m_db.toUtf8().constData(), &locker), SQLITE_OK);
    QCOMPARE(sqlite3_exec(locker, "begin exclusive; insert into Buffer1 values (2);", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);

    // The schema is known: only the step meets the lock.
    QCOMPARE(failureOf([&] { warm.QueryTable(sql); }), u"Could not prepare SQL statement"_s);
    QVERIFY(noOpenStatement(warm));

    // A fresh connection meets it while reading the schema for the prepare.
    {
        SqliteDatabase cold(m_db, kReadOnly);
        QCOMPARE(failureOf([&] { cold.QueryTable(sql); }),
                 u"Error executing SQL.\rError [5]: The database file is locked.\r\"%1\": "
                 "database is locked"_s.arg(sql));
        QVERIFY(noOpenStatement(cold));
    }

    sqlite3_exec(locker, "rollback;", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    QCOMPARE(warm.QueryTable(sql)->RecordCount(), 1u);
}

void TestSqliteDatabase::damagedFileFailsCleanly_data()
{
    QTest::addColumn<int>("keep"); // bytes kept of the original, -1: all
    QTest::addColumn<int>("scrambleAt"); // offset overwritten with 0xff bytes, -1: none
    QTest::addColumn<QString>("message"); // how the failure starts
    QTest::addColumn<int>("code");
    QTest::newRow("empty file") << 0 << -1 << u"Error executing SQL"_s << 1;
    QTest::newRow("header only") << 100 << -1 << u"Error executing SQL"_s << 11;
    QTest::newRow("truncated") << 40000 << -1 << u"Error executing SQL"_s << 11;
    QTest::newRow("bad signature") << -1 << 0 << u"Error executing SQL"_s << 26;
    QTest::newRow("scrambled data page") << -1 << 30000 << u"Could not retrieve data"_s << 11;
    QTest::newRow("scrambled schema") << -1 << 100 << u"Error executing SQL"_s << 11;
}

void TestSqliteDatabase::damagedFileFailsCleanly()
{
    QFETCH(int, keep);
    QFETCH(int, scrambleAt);
    QFETCH(QString, message);
    QFETCH(int, code);
    makeDb("create table Buffer1(ID INTEGER, N1 TEXT);"
           "with recursive n(i) as (select 1 union all select i + 1 from n where i < 4000) "
           "insert into Buffer1 select i, printf('text %08d', i) from n;");
    QFile f(m_db);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.size() > 100000);
    if (keep >= 0)
        QVERIFY(f.resize(keep));
    if (scrambleAt >= 0) {
        QVERIFY(f.seek(scrambleAt));
        f.write(QByteArray(64, '\xff'));
    }
    f.close();
    SqliteDatabase db(m_db, kReadOnly);
    const QString got = failureOf([&] {
        const auto t = db.QueryTable(u"select * from Buffer1"_s);
        QByteArray scratch;
        for (; !t->AtEnd(); t->MoveNext())
            t->DisplayTextView(1, scratch);
    });
    QVERIFY2(got.startsWith(message + u".\rError [%1]: "_s.arg(code)), qPrintable(got));
    QVERIFY(noOpenStatement(db));
}

// --- rows visited as they are stepped ----------------------------------------------------------

void TestSqliteDatabase::visitedRowReadsAsFetched()
{
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, stored);
    QFETCH(QString, integer);
    QFETCH(QByteArray, text);
    makeDb(
        ("create table t(v " + declared + "); insert into t values (" + stored + ");").constData());
    SqliteDatabase db(m_db, kReadOnly);
    int visits = 0;
    CellReads got;
    bool handedNumber = false;
    qint64 number = 0;
    db.QueryRows(u"select v from t"_s, [&](const SqliteTable &t) -> quint64 {
        ++visits;
        got = CellReads::of(t);
        handedNumber = t.DisplayInteger(0, number);
        return 0;
    });
    QCOMPARE(visits, 1);
    QCOMPARE(got.integer, integer);
    QCOMPARE(got.view, text);
    // A number is handed over exactly where the text is its decimal, in integer columns.
    if (handedNumber)
        QCOMPARE(QByteArray::number(number), text);
    else
        QVERIFY(declared != "INTEGER" || text.isEmpty());
}

void TestSqliteDatabase::visitedRowsInOrderThenAtEnd()
{
    makeDb("create table t(id integer, name text);"
           "insert into t values (1, 'one'), (2, NULL), (3, 'three');");
    SqliteDatabase db(m_db, kReadOnly);
    QByteArrayList seen;
    const auto t = db.QueryRows(u"select * from t"_s, [&](const SqliteTable &row) -> quint64 {
        QByteArray scratch;
        seen << QByteArray::number(row.IntegerValue(row.FieldNumber(u"ID"_s))) + '='
                + row.DisplayTextView(row.FieldNumber(u"name"_s), scratch).toByteArray();
        return 0;
    });
    QCOMPARE(seen, (QByteArrayList {"1=one", "2=", "3=three"}));
    QCOMPARE(t->RecordCount(), 3u);
    QCOMPARE(t->ColumnCount(), 2u);
    QVERIFY(t->AtEnd());
    QCOMPARE(failureOf([&] { t->IntegerValue(0); }), u"Table is at End of File"_s);
    QVERIFY(noOpenStatement(db));
}

void TestSqliteDatabase::visitorBytesCountAgainstLimits_data()
{
    QTest::addColumn<quint64>("rowLimit");
    QTest::addColumn<quint64>("byteLimit");
    QTest::addColumn<quint64>("stoppedAt"); // 0: the fetch completes
    // The visitor says it keeps 1 MB per row; the table itself keeps nothing.
    QTest::newRow("within both") << quint64(0) << quint64(1) << quint64(0);
    QTest::newRow("bytes passed at row 5") << quint64(0) << quint64(4) << quint64(5);
    QTest::newRow("rows passed first") << quint64(2) << quint64(100) << quint64(3);
}

void TestSqliteDatabase::visitorBytesCountAgainstLimits()
{
    QFETCH(quint64, rowLimit);
    QFETCH(quint64, byteLimit);
    QFETCH(quint64, stoppedAt);
    makeDb("create table t(v integer); insert into t values (1), (2), (3), (4), (5), (6);");
    constexpr quint64 mb = 1 << 20;
    SqliteDatabase db(m_db, kReadOnly);
    // The library's own memory counts too: the byte limit is set above it.
    db.SetFetchLimits(
        {rowLimit, byteLimit == 1 ? 0 : byteLimit * mb + mb / 2 + quint64(sqlite3_memory_used())});
    quint64 rows = 0;
    try {
        db.QueryRows(u"select v from t"_s, [&](const SqliteTable &) { return ++rows * mb; });
        QCOMPARE(stoppedAt, quint64(0));
        QCOMPARE(rows, quint64(6));
    } catch (const SqliteTooLarge &e) {
        QCOMPARE(e.records(), stoppedAt);
        if (rowLimit == 0)
            QVERIFY(e.bytes() >= stoppedAt * mb);
    }
    QVERIFY(noOpenStatement(db));
}

QTEST_GUILESS_MAIN(TestSqliteDatabase)
#include "tst_sqlitedatabase.moc"
