#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "records/StoredRecords.h"
#include "texts/MainTexts.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Every cell names its place, so a cell moved to the wrong slot shows.
QString label(int col, int row)
{
    return u"c%1r%2"_s.arg(col).arg(row);
}

QStringList allCells(const RecordGridModel &grid)
{
    QStringList cells {QString::number(grid.rows()), QString::number(grid.cols())};
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            cells << grid.cell(c, r);
    for (int c = 0; c < grid.cols(); ++c)
        cells << QString::number(grid.colWidth(c));
    return cells;
}

std::unique_ptr<StoredRecords> storedRecords(int count, int base)
{
    auto records = std::make_unique<StoredRecords>(ValueFormat::Format::Unsigned16,
                                                   ValueFormat::DecimalSeparator());
    for (int i = 1; i <= count; ++i) {
        std::array<StoredRecords::Value, StoredRecords::Values> values {};
        values[0].isInteger = true;
        values[0].integer = base + i;
        records->append(i, "2024-01-02", "03:04:05", values);
    }
    return records;
}

void fill(RecordGridModel &grid)
{
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            grid.setCell(c, r, label(c, r));
}

} // namespace

class TestRecordGridModel : public QObject
{
    Q_OBJECT
private slots:
    void startsAsEmptyGrid();
    void resizingKeepsCellsInsideBothBounds_data();
    void resizingKeepsCellsInsideBothBounds();
    void cellsOutsideTheGridAreIgnored_data();
    void cellsOutsideTheGridAreIgnored();
    void recordCountRule_data();
    void recordCountRule();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void compactionKeepsEveryText();
    void spansReachPastFourGigabytes_data();
    void spansReachPastFourGigabytes();
    void textsLongerThanASpanSaysKeepTheirLength();
    void growthPastTheLimitChangesNothing_data();
    void growthPastTheLimitChangesNothing();
    void makeEmptyClearsEverything();
    void columnWidths();
    void modelShowsDataRowsAndTitlesAsHeaders();
    void batchResetsViewsOnce();
    void modelPassesItemModelChecks();
    void layouts_data();
    void layouts();
    void keptGridComesBackAfterAnyChange_data();
    void keptGridComesBackAfterAnyChange();
    void shownRowsStayInsideTheGrid_data();
    void shownRowsStayInsideTheGrid();
};

void TestRecordGridModel::startsAsEmptyGrid()
{
    RecordGridModel grid;
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.cols(), 2);
    QCOMPARE(grid.recordCount(), 0);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            QVERIFY(grid.cell(c, r).isEmpty());
}

void TestRecordGridModel::resizingKeepsCellsInsideBothBounds_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("newRows");
    QTest::addColumn<int>("newCols");
    QTest::addColumn<bool>("rowsFirst");

    QTest::newRow("more rows") << 4 << 13 << 9 << 13 << true;
    QTest::newRow("fewer rows") << 9 << 13 << 3 << 13 << true;
    QTest::newRow("13 to 8 columns") << 5 << 13 << 5 << 8 << true;
    QTest::newRow("8 to 13 columns") << 5 << 8 << 5 << 13 << true;
    QTest::newRow("fewer rows, more columns") << 7 << 4 << 3 << 13 << true;
    QTest::newRow("more columns, then fewer rows") << 7 << 4 << 3 << 13 << false;
    QTest::newRow("more rows, fewer columns") << 3 << 13 << 6 << 4 << false;
    QTest::newRow("down to the title row") << 5 << 4 << 1 << 4 << true;
    QTest::newRow("zero rows count as one") << 5 << 4 << 0 << 4 << true;
    QTest::newRow("zero columns count as one") << 5 << 4 << 5 << 0 << true;
}

