// The statistics between the curve markers: values at A and B, the change,
// minimum, maximum and mean of the rows between them (both included), and
// the time from A to B, over grids of plain cells and a real binary log
// with a tag sheet; and their tab-separated text.
#include "curves/MarkerStatistics.h"
#include "document/LogDocument.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// ID, date, time, two value columns; row 2 has no second value, row 4 a
// date that is no date.
void fillGrid(RecordGridModel &grid)
{
    const QStringList rows[] = {
        {u"Data ID"_s, u"Record Date"_s, u"Record Time"_s, u"Data(0)"_s, u"Data(1)"_s},
        {u"1"_s, u"2013-05-07"_s, u"08:00:00"_s, u"10"_s, u"5"_s},
        {u"2"_s, u"2013-05-07"_s, u"08:00:30"_s, u"4"_s, QString()},
        {u"3"_s, u"2013-05-07"_s, u"08:01:00"_s, u"25"_s, u"7"_s},
        {u"4"_s, u"2013-13-40"_s, u"08:02:00"_s, u"16"_s, u"6"_s},
    };
    grid.setRows(int(std::size(rows)));
    grid.setCols(5);
    for (int r = 0; r < int(std::size(rows)); ++r)
        for (int c = 0; c < 5; ++c)
            grid.setCell(c, r, rows[r][c]);
}

// A row's cells as the table gives them: name, at A, at B, change, min, max, mean.
QStringList cellsOf(const MarkerStatistics::CurveRow &row)
{
    return {row.name, row.atA, row.atB, row.change, row.minimum, row.maximum, row.mean};
}

} // namespace

class TestMarkerStatistics : public QObject
{
    Q_OBJECT
private slots:
    void betweenMarkers_data();
    void betweenMarkers();
    void rowsNotInTheGrid_data();
    void rowsNotInTheGrid();
    void durations_data();
    void durations();
    void tagSheetColumns();
    void tabSeparatedText_data();
    void tabSeparatedText();
};

void TestMarkerStatistics::betweenMarkers_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QStringList>("times"); // at A, at B, between
    QTest::addColumn<QStringList>("first"); // the first curve's cells
    QTest::addColumn<QStringList>("second");

    const int u16 = int(ValueFormat::Format::Unsigned16);
    QTest::newRow("A before B")
        << u16 << 1 << 3
        << QStringList {u"2013-05-07 08:00:00"_s, u"2013-05-07 08:01:00"_s, u"00:01:00"_s}
        << QStringList {u"Data(0)"_s, u"10"_s, u"25"_s, u"+15"_s, u"4"_s, u"25"_s, u"13.00"_s}
        // The cell without a number is left out of the count.
        << QStringList {u"Data(1)"_s, u"5"_s, u"7"_s, u"+2"_s, u"5"_s, u"7"_s, u"6.00"_s};
    QTest::newRow("A after B: the same rows, the change and time negative")
        << u16 << 3 << 1
        << QStringList {u"2013-05-07 08:01:00"_s, u"2013-05-07 08:00:00"_s, u"-00:01:00"_s}
        << QStringList {u"Data(0)"_s, u"25"_s, u"10"_s, u"-15"_s, u"4"_s, u"25"_s, u"13.00"_s}
        << QStringList {u"Data(1)"_s, u"7"_s, u"5"_s, u"-2"_s, u"5"_s, u"7"_s, u"6.00"_s};
    QTest::newRow("A equals B") << u16 << 2 << 2
                                << QStringList {u"2013-05-07 08:00:30"_s, u"2013-05-07 08:00:30"_s,
                                                u"00:00:00"_s}
                                << QStringList {u"Data(0)"_s, u"4"_s, u"4"_s,   u"+0"_s,
                                                u"4"_s,       u"4"_s, u"4.00"_s}
                                // No number at all: no change, no minimum, maximum or mean.
                                << QStringList {u"Data(1)"_s, QString(), QString(), QString(),
                                                QString(),    QString(), QString()};
    QTest::newRow("a row without a time: no time between")
        << u16 << 1 << 4 << QStringList {QString(), QString(), QString()}
        << QStringList {u"Data(0)"_s, u"10"_s, u"16"_s, u"+6"_s, u"4"_s, u"25"_s, u"13.75"_s}
        << QStringList {u"Data(1)"_s, u"5"_s, u"6"_s, u"+1"_s, u"5"_s, u"7"_s, u"6.00"_s};
    // Hexadecimal patterns change in hexadecimal and are not counted.
    QTest::newRow("hexadecimal")
        << int(ValueFormat::Format::Hex32) << 1 << 3
        << QStringList {u"2013-05-07 08:00:00"_s, u"2013-05-07 08:01:00"_s, u"00:01:00"_s}
        << QStringList {u"Data(0)"_s, u"10"_s, u"25"_s, u"+15"_s, QString(), QString(), QString()}
        << QStringList {u"Data(1)"_s, u"5"_s, u"7"_s, u"+2"_s, QString(), QString(), QString()};
}

