#include "records/RecordGridModel.h"
#include "records/StoredColumn.h"
#include "records/StoredRecords.h"
#include "records/ValueFormat.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

using namespace Qt::StringLiterals;
using Format = ValueFormat::Format;

namespace {

using Integers = QList<qint64>;

// What a value column shows for a stored text, by the rules the texts
// themselves are run through; false when the format cannot show it.
bool expectedWord(Format format, const QByteArray &stored, QByteArray &shown)
{
    if (format == Format::Unsigned16) {
        shown = stored;
        return true;
    }
    ValueFormat::Text t;
    if (!ValueFormat::storedWordText(format, stored, t))
        return false;
    shown = t.view().toByteArray();
    return true;
}

bool expectedPair(Format format, const QByteArray &low, const QByteArray &high, QByteArray &shown)
{
    ValueFormat::Text t;
    if (!ValueFormat::storedPairText(format, low, high, ValueFormat::DecimalSeparator(','), t))
        return false;
    shown = t.view().toByteArray();
    return true;
}

} // namespace

class TestStoredRecords : public QObject
{
    Q_OBJECT
private slots:
    void integersTakeTheWidthTheyNeed_data();
    void integersTakeTheWidthTheyNeed();
    void textsThatAreNotPlainDecimalsKeptAside_data();
    void textsThatAreNotPlainDecimalsKeptAside();
    void truncateKeepsRowsAligned();
    void textStoreKeepsChunkEdgesAndLongTexts();
    void repeatedTextsKeptOnce();
    void cellsFollowTheStoredTextRules_data();
    void cellsFollowTheStoredTextRules();
    void gridShowsStoredRecordsUnderItsTitles();
};

void TestStoredRecords::integersTakeTheWidthTheyNeed_data()
{
    QTest::addColumn<Integers>("values");
    QTest::addColumn<int>("bytes");
    constexpr qint64 i64min = std::numeric_limits<qint64>::min();
    constexpr qint64 i64max = std::numeric_limits<qint64>::max();
    QTest::newRow("signed bytes") << Integers {-5, 100, -128, 127} << 1;
    QTest::newRow("unsigned bytes") << Integers {0, 255, 7} << 1;
    QTest::newRow("16-bit words") << Integers {0, 65535, 40000} << 2;
    QTest::newRow("signed words") << Integers {-32768, 32767} << 2;
    QTest::newRow("a word and a negative") << Integers {65535, -1} << 4;
    QTest::newRow("32-bit unsigned") << Integers {0, 4294967295LL} << 4;
    QTest::newRow("32-bit signed") << Integers {-2147483648LL, 2147483647LL} << 4;
    QTest::newRow("64-bit ends") << Integers {i64min, i64max, 0} << 8;
}

void TestStoredRecords::integersTakeTheWidthTheyNeed()
{
    QFETCH(Integers, values);
    QFETCH(int, bytes);
    TextStore texts;
    IntegerColumn column(texts);
    // Many small values first, so widening crosses chunk boundaries.
    constexpr int lead = 140000;
    for (int i = 0; i < lead; ++i)
        column.append(i % 100);
    for (qint64 v : values)
        column.append(v);
    QCOMPARE(column.bytesPerValue(), bytes);
    QCOMPARE(column.size(), std::size_t(lead + values.size()));
    for (int i = 0; i < lead; i += 997) {
        qint64 v = -1;
        QVERIFY(column.integerAt(std::size_t(i), v));
        QCOMPARE(v, qint64(i % 100));
    }
    for (int i = 0; i < values.size(); ++i) {
        qint64 v = 0;
        QVERIFY(column.integerAt(std::size_t(lead + i), v));
        QCOMPARE(v, values.at(i));
    }
    QCOMPARE(column.memoryUse(), qint64(3 * 65536) * bytes);
}