void TestRecordGridModel::resizingKeepsCellsInsideBothBounds()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(int, newRows);
    QFETCH(int, newCols);
    QFETCH(bool, rowsFirst);

    RecordGridModel grid;
    grid.setCols(cols);
    grid.setRows(rows);
    fill(grid);
    if (rowsFirst) {
        grid.setRows(newRows);
        grid.setCols(newCols);
    } else {
        grid.setCols(newCols);
        grid.setRows(newRows);
    }
    const int expectRows = std::max(newRows, 1);
    const int expectCols = std::max(newCols, 1);
    QCOMPARE(grid.rows(), expectRows);
    QCOMPARE(grid.cols(), expectCols);
    for (int r = 0; r < expectRows; ++r) {
        for (int c = 0; c < expectCols; ++c) {
            const QString expected = r < rows && c < cols ? label(c, r) : QString();
            QVERIFY2(grid.cell(c, r) == expected,
                     qPrintable(u"cell (%1,%2) is '%3'"_s.arg(c).arg(r).arg(grid.cell(c, r))));
        }
    }
    // Cells cut away do not come back when the grid grows again.
    grid.setRows(rows + 2);
    grid.setCols(cols + 2);
    for (int r = expectRows; r < rows + 2; ++r)
        for (int c = 0; c < cols + 2; ++c)
            QVERIFY2(grid.cell(c, r).isEmpty(), qPrintable(label(c, r)));
    for (int c = expectCols; c < cols + 2; ++c)
        for (int r = 0; r < rows + 2; ++r)
            QVERIFY2(grid.cell(c, r).isEmpty(), qPrintable(label(c, r)));
}

void TestRecordGridModel::cellsOutsideTheGridAreIgnored_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::newRow("column = count") << 4 << 1;
    QTest::newRow("row = count") << 1 << 3;
    QTest::newRow("negative column") << -1 << 1;
    QTest::newRow("negative row") << 1 << -1;
    QTest::newRow("far away") << 100000 << 100000;
}

void TestRecordGridModel::cellsOutsideTheGridAreIgnored()
{
    QFETCH(int, col);
    QFETCH(int, row);
    RecordGridModel grid;
    grid.setCols(4);
    grid.setRows(3);
    fill(grid);
    grid.setCell(col, row, u"outside"_s);
    QVERIFY(grid.cell(col, row).isEmpty());
    QVERIFY(grid.cellUtf8(col, row).isEmpty());
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.cols(), 4);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            QCOMPARE(grid.cell(c, r), label(c, r));
}

void TestRecordGridModel::recordCountRule_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("count");
    QTest::newRow("title row alone") << 1 << 0;
    QTest::newRow("2 rows hold no records") << 2 << 0;
    QTest::newRow("3 rows") << 3 << 2;
    QTest::newRow("101 rows") << 101 << 100;
}

void TestRecordGridModel::recordCountRule()
{
    QFETCH(int, rows);
    QFETCH(int, count);
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(rows);
    QCOMPARE(grid.recordCount(), count);
    QCOMPARE(MainTexts::countDisplay(Language::Chinese, grid.recordCount()),
             u"数据条数:"_s + QString::number(count));
    QCOMPARE(MainTexts::countDisplay(Language::English, grid.recordCount()),
             u"Sum Data:"_s + QString::number(count));
}

void TestRecordGridModel::textsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << u"2013-05-07"_s;
    QTest::newRow("chinese") << u"电机过热报警"_s;
    QTest::newRow("surrogate pair") << QString::fromUtf16(u"A\U0001F600B");
    QTest::newRow("comma and quote") << u"a,\"b\"\r\nc"_s;
    QTest::newRow("empty") << QString();
}

void TestRecordGridModel::textsRoundTrip()
{
    QFETCH(QString, text);
    RecordGridModel grid;
    grid.setCell(1, 1, u"previous"_s);
    grid.setCell(1, 1, text);
    grid.setCell(0, 1, u"neighbour"_s);
    QCOMPARE(grid.cell(1, 1), text);
    QCOMPARE(grid.cellUtf8(1, 1).toByteArray(), text.toUtf8());
    QCOMPARE(grid.cell(0, 1), u"neighbour"_s);
}

