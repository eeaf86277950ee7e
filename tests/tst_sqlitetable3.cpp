// The connection, binding and result table against real database files.

#include "dataaccess/SQLiteTable3.h"
#include "dataaccess/ValueText.h"
#include "support/SqliteSupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TSQLiteValue)

using namespace Qt::StringLiterals;
using sqlitetest::exec;
using sqlitetest::failureOf;
using sqlitetest::noOpenStatement;

namespace {

// A device that claims more bytes than any allocation can hold.
class HugeDevice : public QIODevice
{
public:
    HugeDevice() { open(QIODevice::ReadOnly); }
    qint64 size() const override { return qint64(1) << 62; }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

// A device whose reads stop short of its size.
class ShortDevice : public HugeDevice
{
public:
    qint64 size() const override { return 10; }

protected:
    qint64 readData(char *data, qint64) override
    {
        if (m_given)
            return 0;
        data[0] = 'x';
        m_given = true;
        return 1;
    }

private:
    bool m_given = false;
};

} // namespace

// Every read of column 0 on the table's current row: the value, or the failure's message.
struct CellReads
{
    QString integer, real, blob;
    QByteArray text, display, view;

    static CellReads of(const TSQLiteTable &t)
    {
        CellReads r;
        r.integer = failureOf([&] { throw ESQLiteException(QString::number(t.IntegerValue(0))); });
        r.real = failureOf([&] { throw ESQLiteException(QString::number(t.FloatValue(0))); });
        r.text = t.TextValue(0);
        r.display = t.DisplayText(0);
        QByteArray scratch;
        r.view = t.DisplayTextView(0, scratch).toByteArray();
        r.blob = failureOf([&] {
            t.BlobStream(0);
            throw ESQLiteException(u"stream"_s);
        });
        return r;
    }
};

class TestSQLiteTable3 : public QObject
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
    void defaultModeCreatesMissingFile();
    void notADatabaseFailsAtFirstQuery_data();
    void notADatabaseFailsAtFirstQuery();

    // --- statements ----------------------------------------------------------------------------

    void raiseLastErrorFormat();
    void noStatementInText_data();
    void noStatementInText();
    void executeStatementFailures_data();
    void executeStatementFailures();
    void executeRunsOnlyFirstStatement();
    void rollbackWithoutTransactionFails();

    // --- binding -------------------------------------------------------------------------------

    void bindsEveryKind_data();
    void bindsEveryKind();
    void bufferBindsInPlaceFromItsPosition();
    void bindFailuresWithLibraryError_data();
    void bindFailuresWithLibraryError();
    void unbindableValues_data();
    void unbindableValues();

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
    void displayTextViewMatchesDisplayText();
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

void TestSQLiteTable3::openFailsWithFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("detail");
    QTest::newRow("read-only, missing file")
        << u"missing.db"_s << int(TSQLiteDatabase::OpenMode::ReadOnly)
        << u"unable to open database file"_s;
    QTest::newRow("read-only, missing folder")
        << u"no/such/folder.db"_s << int(TSQLiteDatabase::OpenMode::ReadOnly)
        << u"unable to open database file"_s;
    QTest::newRow("create, missing folder")
        << u"no/such/folder.db"_s << int(TSQLiteDatabase::OpenMode::ReadWriteCreate)
        << u"unable to open database file"_s;
}

void TestSQLiteTable3::openFailsWithFileName()
{
    QFETCH(QString, name);
    QFETCH(int, mode);
    QFETCH(QString, detail);
    const QString file = path(name);
    const QString message
        = failureOf([&] { TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode(mode)); });
    QCOMPARE(message, u"Failed to open database \"%1\" : %2"_s.arg(file, detail));
    QVERIFY(!QFile::exists(file));
}

void TestSQLiteTable3::defaultModeCreatesMissingFile()
{
    const QString file = path(u"created.db"_s);
    TSQLiteDatabase db(file);
    QVERIFY(QFile::exists(file));
    const QString message = failureOf([&] { db.QueryTable(u"select * from Buffer1"_s); });
    QCOMPARE(message,
             u"Error executing SQL.\rError [1]: SQL error or missing database.\r"
             "\"select * from Buffer1\": no such table: Buffer1"_s);
    QVERIFY(noOpenStatement(db));
}

void TestSQLiteTable3::notADatabaseFailsAtFirstQuery_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("create") << int(TSQLiteDatabase::OpenMode::ReadWriteCreate);
    QTest::newRow("read-only") << int(TSQLiteDatabase::OpenMode::ReadOnly);
}

void TestSQLiteTable3::notADatabaseFailsAtFirstQuery()
{
    QFETCH(int, mode);
    const QString file = path(u"text.db"_s);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode(mode));
    const QString message = failureOf([&] { db.QueryTable(u"select * from Buffer1"_s); });
    QCOMPARE(message,
             u"Error executing SQL.\rError [26]: File opened that is not a database file."
             "\r\"select * from Buffer1\": file is not a database"_s);
    QVERIFY(noOpenStatement(db));
}

