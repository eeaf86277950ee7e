// The data source rule, the page computation and the label texts: plain
// rules that need no display.
#include "curves/CurveData.h"
#include "curves/CurveGeometry.h"
#include "curves/PrintPages.h"
#include "records/RecordGridModel.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestCurveData : public QObject
{
    Q_OBJECT
private slots:
    void cellNumber_data();
    void cellNumber();
    void nearestHalvesToEven_data();
    void nearestHalvesToEven();
    void gridReaderReadsAfreshAndEndsPastData();
    void xInfoText();
    void shownCellIsCutAtACharacter_data();
    void shownCellIsCutAtACharacter();
    void firstDataId_data();
    void firstDataId();
    void pageCount_data();
    void pageCount();
    void pageCountText_data();
    void pageCountText();
    void markText_data();
    void markText();
    void labelLength_data();
    void labelLength();
};

void TestCurveData::cellNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("real");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<qlonglong>("value");

    QTest::newRow("integer") << QByteArray("25000") << false << true << 25000LL;
    QTest::newRow("negative integer") << QByteArray("-32768") << false << true << -32768LL;
    QTest::newRow("hex digits only read as decimal")
        << QByteArray("00000100") << false << true << 100LL;
    QTest::newRow("hex with a letter") << QByteArray("0000010A") << false << false << 0LL;
    QTest::newRow("empty cell") << QByteArray() << false << false << 0LL;
    QTest::newRow("real in an integer format") << QByteArray("1.5") << false << false << 0LL;
    QTest::newRow("plus sign") << QByteArray("+5") << false << false << 0LL;
    QTest::newRow("leading space") << QByteArray(" 5") << false << false << 0LL;
    QTest::newRow("lone minus") << QByteArray("-") << false << false << 0LL;
    QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999") << false << false << 0LL;
    QTest::newRow("32-bit value") << QByteArray("-2147483648") << false << true << -2147483648LL;

    QTest::newRow("real 12.4") << QByteArray("12.400000") << true << true << 12LL;
    QTest::newRow("real 12.5 to even") << QByteArray("12.500000") << true << true << 12LL;
    QTest::newRow("real 13.5 to even") << QByteArray("13.500000") << true << true << 14LL;
    QTest::newRow("real 12.6") << QByteArray("12.600000") << true << true << 13LL;
    QTest::newRow("real -2.5 to even") << QByteArray("-2.500000") << true << true << -2LL;
    QTest::newRow("real zero") << QByteArray("0.000000") << true << true << 0LL;
    QTest::newRow("scientific 1E7") << QByteArray("1E7") << true << true << 10000000LL;
    QTest::newRow("scientific 1.234568E7")
        << QByteArray("1.234568E7") << true << true << 12345680LL;
    QTest::newRow("integer text as real") << QByteArray("7") << true << true << 7LL;
    QTest::newRow("infinity") << QByteArray("INF") << true << false << 0LL;
    QTest::newRow("minus infinity") << QByteArray("-INF") << true << false << 0LL;
    QTest::newRow("not a number") << QByteArray("NAN") << true << false << 0LL;
    QTest::newRow("too large to round") << QByteArray("3.402823E38") << true << false << 0LL;
    QTest::newRow("letters") << QByteArray("abc") << true << false << 0LL;
    QTest::newRow("hex float form") << QByteArray("0x1p3") << true << false << 0LL;
    QTest::newRow("empty real") << QByteArray() << true << false << 0LL;
}

void TestCurveData::cellNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, real);
    QFETCH(bool, isNumber);
    QFETCH(qlonglong, value);
    const auto v = CurveData::cellNumber(QByteArrayView(text), real);
    QCOMPARE(v.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(qlonglong(*v), value);
}