void TestRecordGridModel::compactionKeepsEveryText()
{
    // Several megabytes of texts, most of them then cut or overwritten, so
    // that the text store is packed more than once.
    RecordGridModel grid;
    grid.setCols(3);
    grid.setRows(40000);
    const QString pad(90, u'x');
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < 3; ++c)
            grid.setCell(c, r, label(c, r) + pad);
    grid.setRows(100);
    for (int round = 0; round < 3; ++round) {
        grid.beginBatch();
        for (int r = 50; r < 100; ++r)
            for (int i = 0; i < 300; ++i)
                grid.setCell(2, r, u"round%1 %2 "_s.arg(round).arg(i) + pad);
        grid.endBatch();
        for (int r = 0; r < 100; ++r) {
            QCOMPARE(grid.cell(0, r), label(0, r) + pad);
            QCOMPARE(grid.cell(1, r), label(1, r) + pad);
            const QString third = r < 50 ? label(2, r) + pad : u"round%1 299 "_s.arg(round) + pad;
            QCOMPARE(grid.cell(2, r), third);
        }
    }
    grid.setCols(2);
    grid.setCols(3);
    for (int r = 0; r < 100; ++r) {
        QCOMPARE(grid.cell(1, r), label(1, r) + pad);
        QVERIFY(grid.cell(2, r).isEmpty());
    }
}