// --- statements --------------------------------------------------------------------------------

void TestSQLiteTable3::raiseLastErrorFormat()
{
    makeDb("create table t(a integer primary key);");
    TSQLiteDatabase db(m_db);
    // No error on the connection: the message alone.
    QCOMPARE(failureOf([&] { db.RaiseLastError(u"Plain"_s, u"select 1"_s); }), u"Plain"_s);
    // After a failure: message, code, code text, SQL text and the library's detail.
    try {
        db.ExecuteStatement(u"insert into t values (1)"_s);
        db.ExecuteStatement(u"insert into t values (1)"_s);
        QFAIL("no exception");
    } catch (const ESQLiteException &e) {
        QCOMPARE(QByteArray(e.what()),
                 QByteArray("Error executing SQL statement.\rError [19]: Abort due to contraint "
                            "violation.\r\"insert into t values (1)\": UNIQUE constraint failed: "
                            "t.a"));
    }
    QVERIFY(noOpenStatement(db));
    // The connection stays usable after a failure.
    db.ExecuteStatement(u"insert into t values (2)"_s);
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 2);
}

void TestSQLiteTable3::noStatementInText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << u"   \n\t"_s;
    QTest::newRow("line comment") << u"-- nothing here"_s;
    QTest::newRow("block comment") << u"/* nothing */"_s;
    QTest::newRow("semicolon") << u";"_s;
}

void TestSQLiteTable3::noStatementInText()
{
    QFETCH(QString, sql);
    TSQLiteDatabase db(m_db);
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }), u"Could not prepare SQL statement"_s);
    QCOMPARE(failureOf([&] { db.ExecuteStatement(sql); }), u"Could not prepare SQL statement"_s);
    QVERIFY(noOpenStatement(db));
}

void TestSQLiteTable3::executeStatementFailures_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::newRow("yields a row") << u"select * from t"_s << u"Error executing SQL statement"_s;
    QTest::newRow("prepare error")
        << u"insert into nowhere values (1)"_s
        << u"Error executing SQL.\rError [1]: SQL error or missing database.\r"
           "\"insert into nowhere values (1)\": no such table: nowhere"_s;
    QTest::newRow("syntax error") << u"selec 1"_s
                                  << u"Error executing SQL.\rError [1]: SQL error or missing "
                                     "database.\r\"selec 1\": near \"selec\": syntax error"_s;
    QTest::newRow("percent signs in SQL")
        << u"insert into nowhere values ('%1 %2')"_s
        << u"Error executing SQL.\rError [1]: SQL error or missing database.\r"
           "\"insert into nowhere values ('%1 %2')\": no such table: nowhere"_s;
    QTest::newRow("constraint")
        << u"insert into t values (1, 'again')"_s
        << u"Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
           "\"insert into t values (1, 'again')\": UNIQUE constraint failed: t.id"_s;
    QTest::newRow("not null")
        << u"insert into t values (null, null)"_s
        << u"Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
           "\"insert into t values (null, null)\": NOT NULL constraint failed: t.name"_s;
}

void TestSQLiteTable3::executeStatementFailures()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    makeDb("create table t(id integer primary key, name text not null);"
           "insert into t values (1, 'one');");
    TSQLiteDatabase db(m_db);
    QCOMPARE(failureOf([&] { db.ExecuteStatement(sql); }), message);
    QVERIFY(noOpenStatement(db));
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 1);
}

void TestSQLiteTable3::executeRunsOnlyFirstStatement()
{
    makeDb("create table t(a);");
    TSQLiteDatabase db(m_db);
    db.ExecuteStatement(u"insert into t values (1); insert into t values (2)"_s);
    const auto t = db.QueryTable(u"select a from t; select 99"_s);
    QCOMPARE(t->RecordCount(), 1u);
    QCOMPARE(t->IntegerValue(0), 1);
}

void TestSQLiteTable3::rollbackWithoutTransactionFails()
{
    TSQLiteDatabase db(m_db);
    QCOMPARE(failureOf([&] { db.RollbackTransaction(); }),
             u"Error executing SQL statement.\rError [1]: SQL error or missing database.\r"
             "\"ROLLBACK\": cannot rollback - no transaction is active"_s);
    QVERIFY(!db.InTransaction());
    QVERIFY(noOpenStatement(db));
}

// --- binding -----------------------------------------------------------------------------------