void TestCurveData::nearestHalvesToEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<qlonglong>("n");
    QTest::newRow("159.5") << 159.5 << 160LL;
    QTest::newRow("4999.5") << 4999.5 << 5000LL;
    QTest::newRow("2499.75") << 2499.75 << 2500LL;
    QTest::newRow("2498.5") << 2498.5 << 2498LL;
    QTest::newRow("-0.5") << -0.5 << 0LL;
    QTest::newRow("-1.5") << -1.5 << -2LL;
}

void TestCurveData::nearestHalvesToEven()
{
    QFETCH(double, x);
    QFETCH(qlonglong, n);
    QCOMPARE(qlonglong(CurveData::nearest(x)), n);
}

void TestCurveData::gridReaderReadsAfreshAndEndsPastData()
{
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(4);
    for (int r = 1; r < 4; ++r)
        grid.setCell(3, r, QString::number(r * 100));
    const CurveData::GridReader reader(grid, false);
    QCOMPARE(reader.point(0, 0, 0).value(), 100);
    QCOMPARE(reader.point(0, 1, 1).value(), 300);
    QVERIFY(!reader.point(0, 1, 2)); // row 4: past the last row
    QVERIFY(!reader.point(9, 0, 0)); // column 12 is empty
    QVERIFY(!reader.point(12, 0, 0)); // a column the grid does not have
    // No copy: a change of the grid shows at the next read.
    grid.setCell(3, 1, QStringLiteral("77"));
    QCOMPARE(reader.point(0, 0, 0).value(), 77);
    QVERIFY(!reader.point(0, std::numeric_limits<int>::max(), 5));
}

void TestCurveData::xInfoText()
{
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(3);
    grid.setCell(1, 2, QStringLiteral("2024-05-06"));
    grid.setCell(2, 2, QStringLiteral("12:34:56"));
    const CurveData::GridReader reader(grid, false);
    QCOMPARE(reader.xInfoText(1, 1, 100), QStringLiteral("2024-05-06 / 12:34:56 (2/2)"));
    QCOMPARE(reader.xInfoText(5, 1, 100), QStringLiteral(" /  (6/2)"));
    QCOMPARE(reader.dateTime(2), QStringLiteral("2024-05-06 12:34:56"));
    QCOMPARE(reader.dateTime(9), QStringLiteral(" "));
}

void TestCurveData::shownCellIsCutAtACharacter_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("maxChars");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short text whole") << u"2024-05-06"_s << 20 << u"2024-05-06"_s;
    QTest::newRow("ASCII cut") << u"abcdefgh"_s << 3 << u"abc"_s;
    QTest::newRow("three-byte characters cut")
        << u"\u6570\u636e\u6761\u6570"_s << 2 << u"\u6570\u636e"_s;
    QTest::newRow("byte bound inside a character") << u"a\u6570\u6570\u6570\u6570"_s << 1 << u"a"_s;
    QTest::newRow("pair not split") << u"a\U0001F600b"_s << 2 << u"a"_s;
    QTest::newRow("pair kept") << u"a\U0001F600b"_s << 3 << u"a\U0001F600"_s;
    QTest::newRow("nothing") << u"abc"_s << 0 << QString();
}

void TestCurveData::shownCellIsCutAtACharacter()
{
    QFETCH(QString, cell);
    QFETCH(int, maxChars);
    QFETCH(QString, shown);
    RecordGridModel grid;
    grid.setCell(1, 1, cell);
    QCOMPARE(CurveData::shownCell(grid, 1, 1, maxChars), shown);
}

void TestCurveData::firstDataId_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("id");
    QTest::newRow("decimal") << QStringLiteral("17") << 17;
    QTest::newRow("negative") << QStringLiteral("-3") << -3;
    QTest::newRow("not a number") << QStringLiteral("ID?") << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("beyond 32 bits") << QStringLiteral("4294967296") << 0;
}

void TestCurveData::firstDataId()
{
    QFETCH(QString, cell);
    QFETCH(int, id);
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(3);
    grid.setCell(0, 1, cell);
    QCOMPARE(CurveData::GridReader(grid, false).firstDataId(), id);
}