void TestStoredRecords::textsThatAreNotPlainDecimalsKeptAside_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("integer");
    QTest::newRow("plain") << "12"_ba << true;
    QTest::newRow("zero") << "0"_ba << true;
    QTest::newRow("negative") << "-40"_ba << true;
    QTest::newRow("64-bit minimum") << "-9223372036854775808"_ba << true;
    QTest::newRow("past 64 bits") << "9223372036854775808"_ba << false;
    QTest::newRow("leading zero") << "012"_ba << false;
    QTest::newRow("minus zero") << "-0"_ba << false;
    QTest::newRow("plus sign") << "+5"_ba << false;
    QTest::newRow("leading blank") << " 7"_ba << false;
    QTest::newRow("trailing blank") << "7 "_ba << false;
    QTest::newRow("minus alone") << "-"_ba << false;
    QTest::newRow("empty") << ""_ba << false;
    QTest::newRow("fraction") << "1.5"_ba << false;
    QTest::newRow("word") << "abc"_ba << false;
}

void TestStoredRecords::textsThatAreNotPlainDecimalsKeptAside()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, integer);
    TextStore texts;
    IntegerColumn column(texts);
    column.append(1);
    column.appendText(text);
    column.append(2);
    qint64 v = 0;
    QCOMPARE(column.integerAt(1, v), integer);
    if (integer)
        QCOMPARE(QByteArray::number(v), text);
    else
        QCOMPARE(column.textAt(1).toByteArray(), text);
    // The rows around it are untouched.
    QVERIFY(column.integerAt(0, v) && v == 1);
    QVERIFY(column.integerAt(2, v) && v == 2);
}

void TestStoredRecords::truncateKeepsRowsAligned()
{
    TextStore texts;
    IntegerColumn column(texts);
    for (int i = 0; i < 100000; ++i) {
        if (i % 1000 == 0)
            column.appendText("x" + QByteArray::number(i));
        else
            column.append(i);
    }
    column.truncate(50500);
    QCOMPARE(column.size(), std::size_t(50500));
    column.append(7);
    column.appendText("tail");
    qint64 v = 0;
    QCOMPARE(column.textAt(50000).toByteArray(), "x50000"_ba);
    QVERIFY(column.integerAt(50499, v) && v == 50499);
    QVERIFY(column.integerAt(50500, v) && v == 7);
    QCOMPARE(column.textAt(50501).toByteArray(), "tail"_ba);
    QVERIFY(!column.integerAt(50501, v));
}

void TestStoredRecords::textStoreKeepsChunkEdgesAndLongTexts()
{
    TextStore store;
    QList<TextStore::Span> spans;
    QByteArrayList texts;
    // Texts of 1000 bytes run over several 1 MB chunks; one is longer than
    // a span's length field and one longer than a chunk.
    for (int i = 0; i < 3000; ++i) {
        texts << QByteArray(1000, char('a' + i % 26)) + QByteArray::number(i);
        if (i == 1500)
            texts << QByteArray(int(TextStore::Span::LongLength) + 10, 'L');
        if (i == 2000)
            texts << QByteArray(3 << 20, 'M');
    }
    for (const QByteArray &t : texts)
        spans << store.add(t);
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY2(store.view(spans.at(i)) == texts.at(i), qPrintable(QString::number(i)));
    QVERIFY(store.view(store.add({})).isEmpty());
}

void TestStoredRecords::repeatedTextsKeptOnce()
{
    TextStore texts;
    TextColumn dates(texts);
    for (int i = 0; i < 200000; ++i)
        dates.append(i < 100000 ? "2024-01-01" : "2024-01-02");
    QCOMPARE(dates.at(99999).toByteArray(), "2024-01-01"_ba);
    QCOMPARE(dates.at(100000).toByteArray(), "2024-01-02"_ba);
    // Two texts in one chunk, a span per row.
    QCOMPARE(texts.memoryUse(), qint64(1) << 20);
    QCOMPARE(dates.memoryUse(), qint64(4 * 65536 * 8));
}

void TestStoredRecords::cellsFollowTheStoredTextRules_data()
{
    QTest::addColumn<int>("format");
    for (int f = 0; f < 5; ++f)
        QTest::addRow("format %d", f) << f;
}