void TestSQLiteTable3::bindsEveryKind_data()
{
    QTest::addColumn<TSQLiteValue>("value");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("int32") << TSQLiteValue(qint32(-7)) << "integer"_ba
                           << "-7"_ba;
    QTest::newRow("bool true") << TSQLiteValue(true) << "integer"_ba
                               << "1"_ba;
    QTest::newRow("bool false") << TSQLiteValue(false) << "integer"_ba
                                << "0"_ba;
    QTest::newRow("int64") << TSQLiteValue(qint64(1) << 40) << "integer"_ba
                           << "1099511627776"_ba;
    QTest::newRow("extended") << TSQLiteValue((long double)2.5) << "real"_ba
                              << "2.5"_ba;
    QTest::newRow("null pointer") << TSQLiteValue(static_cast<const void *>(nullptr)) << "null"_ba
                                  << ""_ba;
    // Bytes go in unchanged, NUL and invalid UTF-8 included.
    QTest::newRow("8-bit text") << TSQLiteValue(QByteArray("a\0\xff", 3)) << "text"_ba
                                << "6100FF"_ba;
    QTest::newRow("empty 8-bit text") << TSQLiteValue(QByteArray()) << "text"_ba
                                      << ""_ba;
    QTest::newRow("wide text") << TSQLiteValue(u"Zä€"_s) << "text"_ba
                               << "5AC3A4E282AC"_ba;
}

void TestSQLiteTable3::bindsEveryKind()
{
    QFETCH(TSQLiteValue, value);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, hex);
    makeDb("create table t(v);");
    TSQLiteDatabase db(m_db);
    db.ExecuteStatement(u"insert into t values (?)"_s, {value});
    const auto t = db.QueryTable(
        u"select typeof(v), case typeof(v) when 'text' then hex(v) else v end from t"_s);
    QCOMPARE(t->TextValue(0), type);
    QCOMPARE(t->TextValue(1), hex);
}

void TestSQLiteTable3::bufferBindsInPlaceFromItsPosition()
{
    makeDb("create table t(n, v);");
    TSQLiteDatabase db(m_db);

    QBuffer buffer;
    buffer.setData(QByteArray("0123456789"));
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    buffer.seek(4);
    const QByteArray *heldBefore = &buffer.buffer();
    db.ExecuteStatement(u"insert into t values (1, ?)"_s, {&buffer});
    // Passed as a plain device, it is still read from its position.
    db.ExecuteStatement(u"insert into t values (2, ?)"_s, {static_cast<QIODevice *>(&buffer)});
    QCOMPARE(buffer.pos(), 4);
    QCOMPARE(&buffer.buffer(), heldBefore);

    // Any other device: its whole content, wherever it stands.
    QFile file(path(u"blob.bin"_s));
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
    file.write("abcdef");
    QVERIFY(file.seek(3));
    db.ExecuteStatement(u"insert into t values (3, ?)"_s, {static_cast<QIODevice *>(&file)});
    // An empty device is an empty blob, not NULL.
    QBuffer empty;
    QVERIFY(empty.open(QIODevice::ReadOnly));
    db.ExecuteStatement(u"insert into t values (4, ?)"_s, {static_cast<QObject *>(&empty)});
    QFile emptyFile(path(u"empty.bin"_s));
    QVERIFY(emptyFile.open(QIODevice::ReadWrite | QIODevice::Truncate));
    db.ExecuteStatement(u"insert into t values (5, ?)"_s, {static_cast<QIODevice *>(&emptyFile)});

    const auto t = db.QueryTable(u"select typeof(v), cast(v as text) from t order by n"_s);
    const QByteArray expected[][2]
        = {{"blob", "456789"}, {"blob", "456789"}, {"blob", "abcdef"}, {"blob", ""}, {"blob", ""}};
    for (const auto &row : expected) {
        QCOMPARE(t->TextValue(0), row[0]);
        QCOMPARE(t->TextValue(1), row[1]);
        t->MoveNext();
    }
    QVERIFY(t->AtEnd());
}

void TestSQLiteTable3::bindFailuresWithLibraryError_data()
{
    QTest::addColumn<TSQLiteValue>("surplus");
    QTest::addColumn<QString>("message");
    static QBuffer stream;
    stream.setData("xyz");
    stream.open(QIODevice::ReadOnly);
    QTest::newRow("int32") << TSQLiteValue(qint32(1)) << u"Could not bind integer"_s;
    QTest::newRow("bool") << TSQLiteValue(true) << u"Could not bind boolean"_s;
    QTest::newRow("int64") << TSQLiteValue(qint64(1)) << u"Could not bind int64"_s;
    QTest::newRow("extended") << TSQLiteValue((long double)1) << u"Could not bind extended"_s;
    QTest::newRow("null") << TSQLiteValue(static_cast<const void *>(nullptr))
                          << u"Could not bind null"_s;
    QTest::newRow("8-bit text") << TSQLiteValue("x"_ba) << u"Could not bind text"_s;
    QTest::newRow("wide text") << TSQLiteValue(u"x"_s) << u"Could not bind text"_s;
    QTest::newRow("stream") << TSQLiteValue(&stream) << u"Could not bind BLOB"_s;
}

