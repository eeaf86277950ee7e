#include "logfiles/BinaryLogFile.h"
#include "logfiles/DatabaseLoading.h"
#include "records/GridFind.h"
#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "support/LogFiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;
using Format = ValueFormat::Format;

namespace {

// The rows a find must report: every row with a cell whose text holds the
// needle, ignoring case, read cell by cell.
std::vector<int> expectedRows(const RecordGridModel &grid, const QString &needle)
{
    std::vector<int> rows;
    for (int r = 1; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            if (grid.cell(c, r).contains(needle, Qt::CaseInsensitive)) {
                rows.push_back(r);
                break;
            }
    return rows;
}

const QStringList Needles
    = {u"1"_s,  u"-"_s,   u"-1"_s,  u"42"_s, u"a"_s, u"FF"_s,   u"2013"_s, u"05-0"_s,
       u":0"_s, u"0.5"_s, u"nan"_s, u"e7"_s, u"x"_s, u"日期"_s, u"+5"_s,   u"012"_s};

} // namespace

class TestGridFind : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void findsWhatEveryCellShows_data();
    void findsWhatEveryCellShows();

private:
    QTemporaryDir m_dir;
};

void TestGridFind::findsWhatEveryCellShows_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<int>("format");
    for (int f = 0; f < 5; ++f) {
        QTest::addRow("binary, format %d", f) << false << f;
        QTest::addRow("database, format %d", f) << true << f;
    }
}

void TestGridFind::findsWhatEveryCellShows()
{
    QFETCH(bool, database);
    QFETCH(int, format);
    QRandomGenerator random(7);
    RecordGridModel grid;
    if (database) {
        // Numbers of every sign and size, and texts every format still reads.
        const QList<QByteArray> odd = {"012", "+5", "-0", "70000", "-70000", "2147483647"};
        QByteArray setup = createBuffer(1, "");
        for (int r = 0; r < 300; ++r) {
            QList<QByteArray> values;
            for (int v = 0; v < 10; ++v)
                values << (random.bounded(5) == 0
                               ? "'" + odd.at(random.bounded(odd.size())) + "'"
                               : QByteArray::number(random.bounded(-70000, 70000)));
            setup += insertBuffer(1, r - 20, r % 7 ? "2013-05-07" : "日期x",
                                  "08:0" + QByteArray::number(r % 10), values);
        }
        const QString file = m_dir.filePath(u"find%1.db"_s.arg(format));
        QVERIFY(sql(file, setup));
        QCOMPARE(loadDataRecords(file, 1, Format(format), Language::Chinese, grid).status,
                 RecordLoadStatus::Loaded);
    } else {
        QList<DataRecord> records;
        for (int r = 0; r < 300; ++r) {
            DataRecord d;
            d.id = r - 20;
            d.minute = quint8(r % 60);
            for (int v = 0; v < LogFileFormat::ValueWords; ++v)
                d.words[size_t(v)] = quint16(random.bounded(65536));
            records << d;
        }
        const QString file = m_dir.filePath(u"find.bin"_s);
        QVERIFY(writeFile(file, dataFile(records)));
        LogFile log;
        QVERIFY(log.open(file));
        GridLayout::setDataRecords(grid, Language::Chinese, Format(format));
        QVERIFY(readBinaryDataRecords(log, grid, Format(format)));
    }
    // A text set over a number cell is searched as a text.
    grid.setCell(4, 3, u"Xanadu"_s);
    QCOMPARE(grid.rows(), 301);
    for (const QString &needle : Needles)
        QVERIFY2(GridFind(needle).matchingRows(grid) == expectedRows(grid, needle),
                 qPrintable(needle));
}

QTEST_GUILESS_MAIN(TestGridFind)
#include "tst_gridfind.moc"