void TestStoredRecords::cellsFollowTheStoredTextRules()
{
    QFETCH(int, format);
    const auto fmt = Format(format);
    const bool pairs = ValueFormat::isPairFormat(fmt);
    // Stored texts of every sort, mostly plain words as a panel writes them.
    const QByteArrayList odd
        = {"0",           "-1",          "65535", "65536", "-32768", "2147483647", "2147483648",
           "-2147483648", "-2147483649", "012",   "-0",    "+5",     " 7",         "",
           "1.5",         "abc",         "40000", "70000"};
    QRandomGenerator random(format + 1);
    StoredRecords records(fmt, ValueFormat::DecimalSeparator(','));
    QList<QByteArrayList> rows;
    int checked = 0;
    for (int r = 0; r < 3000; ++r) {
        QByteArrayList stored;
        std::array<StoredRecords::Value, StoredRecords::Values> values;
        for (int v = 0; v < StoredRecords::Values; ++v) {
            const QByteArray text = random.bounded(4) == 0
                ? odd.at(random.bounded(odd.size()))
                : QByteArray::number(random.bounded(65536));
            stored << text;
            // Plain decimals come as numbers half the time, as integer columns give them.
            bool ok = false;
            const qint64 n = text.toLongLong(&ok);
            if (ok && QByteArray::number(n) == text && random.bounded(2) == 0)
                values[size_t(v)] = {true, n, {}};
            else
                values[size_t(v)] = {false, 0, stored.last()};
        }
        bool showable = true;
        QByteArrayList expected;
        for (int c = 0; c < (pairs ? 5 : 10); ++c) {
            QByteArray shown;
            const bool ok = pairs ? expectedPair(fmt, stored.at(2 * c), stored.at(2 * c + 1), shown)
                                  : expectedWord(fmt, stored.at(c), shown);
            showable = showable && ok;
            expected << shown;
        }
        const QByteArray id = QByteArray::number(r * 7 - 100);
        QCOMPARE(records.append(r * 7 - 100, "2024-01-01", "08:00:" + QByteArray::number(r % 60),
                                values),
                 showable);
        if (!showable)
            continue;
        ++checked;
        CellText cell;
        records.cell(0, records.count() - 1, cell);
        QCOMPARE(cell.toByteArray(), id);
        for (int c = 0; c < expected.size(); ++c) {
            records.cell(3 + c, records.count() - 1, cell);
            QCOMPARE(cell.toByteArray(), expected.at(c));
        }
    }
    QCOMPARE(records.count(), 3000);
    QVERIFY(checked > 10);
    QCOMPARE(records.columns(), pairs ? 8 : 13);
}

void TestStoredRecords::gridShowsStoredRecordsUnderItsTitles()
{
    RecordGridModel grid;
    grid.setCols(13);
    grid.setRows(5);
    grid.setCell(3, 0, u"数据(0)"_s);
    grid.setCell(4, 2, u"old"_s);
    auto records
        = std::make_unique<StoredRecords>(Format::Unsigned16, ValueFormat::DecimalSeparator('.'));
    std::array<StoredRecords::Value, StoredRecords::Values> values;
    for (int v = 0; v < StoredRecords::Values; ++v)
        values[size_t(v)] = {true, 100 + v, {}};
    for (int r = 0; r < 3; ++r)
        records->append(r + 1, "d", QByteArray::number(r), values);
    grid.setStoredRecords(std::move(records));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.rawKind(), RecordGridModel::RawKind::Stored);
    QCOMPARE(grid.cell(3, 0), u"数据(0)"_s);
    QCOMPARE(grid.cell(4, 2), u"101"_s);
    QCOMPARE(grid.cell(2, 3), u"2"_s);
    // A cell set later wins; cut rows go; the empty grid lets the records go.
    grid.setCell(4, 2, u"set"_s);
    QCOMPARE(grid.cell(4, 2), u"set"_s);
    // Whole rows read as their cells do, beyond the records' columns too.
    std::array<CellText, 14> cells;
    for (int r = 0; r < grid.rows(); ++r) {
        grid.rowUtf8(r, cells.data(), int(cells.size()));
        for (int c = 0; c < int(cells.size()); ++c)
            QCOMPARE(cells[size_t(c)].toByteArray(), grid.cellUtf8(c, r).toByteArray());
    }
    grid.setRows(2);
    QCOMPARE(grid.cell(0, 1), u"1"_s);
    QCOMPARE(grid.cell(0, 2), QString());
    QVERIFY(grid.memoryUse() > 0);
    grid.makeEmpty();
    QCOMPARE(grid.rawKind(), RecordGridModel::RawKind::None);
    QCOMPARE(grid.cell(0, 1), QString());
}

QTEST_GUILESS_MAIN(TestStoredRecords)
#include "tst_storedrecords.moc"