void TestSQLiteTable3::bindFailuresWithLibraryError()
{
    QFETCH(TSQLiteValue, surplus);
    QFETCH(QString, message);
    makeDb("create table t(a);");
    TSQLiteDatabase db(m_db);
    const QString expected = message
        + u".\rError [25]: 2nd parameter to sqlite3_bind out of range.\r"
          "\"BindData\": column index out of range"_s;
    QCOMPARE(failureOf([&] {
                 db.ExecuteStatement(u"insert into t values (?)"_s, {qint32(1), surplus});
             }),
             expected);
    QVERIFY(noOpenStatement(db));
    QCOMPARE(failureOf([&] {
                 TSQLiteTable t(db, u"select ? as a"_s, {qint32(1), surplus});
             }),
             expected);
    QVERIFY(noOpenStatement(db));
    // Nothing was inserted by the failed statement.
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 0);
}

void TestSQLiteTable3::unbindableValues_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("message");
    QTest::newRow("pointer") << 0 << u"Unhandled pointer (<> nil)"_s;
    QTest::newRow("other object") << 1 << u"Unhandled object-type in binding"_s;
    QTest::newRow("null object") << 2 << u"Unhandled object-type in binding"_s;
    QTest::newRow("unhandled") << 3 << u"Unhandled binding"_s;
    QTest::newRow("no memory for copy") << 4 << u"Error getting memory to save blob"_s;
    QTest::newRow("short read") << 5 << u"Could not bind BLOB"_s;
}

void TestSQLiteTable3::unbindableValues()
{
    QFETCH(int, which);
    QFETCH(QString, message);
    makeDb("create table t(a, b);");
    int anything = 0;
    QObject object;
    HugeDevice huge;
    ShortDevice shortRead;
    const TSQLiteValue values[] = {
        TSQLiteValue(static_cast<const void *>(&anything)),
        TSQLiteValue(&object),
        TSQLiteValue(static_cast<QObject *>(nullptr)),
        TSQLiteValue(SQLiteUnhandledValue()),
        TSQLiteValue(static_cast<QIODevice *>(&huge)),
        TSQLiteValue(static_cast<QIODevice *>(&shortRead)),
    };
    TSQLiteDatabase db(m_db);
    QCOMPARE(failureOf([&] {
                 db.ExecuteStatement(u"insert into t values (?, ?)"_s, {qint32(1), values[which]});
             }),
             message);
    QVERIFY(noOpenStatement(db));
    QCOMPARE(db.QueryTable(u"select count(*) from t"_s)->IntegerValue(0), 0);
}

// --- result table ------------------------------------------------------------------------------

void TestSQLiteTable3::columnKindFromDeclaredType_data()
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

void TestSQLiteTable3::columnKindFromDeclaredType()
{
    QFETCH(QByteArray, declared);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    makeDb(("create table t(v " + declared + "); insert into t values (42);").constData());
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select v from t"_s);
    QCOMPARE(t->ColumnKinds(), std::vector<int> {kind});
    QCOMPARE(t->TextValue(0), text);
    switch (kind) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        QCOMPARE(t->IntegerValue(0), 42);
        break;
    case SQLITE_TEXT:
        QCOMPARE(failureOf([&] { t->IntegerValue(0); }), u"Not an integer or numeric field"_s);
        break;
    default:
        QCOMPARE(t->BlobContentText(0), text);
    }
}

void TestSQLiteTable3::expressionKindFromFirstRow_data()
{
    QTest::addColumn<QString>("firstValue");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("secondText"); // TextValue of the second row's value 7
    QTest::newRow("integer") << u"1"_s << SQLITE_INTEGER << "7"_ba;
    QTest::newRow("float") << u"1.5"_s << SQLITE_FLOAT << "7"_ba;
    QTest::newRow("text") << u"'a'"_s << SQLITE_TEXT << "7"_ba;
    QTest::newRow("blob") << u"x'01'"_s << SQLITE_BLOB << "7"_ba;
    // A first NULL makes a null column: later values read as empty text.
    QTest::newRow("null") << u"null"_s << SQLITE_NULL << ""_ba;
}

void TestSQLiteTable3::expressionKindFromFirstRow()
{
    QFETCH(QString, firstValue);
    QFETCH(int, kind);
    QFETCH(QByteArray, secondText);
    makeDb("create table t(n integer, v); insert into t values (1, 0), (2, 7);");
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(
        u"select case n when 1 then %1 else v end as e from t order by n"_s.arg(firstValue));
    QCOMPARE(t->ColumnKinds(), std::vector<int> {kind});
    QVERIFY(t->MoveNext());
    QCOMPARE(t->TextValue(0), secondText);
    QCOMPARE(t->DisplayText(0), secondText);
}