void TestMarkerStatistics::betweenMarkers()
{
    QFETCH(int, format);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QStringList, times);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    RecordGridModel grid;
    fillGrid(grid);
    CurveReadout::Source source;
    source.grid = &grid;
    source.format = static_cast<ValueFormat::Format>(format);
    // The first three curves show; the third's column is past the grid's.
    const CurveSettings settings;
    const auto table = MarkerStatistics::between(settings, source, a, b);
    QVERIFY(table);
    QCOMPARE(table->idA, QString::number(a));
    QCOMPARE(table->idB, QString::number(b));
    QCOMPARE((QStringList {table->timeA, table->timeB, table->timeBetween}), times);
    QCOMPARE(table->curves.size(), 2);
    QCOMPARE(cellsOf(table->curves[0]), first);
    QCOMPARE(cellsOf(table->curves[1]), second);
    QCOMPARE(table->curves[0].colour, settings.curves[0].colour);
    QCOMPARE(table->curves[1].colour, settings.curves[1].colour);

    // A curve not used has no row; the order is the tabs'.
    CurveSettings oneCurve;
    oneCurve.curves[0].showKind = int(ShowKind::NotUsed);
    const auto fewer = MarkerStatistics::between(oneCurve, source, a, b);
    QVERIFY(fewer);
    QCOMPARE(fewer->curves.size(), 1);
    QCOMPARE(cellsOf(fewer->curves[0]), second);
}

void TestMarkerStatistics::rowsNotInTheGrid_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("title row") << 0 << 2;
    QTest::newRow("past the last row") << 1 << 5;
    QTest::newRow("negative") << -1 << 1;
}

void TestMarkerStatistics::rowsNotInTheGrid()
{
    QFETCH(int, a);
    QFETCH(int, b);
    RecordGridModel grid;
    fillGrid(grid);
    CurveReadout::Source source;
    source.grid = &grid;
    QVERIFY(!MarkerStatistics::between(CurveSettings(), source, a, b));
    QVERIFY(!MarkerStatistics::between(CurveSettings(), source, b, a));
}

void TestMarkerStatistics::durations_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << u"00:00:00"_s;
    QTest::newRow("under a day") << qint64(86399) << u"23:59:59"_s;
    QTest::newRow("a day") << qint64(86400) << u"1d 00:00:00"_s;
    QTest::newRow("negative days") << qint64(-2 * 86400 - 3661) << u"-2d 01:01:01"_s;
}

void TestMarkerStatistics::durations()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(RecordTime::durationText(seconds), text);
}

void TestMarkerStatistics::tagSheetColumns()
{
    // Word 0 a pressure in tenths of a bar, word 1 a pump's state.
    QList<DataRecord> records;
    const quint16 pressure[] = {0, 100, 50, 7};
    const quint16 pump[] = {0, 1, 1, 0};
    for (int i = 0; i < 4; ++i) {
        DataRecord r;
        r.id = i + 1;
        r.second = quint8(i * 10);
        r.words[0] = pressure[i];
        r.words[1] = pump[i];
        records << r;
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(log, dataFile(records)));
    const auto parsed = TagSheet::parse("buffer,word,name,unit,type,gain,offset,decimals,texts\r\n"
                                        "*,0,Pressure,bar,u16,0.1,,,\r\n"
                                        "*,1,Pump,,enum,,,,0=Stop;1=Run\r\n");
    QVERIFY(parsed.sheet);
    LogDocument document;
    document.setTagSheet(parsed.sheet, dir.filePath(u"tags.csv"_s));
    QCOMPARE(document.open(log).status, LogDocument::Status::Loaded);
    const RecordGridModel &grid = document.grid();
    QCOMPARE(grid.cols(), 5);

    CurveReadout::Source source;
    source.grid = &grid;
    // As the curve window reads a sheet's cells.
    source.format = ValueFormat::Format::Float32;
    const auto table = MarkerStatistics::between(CurveSettings(), source, 1, 3);
    QVERIFY(table);
    QCOMPARE(table->timeBetween, u"00:00:20"_s);
    QCOMPARE(table->curves.size(), 2);
    // In the sheet's units, the mean with the column's decimals plus two.
    QCOMPARE(cellsOf(table->curves[0]),
             (QStringList {u"Pressure [bar]"_s, u"0.0"_s, u"5.0"_s, u"+5.0"_s, u"0.0"_s, u"10.0"_s,
                           u"5.000"_s}));
    // States are texts: shown, not counted.
    const QStringList pumpCells = cellsOf(table->curves[1]);
    QCOMPARE(pumpCells.mid(0, 3), (QStringList {u"Pump"_s, u"Stop"_s, u"Run"_s}));
    QCOMPARE(pumpCells.mid(4), (QStringList {QString(), QString(), QString()}));
}

void TestMarkerStatistics::tabSeparatedText_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << int(Language::English)
                             << u"Curve\tA (ID 1)\tB (ID 3)\tB − A\tMinimum\tMaximum\tMean\r\n"
                                "Time\t2013-05-07 08:00:00\t2013-05-07 08:01:00\t00:01:00\t\t\t\r\n"
                                "Data(0)\t10\t25\t+15\t4\t25\t13.00\r\n"
                                "Data(1)\t5\t7\t+2\t5\t7\t6.00\r\n"_s;
    QTest::newRow("Chinese") << int(Language::Chinese)
                             << u"曲线\tA (编号 1)\tB (编号 3)\tB − A\t最小值\t最大值\t平均值\r\n"
                                "时间\t2013-05-07 08:00:00\t2013-05-07 08:01:00\t00:01:00\t\t\t\r\n"
                                "Data(0)\t10\t25\t+15\t4\t25\t13.00\r\n"
                                "Data(1)\t5\t7\t+2\t5\t7\t6.00\r\n"_s;
}

void TestMarkerStatistics::tabSeparatedText()
{
    QFETCH(int, language);
    QFETCH(QString, text);
    RecordGridModel grid;
    fillGrid(grid);
    CurveReadout::Source source;
    source.grid = &grid;
    const auto table = MarkerStatistics::between(CurveSettings(), source, 1, 3);
    QVERIFY(table);
    QCOMPARE(MarkerStatistics::tsv(*table, static_cast<Language>(language)), text);
}

QTEST_GUILESS_MAIN(TestMarkerStatistics)
#include "tst_markerstatistics.moc"