void TestCurveData::pageCount_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pages"); // -1: no computation
    QTest::newRow("1..100 of 85") << 1 << 100 << 85 << 2;
    QTest::newRow("1..86 exact") << 1 << 86 << 85 << 1;
    QTest::newRow("50..120") << 50 << 120 << 85 << 1;
    QTest::newRow("1..2") << 1 << 2 << 85 << 1;
    QTest::newRow("end equals start") << 5 << 5 << 85 << -1;
    QTest::newRow("end below start") << 9 << 5 << 85 << -1;
    QTest::newRow("no points per screen") << 1 << 100 << 0 << -1;
    QTest::newRow("count beyond 32 bits saturates")
        << -2000000000 << 2000000000 << 1 << std::numeric_limits<int>::max();
}

void TestCurveData::pageCount()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, points);
    QFETCH(int, pages);
    const auto n = PrintPages::pageCount(start, end, points);
    QCOMPARE(n.has_value(), pages >= 0);
    if (pages >= 0)
        QCOMPARE(*n, pages);
}

void TestCurveData::pageCountText_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("text");
    QTest::newRow("english") << 2 << 85 << false << QStringLiteral("2 / Page Dat Point(85)");
    QTest::newRow("chinese") << 3 << 90 << true << QStringLiteral("3 / 每页打印数据点(90)");
}

void TestCurveData::pageCountText()
{
    QFETCH(int, pages);
    QFETCH(int, points);
    QFETCH(bool, chinese);
    QFETCH(QString, text);
    QCOMPARE(
        PrintPages::pageCountText(pages, points, (chinese ? Language::Chinese : Language::English)),
        text);
}

void TestCurveData::markText_data()
{
    QTest::addColumn<qlonglong>("v");
    QTest::addColumn<int>("d");
    QTest::addColumn<QString>("text");
    QTest::newRow("7500, 1") << 7500LL << 1 << QStringLiteral("750.0");
    QTest::newRow("1, 1") << 1LL << 1 << QStringLiteral("0.1");
    QTest::newRow("5, 2") << 5LL << 2 << QStringLiteral("0.05");
    QTest::newRow("-5, 2") << -5LL << 2 << QStringLiteral("-0.05");
    QTest::newRow("-5, 1") << -5LL << 1 << QStringLiteral("-0.5");
    QTest::newRow("12345, 3") << 12345LL << 3 << QStringLiteral("12.345");
    QTest::newRow("0, 3") << 0LL << 3 << QStringLiteral("0.000");
    QTest::newRow("no decimals") << -42LL << 0 << QStringLiteral("-42");
    QTest::newRow("digit being typed") << 1234LL << 7 << QStringLiteral("1234");
    QTest::newRow("negative decimals") << 1234LL << -1 << QStringLiteral("1234");
}

void TestCurveData::markText()
{
    QFETCH(qlonglong, v);
    QFETCH(int, d);
    QFETCH(QString, text);
    QCOMPARE(CurveGeometry::markText(v, d), text);
}

void TestCurveData::labelLength_data()
{
    QTest::addColumn<qlonglong>("max");
    QTest::addColumn<qlonglong>("min");
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("len");
    QTest::newRow("defaults") << 10000LL << 1LL << 1 << 6;
    QTest::newRow("negative min") << 10000LL << -5LL << 1 << 7;
    QTest::newRow("negative max counts its sign") << -100LL << -200LL << 0 << 5;
    QTest::newRow("no decimals") << 99LL << 0LL << 0 << 2;
}

void TestCurveData::labelLength()
{
    QFETCH(qlonglong, max);
    QFETCH(qlonglong, min);
    QFETCH(int, d);
    QFETCH(int, len);
    QCOMPARE(CurveGeometry::labelLength(max, min, d), len);
}

QTEST_GUILESS_MAIN(TestCurveData)
#include "tst_curvedata.moc"