void TestSQLiteTable3::nullInEachKind_data()
{
    QTest::addColumn<QByteArray>("declared");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("integer") << "INTEGER"_ba
                             << "0"_ba;
    QTest::newRow("float") << "REAL"_ba
                           << "0"_ba;
    QTest::newRow("text") << "TEXT"_ba
                          << ""_ba;
    QTest::newRow("blob") << "BLOB"_ba
                          << ""_ba;
}

void TestSQLiteTable3::nullInEachKind()
{
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, text);
    makeDb(("create table t(v " + declared + "); insert into t values (null);").constData());
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select v from t"_s);
    QCOMPARE(t->IntegerValue(0), 0);
    QCOMPARE(t->FloatValue(0), 0.0);
    QCOMPARE(t->TextValue(0), text);
    QCOMPARE(t->DisplayText(0), QByteArray());
    QCOMPARE(t->BlobStream(0), nullptr);
    QCOMPARE(t->BlobContentText(0), QByteArray());
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), QByteArray());
}

void TestSQLiteTable3::valueOfEachKind_data()
{
    QTest::addColumn<QByteArray>("declared");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("integer"); // the value or the failure text
    QTest::addColumn<QString>("real");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("blob");
    const QString notNumeric = u"Not an integer or numeric field"_s;
    const QString notBlob = u"Not a Blob field"_s;
    QTest::newRow("integer") << "INTEGER"_ba
                             << "-42"_ba << u"-42"_s << u"-42"_s << "-42"_ba << notBlob;
    QTest::newRow("big integer") << "INTEGER"_ba
                                 << "9223372036854775807"_ba << u"9223372036854775807"_s
                                 << u"9.22337e+18"_s << "9223372036854775807"_ba << notBlob;
    QTest::newRow("float 2.75") << "REAL"_ba
                                << "2.75"_ba << u"2"_s << u"2.75"_s << "2.75"_ba << notBlob;
    QTest::newRow("float -2.75") << "REAL"_ba
                                 << "-2.75"_ba << u"-2"_s << u"-2.75"_s << "-2.75"_ba << notBlob;
    QTest::newRow("float beyond 64 bits")
        << "REAL"_ba
        << "1e300"_ba << u"9223372036854775807"_s << u"1e+300"_s << "1E300"_ba << notBlob;
    // The library's own conversion: the leading number of a text.
    QTest::newRow("text read as integer column")
        << "INTEGER"_ba
        << "'12abc'"_ba << u"12"_s << u"12"_s << "12"_ba << notBlob;
    QTest::newRow("text read as float column")
        << "REAL"_ba
        << "'2.5'"_ba << u"2"_s << u"2.5"_s << "2.5"_ba << notBlob;
    QTest::newRow("text") << "TEXT"_ba
                          << "'abc'"_ba << notNumeric << notNumeric << "abc"_ba << notBlob;
    QTest::newRow("empty text") << "TEXT"_ba
                                << "''"_ba << notNumeric << notNumeric << ""_ba << notBlob;
    QTest::newRow("number in text column")
        << "TEXT"_ba
        << "3.5"_ba << notNumeric << notNumeric << "3.5"_ba << notBlob;
    QTest::newRow("blob") << "BLOB"_ba
                          << "x'610062'"_ba << notNumeric << notNumeric << QByteArray("a\0b", 3)
                          << u"stream"_s;
}

void TestSQLiteTable3::valueOfEachKind()
{
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, stored);
    QFETCH(QString, integer);
    QFETCH(QString, real);
    QFETCH(QByteArray, text);
    QFETCH(QString, blob);
    makeDb(
        ("create table t(v " + declared + "); insert into t values (" + stored + ");").constData());
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select v from t"_s);
    const CellReads got = CellReads::of(*t);
    QCOMPARE(got.integer, integer);
    QCOMPARE(got.real, real);
    QCOMPARE(got.text, text);
    QCOMPARE(got.display, text);
    QCOMPARE(got.blob, blob);
    // A failed read leaves the cursor where it was.
    QVERIFY(!t->AtEnd());
}

void TestSQLiteTable3::floatTextGeneralFormat_data()
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

void TestSQLiteTable3::floatTextGeneralFormat()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    makeDb("create table t(v REAL);");
    {
        TSQLiteDatabase db(m_db);
        db.ExecuteStatement(u"insert into t values (?)"_s, {(long double)value});
    }
    TSQLiteDatabase db(m_db, TSQLiteDatabase::OpenMode::ReadOnly);
    const auto t = db.QueryTable(u"select v from t"_s);
    // The tests run in the C locale, whose separator is the full stop.
    QCOMPARE(QLocale::system().decimalPoint(), u"."_s);
    QCOMPARE(t->TextValue(0), text);
    QCOMPARE(t->DisplayText(0), text);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), text);
}