void TestRecordGridModel::spansReachPastFourGigabytes_data()
{
    QTest::addColumn<quint64>("offset");
    QTest::addColumn<quint64>("length");
    QTest::addColumn<quint64>("spanLength");

    const quint64 longText = RecordGridModel::Span::LongText;
    QTest::newRow("start") << quint64(0) << quint64(3) << quint64(3);
    QTest::newRow("last 32-bit offset") << quint64(0xFFFFFFFF) << quint64(9) << quint64(9);
    QTest::newRow("first offset past 4 GiB") << (quint64(1) << 32) << quint64(0) << quint64(0);
    QTest::newRow("70 million records in") << quint64(4'600'000'000) << quint64(10) << quint64(10);
    QTest::newRow("last offset") << quint64(RecordGridModel::MaxTextBytes) << quint64(1)
                                 << quint64(1);
    QTest::newRow("longest short text") << quint64(5'000'000'000) << longText - 1 << longText - 1;
    QTest::newRow("long text") << quint64(5'000'000'000) << longText << longText;
    QTest::newRow("longer text") << quint64(5'000'000'000) << longText * 3 << longText;
}

void TestRecordGridModel::spansReachPastFourGigabytes()
{
    QFETCH(quint64, offset);
    QFETCH(quint64, length);
    QFETCH(quint64, spanLength);
    const auto span = RecordGridModel::Span::make(offset, length);
    QCOMPARE(span.offset(), offset);
    QCOMPARE(span.length(), spanLength);
    QCOMPARE(span.isLong(), length >= RecordGridModel::Span::LongText);
}

void TestRecordGridModel::textsLongerThanASpanSaysKeepTheirLength()
{
    RecordGridModel grid;
    grid.setCols(3);
    grid.setRows(4);
    QByteArray longText(qsizetype(RecordGridModel::Span::LongText) + 1000, 'L');
    longText[0] = 'A';
    longText[longText.size() - 1] = 'Z';
    const QByteArray twice(2 * qsizetype(RecordGridModel::Span::LongText), 'E');
    grid.setCellUtf8(0, 1, "before");
    grid.setCellUtf8(1, 1, longText);
    grid.setCellUtf8(2, 1, twice);
    grid.setCellUtf8(0, 2, "after");
    QCOMPARE(grid.cellUtf8(1, 1).size(), longText.size());
    QVERIFY(grid.cellUtf8(1, 1) == longText);
    QVERIFY(grid.cellUtf8(2, 1) == twice);
    QCOMPARE(grid.cell(0, 1), u"before"_s);
    QCOMPARE(grid.cell(0, 2), u"after"_s);
    // Overwriting the longer one makes garbage enough to pack the texts.
    grid.setCellUtf8(2, 1, "short");
    grid.setRows(3);
    QVERIFY(grid.memoryUse() < longText.size() + 1000);
    QVERIFY(grid.cellUtf8(1, 1) == longText);
    QCOMPARE(grid.cell(2, 1), u"short"_s);
    QCOMPARE(grid.cell(0, 2), u"after"_s);
}

void TestRecordGridModel::growthPastTheLimitChangesNothing_data()
{
    QTest::addColumn<QString>("growth");

    QTest::newRow("more rows") << u"rows"_s;
    QTest::newRow("more columns") << u"cols"_s;
    QTest::newRow("a text") << u"text"_s;
    QTest::newRow("a long text") << u"long text"_s;
}

void TestRecordGridModel::growthPastTheLimitChangesNothing()
{
    QFETCH(QString, growth);
    RecordGridModel grid;
    grid.setCols(4);
    grid.setRows(100);
    fill(grid);
    const QList<QString> before = [&] {
        QList<QString> cells;
        for (int r = 0; r < grid.rows(); ++r)
            for (int c = 0; c < grid.cols(); ++c)
                cells << grid.cell(c, r);
        return cells;
    }();
    const qint64 used = grid.memoryUse();
    // Room for a few bytes of text, not for a row more.
    grid.setMemoryLimit(used + 20);
    QSignalSpy resets(&grid, &QAbstractItemModel::modelAboutToBeReset);
    const auto grow = [&] {
        if (growth == u"rows")
            grid.setRows(101);
        else if (growth == u"cols")
            grid.setCols(5);
        else if (growth == u"long text")
            grid.setCellUtf8(1, 1, QByteArray(qsizetype(RecordGridModel::Span::LongText), 't'));
        else
            grid.setCellUtf8(1, 1, QByteArray(21, 't'));
    };
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, grow());
    // Room asked for ahead is only a hint: none is taken, nothing thrown.
    grid.reserveText(1 << 20);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(grid.rows(), 100);
    QCOMPARE(grid.cols(), 4);
    QCOMPARE(grid.memoryUse(), used);
    for (int r = 0, i = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c, ++i)
            QCOMPARE(grid.cell(c, r), before[i]);
    // What fits still goes in.
    grid.setCellUtf8(1, 1, "fits");
    QCOMPARE(grid.cell(1, 1), u"fits"_s);
}

void TestRecordGridModel::makeEmptyClearsEverything()
{
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(251);
    fill(grid);
    grid.makeEmpty();
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.cols(), 2);
    QCOMPARE(grid.recordCount(), 0);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            QVERIFY(grid.cell(c, r).isEmpty());
    // Growing again shows no old text.
    grid.setCols(13);
    grid.setRows(5);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 13; ++c)
            QVERIFY(grid.cell(c, r).isEmpty());
}

void TestRecordGridModel::columnWidths()
{
    RecordGridModel grid;
    QSignalSpy widths(&grid, &RecordGridModel::columnWidthsChanged);
    QCOMPARE(grid.colWidth(0), 60);
    grid.setCols(8);
    grid.setDefaultColWidth(120);
    grid.setColWidth(0, 60);
    grid.setColWidth(1, 80);
    QCOMPARE(grid.colWidth(0), 60);
    QCOMPARE(grid.colWidth(1), 80);
    QCOMPARE(grid.colWidth(7), 120);
    QVERIFY(!widths.isEmpty());
    // The default width resets every column.
    grid.setDefaultColWidth(60);
    for (int c = 0; c < 8; ++c)
        QCOMPARE(grid.colWidth(c), 60);
    // New columns get the default width; outside the grid nothing changes.
    grid.setDefaultColWidth(120);
    grid.setColWidth(2, 33);
    grid.setCols(3);
    grid.setDefaultColWidth(70);
    grid.setColWidth(2, 33);
    grid.setCols(6);
    QCOMPARE(grid.colWidth(2), 33);
    QCOMPARE(grid.colWidth(5), 70);
    grid.setColWidth(9, 500);
    QCOMPARE(grid.cols(), 6);
    QCOMPARE(grid.colWidth(9), 70);
}

void TestRecordGridModel::modelShowsDataRowsAndTitlesAsHeaders()
{
    RecordGridModel grid;
    grid.setCols(4);
    grid.setRows(3);
    fill(grid);
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.data(grid.index(0, 0)).toString(), label(1, 1));
    QCOMPARE(grid.data(grid.index(1, 2)).toString(), label(3, 2));
    QCOMPARE(grid.headerData(0, Qt::Horizontal).toString(), label(1, 0));
    QCOMPARE(grid.headerData(2, Qt::Horizontal).toString(), label(3, 0));
    QCOMPARE(grid.headerData(1, Qt::Vertical).toString(), label(0, 2));
    QVERIFY(!(grid.flags(grid.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(grid.flags(grid.index(0, 0)) & Qt::ItemIsSelectable);

    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&grid, &QAbstractItemModel::headerDataChanged);
    grid.setCell(2, 1, u"x"_s);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), grid.index(0, 1));
    grid.setCell(2, 0, u"title"_s);
    grid.setCell(0, 2, u"id"_s);
    QCOMPARE(header.size(), 2);
    QCOMPARE(header.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);
    QCOMPARE(header.at(0).at(1).toInt(), 1); // grid column 2 is the view's section 1
    QCOMPARE(header.at(1).at(0).value<Qt::Orientation>(), Qt::Vertical);
    QCOMPARE(header.at(1).at(1).toInt(), 1);
}

