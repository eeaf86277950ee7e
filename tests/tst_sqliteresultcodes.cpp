// Texts of the library's result codes.

#include "dataaccess/SqliteResultCodes.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSqliteResultCodes : public QObject
{
    Q_OBJECT

private slots:
    void errorCodeText_data();
    void errorCodeText();
};

void TestSqliteResultCodes::errorCodeText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    // Texts are the program's own, typos included.
    QTest::newRow("0") << SQLITE_OK << u"Successful result"_s;
    QTest::newRow("5") << SQLITE_BUSY << u"The database file is locked"_s;
    QTest::newRow("19") << SQLITE_CONSTRAINT << u"Abort due to contraint violation"_s;
    QTest::newRow("25") << SQLITE_RANGE << u"2nd parameter to sqlite3_bind out of range"_s;
    QTest::newRow("26") << SQLITE_NOTADB << u"File opened that is not a database file"_s;
    QTest::newRow("100") << SQLITE_ROW << u"sqlite3_step() has another row ready"_s;
    QTest::newRow("101") << SQLITE_DONE << u"sqlite3_step() has finished executing"_s;
    // Everything else, extended codes included, is unknown by number.
    for (int code : {27, 28, 99, 102, -1, 261 /* SQLITE_BUSY_RECOVERY */, INT_MIN, INT_MAX})
        QTest::addRow("%d", code) << code << u"Unknown SQLite Error Code \"%1\""_s.arg(code);
}

void TestSqliteResultCodes::errorCodeText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(ErrorCodeText(code), text);
}

QTEST_GUILESS_MAIN(TestSqliteResultCodes)
#include "tst_sqliteresultcodes.moc"