void TestSQLiteTable3::floatTextUsesGivenSeparator_data()
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

void TestSQLiteTable3::floatTextUsesGivenSeparator()
{
    QFETCH(double, value);
    QFETCH(QByteArray, separator);
    QFETCH(QByteArray, text);
    char buffer[kValueTextCapacity];
    const qsizetype n = formatGeneralFloat(value, separator, buffer, sizeof buffer);
    QCOMPARE(QByteArray(buffer, n), text);
}

void TestSQLiteTable3::textKeptAsStoredBytes_data()
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

void TestSQLiteTable3::textKeptAsStoredBytes()
{
    QFETCH(QByteArray, bound);
    QFETCH(QByteArray, read);
    makeDb("create table t(v TEXT, w TEXT);");
    TSQLiteDatabase db(m_db);
    db.ExecuteStatement(u"insert into t values (?, 'next')"_s, {bound});
    const auto t = db.QueryTable(u"select v, w from t"_s);
    QCOMPARE(t->TextValue(0), read);
    QCOMPARE(t->DisplayText(0), read);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), read);
    // The next cell's text starts where this one's bytes ended, not at the NUL.
    QCOMPARE(t->TextValue(1), "next"_ba);
}

void TestSQLiteTable3::blobCells_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("hasStream");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("bytes") << "x'00ff10'"_ba << true << "\x00\xff\x10"_ba;
    QTest::newRow("zero-length") << "x''"_ba << false << ""_ba;
    QTest::newRow("null") << "null"_ba << false << ""_ba;
    QTest::newRow("text in blob column") << "'abc'"_ba << true << "abc"_ba;
}

void TestSQLiteTable3::blobCells()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, hasStream);
    QFETCH(QByteArray, content);
    makeDb(("create table t(v BLOB, w TEXT); insert into t values (" + stored + ", null);")
               .constData());
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select v, w from t"_s);
    QBuffer *stream = t->BlobStream(0);
    QCOMPARE(stream != nullptr, hasStream);
    if (stream) {
        // Left at its end as written; reading the content rewinds it.
        QCOMPARE(stream->pos(), stream->size());
        QCOMPARE(stream->size(), content.size());
    }
    QCOMPARE(t->BlobContentText(0), content);
    QCOMPARE(t->BlobContentText(0), content);
    QCOMPARE(t->TextValue(0), content);
    QCOMPARE(t->DisplayText(0), content);
    QByteArray scratch;
    QCOMPARE(t->DisplayTextView(0, scratch).toByteArray(), content);
    // A NULL in a text column has no stream rather than a wrong kind.
    QCOMPARE(t->BlobStream(1), nullptr);
}

void TestSQLiteTable3::emptyResult()
{
    makeDb("create table Buffer1(ID INTEGER, N1 TEXT);");
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select * from Buffer1"_s);
    QCOMPARE(t->RecordCount(), 0u);
    QCOMPARE(t->ColumnCount(), 0u);
    QVERIFY(t->AtEnd());
    QVERIFY(!t->MoveNext());
    QVERIFY(t->AtEnd());
    QCOMPARE(failureOf([&] { t->FieldNumber(u"ID"_s); }), u"Field ID Not found. Empty dataset"_s);
    const QString eof = u"Table is at End of File"_s;
    QCOMPARE(failureOf([&] { t->IntegerValue(0); }), eof);
    QCOMPARE(failureOf([&] { t->FloatValue(0); }), eof);
    QCOMPARE(failureOf([&] { t->TextValue(0); }), eof);
    QCOMPARE(failureOf([&] { t->DisplayText(0); }), eof);
    QCOMPARE(failureOf([&] { t->BlobStream(0); }), eof);
    QCOMPARE(failureOf([&] { t->BlobContentText(0); }), eof);
    QByteArray scratch;
    QCOMPARE(failureOf([&] { t->DisplayTextView(0, scratch); }), eof);
}

void TestSQLiteTable3::fieldNumber_data()
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

void TestSQLiteTable3::fieldNumber()
{
    QFETCH(QString, sql);
    QFETCH(QString, name);
    QFETCH(int, position);
    makeDb("create table t(ID INTEGER, N1 TEXT, N2 TEXT); insert into t values (1, 'a', 'b');");
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(sql);
    if (position >= 0)
        QCOMPARE(t->FieldNumber(name), position);
    else
        QCOMPARE(failureOf([&] { t->FieldNumber(name); }),
                 u"Field not found in dataset: "_s + name);
}