void TestRecordGridModel::batchResetsViewsOnce()
{
    RecordGridModel grid;
    QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.beginBatch();
    grid.setCols(13);
    grid.setRows(1000);
    fill(grid);
    grid.makeEmpty();
    grid.setCols(4);
    grid.setRows(10);
    fill(grid);
    QCOMPARE(resets.size(), 0);
    grid.endBatch();
    QCOMPARE(resets.size(), 1);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(grid.rowCount(), 9);
    QCOMPARE(grid.cell(3, 9), label(3, 9));
}

void TestRecordGridModel::modelPassesItemModelChecks()
{
    RecordGridModel grid;
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setCols(13);
    grid.setRows(20);
    fill(grid);
    grid.setRows(5);
    grid.setCols(8);
    grid.makeEmpty();
    grid.beginBatch();
    grid.setRows(1);
    grid.endBatch();
    QCOMPARE(grid.rowCount(), 0);
}

void TestRecordGridModel::layouts_data()
{
    QTest::addColumn<int>("format"); // -1: alarm list
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<int>>("widths");

    const QStringList zhData = {u"数据ID"_s, u"记录日期"_s, u"记录时间"_s};
    const QStringList enData = {u"Data ID"_s, u"Record Date"_s, u"Record Time"_s};
    QStringList zh16 = zhData, en16 = enData, zh32 = zhData, en32 = enData;
    QList<int> w16 = {60, 80, 80}, w32 = {60, 80, 80};
    for (int i = 0; i < 10; ++i) {
        zh16 << u"数据(%1)"_s.arg(i);
        en16 << u"Data(%1)"_s.arg(i);
        w16 << 60;
    }
    for (int i = 0; i < 10; i += 2) {
        zh32 << u"数据(%1)"_s.arg(i);
        en32 << u"Data(%1)"_s.arg(i);
        w32 << 120;
    }
    QTest::newRow("alarm list zh")
        << -1 << true << QStringList {u"数据ID"_s, u"报警时间"_s, u"报警编号"_s, u"报警内容"_s}
        << QList<int> {60, 150, 68, 200};
    QTest::newRow("alarm list en")
        << -1 << false
        << QStringList {u"Data ID"_s, u"Alarm Time"_s, u"Alarm No."_s, u"Alarm Content"_s}
        << QList<int> {60, 150, 68, 200};
    for (int f = 0; f < 5; ++f) {
        const bool wide = f >= 2;
        QTest::addRow("format %d zh", f) << f << true << (wide ? zh32 : zh16) << (wide ? w32 : w16);
        QTest::addRow("format %d en", f)
            << f << false << (wide ? en32 : en16) << (wide ? w32 : w16);
    }
}

void TestRecordGridModel::layouts()
{
    QFETCH(int, format);
    QFETCH(bool, chinese);
    QFETCH(QStringList, titles);
    QFETCH(QList<int>, widths);

    // Start from the other width family, so nothing is right by accident.
    RecordGridModel grid;
    GridLayout::setDataRecords(grid, chinese ? Language::English : Language::Chinese,
                               ValueFormat::Format(format >= 2 ? 0 : 3));
    grid.setRows(4);
    grid.makeEmpty();
    if (format < 0)
        GridLayout::setAlarmList(grid, (chinese ? Language::Chinese : Language::English));
    else
        GridLayout::setDataRecords(grid, (chinese ? Language::Chinese : Language::English),
                                   ValueFormat::Format(format));
    QCOMPARE(grid.cols(), titles.size());
    for (int c = 0; c < grid.cols(); ++c) {
        QCOMPARE(grid.cell(c, 0), titles.at(c));
        QCOMPARE(grid.colWidth(c), widths.at(c));
    }
    QCOMPARE(grid.rows(), 2);
}