void TestSQLiteTable3::cursorWalksForwardOnly()
{
    makeDb("create table t(ID INTEGER); insert into t values (10), (20), (30);");
    TSQLiteDatabase db(m_db);
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
    QCOMPARE(failureOf([&] { t->DisplayText(0); }), u"Table is at End of File"_s);
    // Names are still known at the end.
    QCOMPARE(t->FieldNumber(u"id"_s), 0);
}

void TestSQLiteTable3::columnOutOfRangeRefused_data()
{
    QTest::addColumn<int>("col");
    QTest::newRow("negative") << -1;
    QTest::newRow("column count") << 2;
    QTest::newRow("far") << 1000000;
}

void TestSQLiteTable3::columnOutOfRangeRefused()
{
    QFETCH(int, col);
    makeDb("create table t(a INTEGER, b TEXT); insert into t values (1, 'x'), (2, 'y');");
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select a, b from t"_s);
    const QString message = u"Field index out of range: %1"_s.arg(col);
    QCOMPARE(failureOf([&] { t->IntegerValue(col); }), message);
    QCOMPARE(failureOf([&] { t->TextValue(col); }), message);
    QCOMPARE(failureOf([&] { t->DisplayText(col); }), message);
    QCOMPARE(failureOf([&] { t->BlobStream(col); }), message);
    QByteArray scratch;
    QCOMPARE(failureOf([&] { t->DisplayTextView(col, scratch); }), message);
}

void TestSQLiteTable3::tableOutlivesConnection()
{
    makeDb("create table t(a INTEGER, b TEXT); insert into t values (5, 'five');");
    std::unique_ptr<TSQLiteTable> t;
    {
        TSQLiteDatabase db(m_db);
        t = db.QueryTable(u"select a, b from t"_s);
    }
    QCOMPARE(t->IntegerValue(0), 5);
    QCOMPARE(t->TextValue(1), "five"_ba);
    QVERIFY(QFile::remove(m_db));
    QCOMPARE(t->TextValue(1), "five"_ba);
}

void TestSQLiteTable3::displayTextViewMatchesDisplayText()
{
    makeDb("create table t(ID INTEGER, N1 TEXT, F REAL, B BLOB, X);"
           "insert into t values (1, 'abc', 2.5, x'4142', null);"
           "insert into t values (-9223372036854775808, '', -1e-9, null, 3);"
           "insert into t values (null, null, null, x'', 'x');");
    TSQLiteDatabase db(m_db);
    const auto t = db.QueryTable(u"select * from t"_s);
    QByteArray scratch;
    int rows = 0;
    for (; !t->AtEnd(); t->MoveNext(), ++rows) {
        for (int c = 0; c < int(t->ColumnCount()); ++c) {
            QCOMPARE(t->DisplayTextView(c, scratch).toByteArray(), t->DisplayText(c));
            const char *before = scratch.constData();
            t->DisplayTextView(c, scratch);
            // The scratch buffer is reused once grown.
            if (t->ColumnKinds()[size_t(c)] != SQLITE_BLOB)
                QCOMPARE(scratch.constData(), before);
        }
    }
    QCOMPARE(rows, 3);
}

void TestSQLiteTable3::stepFailureRetrievesNoData()
{
    makeDb("create table t(a INTEGER); insert into t values (1), (2);");
    TSQLiteDatabase db(m_db);
    // The second row overflows while being computed.
    const QString sql
        = u"select case a when 2 then abs(-9223372036854775807 - 1) else a end from t order by a"_s;
    QCOMPARE(failureOf([&] { db.QueryTable(sql); }),
             u"Could not retrieve data.\rError [1]: SQL error or missing database.\r\"%1\": "
             "integer overflow"_s.arg(sql));
    QVERIFY(noOpenStatement(db));
}

void TestSQLiteTable3::busyAtStepAndAtPrepare()
{
    makeDb("create table Buffer1(ID INTEGER); insert into Buffer1 values (1);");
    const QString sql = u"select * from Buffer1"_s;

    TSQLiteDatabase warm(m_db); // has read the schema already
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
    for (auto mode :
         {TSQLiteDatabase::OpenMode::ReadWriteCreate, TSQLiteDatabase::OpenMode::ReadOnly}) {
        TSQLiteDatabase cold(m_db, mode);
        QCOMPARE(failureOf([&] { cold.QueryTable(sql); }),
                 u"Error executing SQL.\rError [5]: The database file is locked.\r\"%1\": "
                 "database is locked"_s.arg(sql));
        QVERIFY(noOpenStatement(cold));
    }

    sqlite3_exec(locker, "rollback;", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    QCOMPARE(warm.QueryTable(sql)->RecordCount(), 1u);
}

void TestSQLiteTable3::damagedFileFailsCleanly_data()
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

void TestSQLiteTable3::damagedFileFailsCleanly()
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
    for (auto mode :
         {TSQLiteDatabase::OpenMode::ReadOnly, TSQLiteDatabase::OpenMode::ReadWriteCreate}) {
        TSQLiteDatabase db(m_db, mode);
        const QString got = failureOf([&] {
            const auto t = db.QueryTable(u"select * from Buffer1"_s);
            QByteArray scratch;
            for (; !t->AtEnd(); t->MoveNext())
                t->DisplayTextView(1, scratch);
        });
        QVERIFY2(got.startsWith(message + u".\rError [%1]: "_s.arg(code)), qPrintable(got));
        QVERIFY(noOpenStatement(db));
    }
}

// --- rows visited as they are stepped ----------------------------------------------------------

void TestSQLiteTable3::visitedRowReadsAsFetched()
{
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, stored);
    QFETCH(QString, integer);
    QFETCH(QString, real);
    QFETCH(QByteArray, text);
    QFETCH(QString, blob);
    makeDb(
        ("create table t(v " + declared + "); insert into t values (" + stored + ");").constData());
    TSQLiteDatabase db(m_db);
    int visits = 0;
    CellReads got;
    bool handedNumber = false;
    qint64 number = 0;
    db.QueryRows(u"select v from t"_s, [&](const TSQLiteTable &t) -> quint64 {
        ++visits;
        got = CellReads::of(t);
        handedNumber = t.DisplayInteger(0, number);
        return 0;
    });
    QCOMPARE(visits, 1);
    QCOMPARE(got.integer, integer);
    QCOMPARE(got.real, real);
    QCOMPARE(got.text, text);
    QCOMPARE(got.display, text);
    QCOMPARE(got.view, text);
    QCOMPARE(got.blob, blob);
    // A number is handed over exactly where the text is its decimal, in integer columns.
    if (handedNumber)
        QCOMPARE(QByteArray::number(number), text);
    else
        QVERIFY(declared != "INTEGER" || text.isEmpty());
}

void TestSQLiteTable3::visitedRowsInOrderThenAtEnd()
{
    makeDb("create table t(id integer, name text);"
           "insert into t values (1, 'one'), (2, NULL), (3, 'three');");
    TSQLiteDatabase db(m_db);
    QByteArrayList seen;
    const auto t = db.QueryRows(u"select * from t"_s, [&](const TSQLiteTable &row) -> quint64 {
        seen << QByteArray::number(row.IntegerValue(row.FieldNumber(u"ID"_s))) + '='
                + row.DisplayText(row.FieldNumber(u"name"_s));
        return 0;
    });
    QCOMPARE(seen, (QByteArrayList {"1=one", "2=", "3=three"}));
    QCOMPARE(t->RecordCount(), 3u);
    QCOMPARE(t->ColumnCount(), 2u);
    QVERIFY(t->AtEnd());
    QCOMPARE(failureOf([&] { t->IntegerValue(0); }), u"Table is at End of File"_s);
    QVERIFY(noOpenStatement(db));
}

void TestSQLiteTable3::visitorBytesCountAgainstLimits_data()
{
    QTest::addColumn<quint64>("rowLimit");
    QTest::addColumn<quint64>("byteLimit");
    QTest::addColumn<quint64>("stoppedAt"); // 0: the fetch completes
    // The visitor says it keeps 1 MB per row; the table itself keeps nothing.
    QTest::newRow("within both") << quint64(0) << quint64(1) << quint64(0);
    QTest::newRow("bytes passed at row 5") << quint64(0) << quint64(4) << quint64(5);
    QTest::newRow("rows passed first") << quint64(2) << quint64(100) << quint64(3);
}

void TestSQLiteTable3::visitorBytesCountAgainstLimits()
{
    QFETCH(quint64, rowLimit);
    QFETCH(quint64, byteLimit);
    QFETCH(quint64, stoppedAt);
    makeDb("create table t(v integer); insert into t values (1), (2), (3), (4), (5), (6);");
    constexpr quint64 mb = 1 << 20;
    TSQLiteDatabase db(m_db);
    // The library's own memory counts too: the byte limit is set above it.
    db.SetFetchLimits(
        {rowLimit, byteLimit == 1 ? 0 : byteLimit * mb + mb / 2 + quint64(sqlite3_memory_used())});
    quint64 rows = 0;
    try {
        db.QueryRows(u"select v from t"_s, [&](const TSQLiteTable &) { return ++rows * mb; });
        QCOMPARE(stoppedAt, quint64(0));
        QCOMPARE(rows, quint64(6));
    } catch (const ESQLiteTooLarge &e) {
        QCOMPARE(e.records(), stoppedAt);
        if (rowLimit == 0)
            QVERIFY(e.bytes() >= stoppedAt * mb);
    }
    QVERIFY(noOpenStatement(db));
}

QTEST_GUILESS_MAIN(TestSQLiteTable3)
#include "tst_sqlitetable3.moc"