void TestRecordGridModel::keptGridComesBackAfterAnyChange_data()
{
    QTest::addColumn<QString>("holds");
    QTest::addColumn<QString>("change");
    for (const QString &holds : {u"texts"_s, u"binary records"_s, u"stored records"_s}) {
        for (const QString &change : {u"emptied"_s, u"rows cut"_s, u"records read again"_s,
                                      u"stored records set"_s, u"cells set"_s}) {
            QTest::addRow("%s, %s", qPrintable(holds), qPrintable(change)) << holds << change;
        }
    }
}

void TestRecordGridModel::keptGridComesBackAfterAnyChange()
{
    QFETCH(QString, holds);
    QFETCH(QString, change);
    RecordGridModel grid;
    GridLayout::setDataRecords(grid, Language::English, ValueFormat::Format::Unsigned16);
    if (holds == u"texts") {
        grid.setRows(40);
        fill(grid);
    } else if (holds == u"binary records") {
        grid.beginRawRecords(RecordGridModel::RawKind::Data, ValueFormat::Format::Unsigned16, {});
        grid.setRows(41);
        char *bytes = grid.rawRecords(1, 40);
        for (int i = 0; i < 40 * 32; ++i)
            bytes[i] = char(i * 7);
        grid.rawRecordsWritten(1, 40);
    } else {
        grid.setStoredRecords(storedRecords(40, 100));
    }
    grid.setColWidth(1, 123);
    const QStringList before = allCells(grid);

    RecordGridModel::KeptGrid kept = grid.keep();
    if (change == u"emptied") {
        grid.makeEmpty();
    } else if (change == u"rows cut") {
        grid.setRows(3);
    } else if (change == u"records read again") {
        grid.beginRawRecords(RecordGridModel::RawKind::Data, ValueFormat::Format::Hex32, {});
        grid.setRows(61);
        char *bytes = grid.rawRecords(1, 60);
        std::fill(bytes, bytes + 60 * 32, 'x');
        grid.rawRecordsWritten(1, 60);
    } else if (change == u"stored records set") {
        grid.setStoredRecords(storedRecords(7, 5000));
    } else {
        grid.setCell(1, 1, u"changed"_s);
        grid.setColWidth(1, 10);
    }
    QVERIFY(allCells(grid) != before);
    QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
    grid.restore(std::move(kept));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(allCells(grid), before);
}

void TestRecordGridModel::shownRowsStayInsideTheGrid_data()
{
    QTest::addColumn<QList<int>>("asked"); // ascending, as a time range gives them
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("inside") << QList<int> {1, 3, 4} << QList<int> {1, 3, 4};
    QTest::newRow("the title row is no record") << QList<int> {0, 2} << QList<int> {2};
    QTest::newRow("past the last row") << QList<int> {2, 5, 9} << QList<int> {2};
    QTest::newRow("outside at both ends") << QList<int> {-3, 0, 1, 4, 5} << QList<int> {1, 4};
    QTest::newRow("none") << QList<int> {} << QList<int> {};
}

void TestRecordGridModel::shownRowsStayInsideTheGrid()
{
    QFETCH(QList<int>, asked);
    QFETCH(QList<int>, shown);
    RecordGridModel grid;
    grid.setCols(3);
    grid.setRows(5); // the title row and records 1 to 4
    fill(grid);
    grid.showRows(std::vector<int>(asked.begin(), asked.end()));
    QVERIFY(grid.showsSomeRows());
    QCOMPARE(grid.rows(), int(shown.size()) + 1);
    for (int i = 0; i < shown.size(); ++i) {
        QCOMPARE(grid.wholeRow(i + 1), shown[i]);
        QCOMPARE(grid.cell(1, i + 1), label(1, shown[i]));
    }
    QCOMPARE(grid.cell(1, 0), label(1, 0));
}

QTEST_GUILESS_MAIN(TestRecordGridModel)
#include "tst_recordgridmodel.moc"
