// A tag sheet on the open log: the grid's value columns as the sheet names
// and scales them, from real binary files and real databases, and the grid
// exactly as before without one.
#include "document/LogDocument.h"
#include "document/SaveAsWriter.h"
#include "support/LogFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace logfiles;
using namespace Qt::StringLiterals;
using Status = LogDocument::Status;
using ValueFormat::Format;

Q_DECLARE_METATYPE(logfiles::DataRecord)

namespace {

const QByteArray Title = "buffer,word,name,unit,type,gain,offset,decimals,texts\r\n";

std::optional<TagSheet> sheetOf(const QByteArray &rows)
{
    return TagSheet::parse(Title + rows).sheet;
}

// The grid's row as texts, columns 0 .. cols - 1.
QStringList rowOf(const RecordGridModel &grid, int row)
{
    QStringList cells;
    for (int c = 0; c < grid.cols(); ++c)
        cells << grid.cell(c, row);
    return cells;
}

DataRecord recordWith(std::initializer_list<std::pair<int, quint16>> words)
{
    DataRecord r;
    for (const auto &[w, v] : words)
        r.words[std::size_t(w)] = v;
    return r;
}

} // namespace

class TestTagColumns : public QObject
{
    Q_OBJECT
private slots:
    void binaryCells_data();
    void binaryCells();
    void databaseBuffers_data();
    void databaseBuffers();
    void withoutSheetUnchanged_data();
    void withoutSheetUnchanged();
    void sheetOffRestoresFormat();
    void numbersBehindCells();
    void longBitNames();
    void keptSheetComesBack();
    void saveAsCsvShowsSheet();
};

void TestTagColumns::binaryCells_data()
{
    QTest::addColumn<QByteArray>("sheetRow");
    QTest::addColumn<QList<DataRecord>>("records");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("cells"); // column 3, one per record

    QTest::newRow("u16 scaled by a tenth")
        << QByteArray("*,0,Pressure,bar,u16,0.1,,,\r\n")
        << QList<DataRecord> {recordWith({{0, 0}}), recordWith({{0, 65535}})} << u"Pressure [bar]"_s
        << QStringList {u"0.0"_s, u"6553.5"_s};
    QTest::newRow("s16 limits") << QByteArray("*,1,Deviation,,s16,,,,\r\n")
                                << QList<DataRecord> {recordWith({{1, 0x8000}}),
                                                      recordWith({{1, 0x7FFF}})}
                                << u"Deviation"_s << QStringList {u"-32768"_s, u"32767"_s};
    QTest::newRow("s16 negative gain and offset")
        << QByteArray("*,2,Level,m,s16,-0.5,10,,\r\n")
        << QList<DataRecord> {recordWith({{2, 4}}), recordWith({{2, 0xFFFF}})} << u"Level [m]"_s
        << QStringList {u"8.0"_s, u"10.5"_s};
    QTest::newRow("s32 low word first")
        << QByteArray("*,2,Count,pcs,s32,,,,\r\n")
        << QList<DataRecord> {recordWith({{2, 0}, {3, 1}}), recordWith({{2, 0xFFFF}, {3, 0xFFFF}})}
        << u"Count [pcs]"_s << QStringList {u"65536"_s, u"-1"_s};
    QTest::newRow("hex32") << QByteArray("*,8,Pattern,,hex32,,,,\r\n")
                           << QList<DataRecord> {recordWith({{8, 0xBEEF}, {9, 0xDEAD}})}
                           << u"Pattern"_s << QStringList {u"DEADBEEF"_s};
    QTest::newRow("f32 with decimals") << QByteArray("*,6,Flow,m3/h,f32,,,2,\r\n")
                                       << QList<DataRecord> {recordWith({{6, 0x0000}, {7, 0x3FC0}}),
                                                             recordWith({{6, 0x0000}, {7, 0x7FC0}})}
                                       << u"Flow [m3/h]"_s << QStringList {u"1.50"_s, u"NAN"_s};
    QTest::newRow("enum known and unknown")
        << QByteArray("*,4,Pump,,enum,,,,0=Stop;1=Run;2=Fault\r\n")
        << QList<DataRecord> {recordWith({{4, 1}}), recordWith({{4, 7}})} << u"Pump"_s
        << QStringList {u"Run"_s, u"7"_s};
    QTest::newRow("bits named, unnamed and none")
        << QByteArray("*,5,Status,,bits,,,,0=Run;3=Door open;15=Alarm\r\n")
        << QList<DataRecord> {recordWith({{5, 0x8009}}), recordWith({{5, 0x0080}}),
                              recordWith({{5, 0}})}
        << u"Status"_s << QStringList {u"Run, Door open, Alarm"_s, u"bit 7"_s, QString()};
    // Buffer 3 only: a binary file has no buffers and shows none of them.
    QTest::newRow("buffer 3 tag on a binary file")
        << QByteArray("3,0,Only three,,u16,,,,\r\n") << QList<DataRecord> {recordWith({{0, 5}})}
        << QString() << QStringList {QString()};
}

void TestTagColumns::binaryCells()
{
    QFETCH(QByteArray, sheetRow);
    QFETCH(QList<DataRecord>, records);
    QFETCH(QString, title);
    QFETCH(QStringList, cells);
    for (int i = 0; i < records.size(); ++i)
        records[i].id = i + 1;
    // A grid of exactly two rows holds no records: one more keeps them all.
    records << recordWith({});
    records.last().id = int(records.size());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(log, dataFile(records)));

    LogDocument document;
    const std::optional<TagSheet> sheet = sheetOf(sheetRow);
    QVERIFY(sheet);
    document.setTagSheet(sheet, dir.filePath(u"tags.csv"_s));
    QCOMPARE(document.open(log).status, Status::Loaded);
    QVERIFY(document.tagSheetDecides());
    const RecordGridModel &grid = document.grid();
    const bool shown = !title.isEmpty();
    QCOMPARE(grid.cols(), shown ? 4 : 3);
    if (shown)
        QCOMPARE(grid.cell(3, 0), title);
    for (int r = 0; r < cells.size(); ++r) {
        QCOMPARE(grid.cell(0, r + 1), QString::number(r + 1));
        QCOMPARE(grid.cell(1, r + 1), u"2013-05-07"_s);
        QCOMPARE(grid.cell(3, r + 1), cells[r]);
    }
}

void TestTagColumns::databaseBuffers_data()
{
    QTest::addColumn<int>("buffer");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("values");

    // The sheet's order, the `*` tags and the buffer's own mixed.
    QTest::newRow("buffer 1: the * tags") << 1 << QStringList {u"Temperature [°C]"_s, u"Run"_s}
                                          << QStringList {u"-28.4"_s, u"Stop"_s};
    QTest::newRow("buffer 3: its own tag between them")
        << 3 << QStringList {u"Temperature [°C]"_s, u"Deviation, line 3 [mA]"_s, u"Run"_s}
        << QStringList {u"-28.4"_s, u"-2"_s, u"Stop"_s};
}

void TestTagColumns::databaseBuffers()
{
    QFETCH(int, buffer);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, values);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Buffer.db"_s);
    QByteArray setup;
    for (int b : {1, 3}) {
        setup += createBuffer(b);
        for (int id = 1; id <= 3; ++id)
            // Word 1 holds -2 as the database stores it, signed.
            setup += insertBuffer(b, id, "2013-05-07", "08:04:59", {"2156", "-2", "0"});
    }
    QVERIFY(sql(log, setup));
    const std::optional<TagSheet> sheet = sheetOf("*,0,Temperature,°C,u16,0.01,-50,1,\r\n"
                                                  "3,1,\"Deviation, line 3\",mA,s16,,,,\r\n"
                                                  "*,2,Run,,enum,,,,0=Stop;1=Go\r\n");
    QVERIFY(sheet);

    LogDocument document;
    document.setTagSheet(sheet, dir.filePath(u"tags.csv"_s));
    QCOMPARE(document.open(log).status, Status::Loaded);
    if (buffer != 1)
        QCOMPARE(document.selectBuffer(buffer).status, Status::Loaded);
    const RecordGridModel &grid = document.grid();
    QCOMPARE(grid.cols(), 3 + titles.size());
    QCOMPARE(rowOf(grid, 0).mid(3), titles);
    QCOMPARE(rowOf(grid, 2).mid(3), values);
    QCOMPARE(rowOf(grid, 2).first(3), (QStringList {u"2"_s, u"2013-05-07"_s, u"08:04:59"_s}));
}

void TestTagColumns::withoutSheetUnchanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Format>("format");
    QTest::newRow("binary u16") << u"Data.bin"_s << Format::Unsigned16;
    QTest::newRow("binary float") << u"Data.bin"_s << Format::Float32;
    QTest::newRow("database s32") << u"Buffer.db"_s << Format::Signed32;
}

void TestTagColumns::withoutSheetUnchanged()
{
    QFETCH(QString, name);
    QFETCH(Format, format);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(name);
    if (name.endsWith(u".bin"_s)) {
        QVERIFY(writeFile(log, dataFile(5)));
    } else {
        QByteArray setup = createBuffer(1);
        for (int id = 1; id <= 5; ++id)
            setup += insertBuffer(1, id, "2013-05-07", "08:04:59", {QByteArray::number(id * 77)});
        QVERIFY(sql(log, setup));
    }
    // A document that had a sheet and lost it reads as one that never had one.
    LogDocument plain;
    LogDocument unsheeted;
    unsheeted.setTagSheet(sheetOf("*,0,A,,u16,2,,,\r\n"));
    QCOMPARE(unsheeted.open(log).status, Status::Loaded);
    QCOMPARE(unsheeted.grid().cols(), 4);
    unsheeted.setTagSheet(std::nullopt);
    QCOMPARE(plain.open(log).status, Status::Loaded);
    QCOMPARE(unsheeted.open(log).status, Status::Loaded);
    QCOMPARE(plain.selectFormat(format).status, Status::Loaded);
    QCOMPARE(unsheeted.selectFormat(format).status, Status::Loaded);
    QVERIFY(!unsheeted.tagSheetDecides());
    QCOMPARE(unsheeted.grid().cols(), plain.grid().cols());
    for (int r = 0; r < plain.grid().rows(); ++r)
        QCOMPARE(rowOf(unsheeted.grid(), r), rowOf(plain.grid(), r));
    QCOMPARE(unsheeted.grid().colWidth(3), plain.grid().colWidth(3));
}

void TestTagColumns::sheetOffRestoresFormat()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(log, dataFile(4)));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    const QStringList before = rowOf(document.grid(), 1);
    document.setTagSheet(sheetOf("*,9,Last,,u16,,,,\r\n*,0,First,,u16,,,,\r\n"));
    QCOMPARE(document.selectFormat(document.format()).status, Status::Loaded);
    QCOMPARE(rowOf(document.grid(), 0).mid(3), (QStringList {u"Last"_s, u"First"_s}));
    QCOMPARE(rowOf(document.grid(), 1).mid(3), (QStringList {before[12], before[3]}));
    document.setTagSheet(std::nullopt);
    QCOMPARE(document.selectFormat(document.format()).status, Status::Loaded);
    QCOMPARE(rowOf(document.grid(), 1), before);
    QCOMPARE(document.grid().cols(), 13);
}

void TestTagColumns::numbersBehindCells()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(
        log,
        dataFile({recordWith({{0, 125}, {1, 3}, {2, 1}}), recordWith({{0, 7}}), recordWith({})})));
    LogDocument document;
    document.setTagSheet(sheetOf("*,0,Scaled,,u16,0.1,,,\r\n*,1,Plain,,u16,,,,\r\n"
                                 "*,2,Named,,enum,,,,1=On\r\n"));
    QCOMPARE(document.open(log).status, Status::Loaded);
    const RecordGridModel &grid = document.grid();
    // The curves and the readout take these: the number the text shows.
    const auto scaled = grid.cellNumber(3, 1, Format::Float32);
    QVERIFY(scaled);
    QCOMPARE(scaled->shown, CellNumber::Shown::Real);
    QCOMPARE(scaled->real.value, 12.5);
    QCOMPARE(scaled->real.decimals, 1);
    const auto plain = grid.cellNumber(4, 1, Format::Float32);
    QVERIFY(plain);
    QCOMPARE(plain->shown, CellNumber::Shown::Decimal);
    QCOMPARE(plain->integer, 3);
    QVERIFY(!grid.cellNumber(5, 1, Format::Float32)); // "On" is no number
    QVERIFY(!grid.cellIsNumber(4, 1)); // a search reads the text
    QVERIFY(grid.cellIsNumber(0, 1));
    CellText cells[6];
    grid.rowUtf8(1, cells, 6);
    QCOMPARE(cells[3].toByteArray(), "12.5"_ba);
    QCOMPARE(cells[5].toByteArray(), "On"_ba);
}

void TestTagColumns::longBitNames()
{
    // Sixteen long names: a text far longer than a cell's own room.
    QByteArray texts;
    QString expected;
    for (int b = 0; b < 16; ++b) {
        const QByteArray name = "Bit number " + QByteArray::number(b) + " is a long name";
        texts += (b ? ";" : "") + QByteArray::number(b) + '=' + name;
        expected += (b ? u", "_s : QString()) + QString::fromLatin1(name);
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(
        log, dataFile({recordWith({{0, 0xFFFF}}), recordWith({{0, 0xFFFE}}), recordWith({})})));
    LogDocument document;
    document.setTagSheet(sheetOf("*,0,All,,bits,,,," + texts + "\r\n"));
    QCOMPARE(document.open(log).status, Status::Loaded);
    const CellText first = document.grid().cellUtf8(3, 1);
    const CellText second = document.grid().cellUtf8(3, 2);
    // Both stay valid together.
    QCOMPARE(QString::fromUtf8(first.toByteArray()), expected);
    QCOMPARE(QString::fromUtf8(second.toByteArray()), expected.mid(expected.indexOf(u", "_s) + 2));
}

void TestTagColumns::keptSheetComesBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(log, dataFile(3)));
    LogDocument document;
    document.setTagSheet(sheetOf("*,0,Doubled,,u16,2,,,\r\n"));
    QCOMPARE(document.open(log).status, Status::Loaded);
    const QStringList shown = rowOf(document.grid(), 1);
    LogDocument::Kept kept = document.keep();
    // A load given up puts back the grid with its sheet columns.
    document.setTagSheet(std::nullopt);
    QCOMPARE(document.selectFormat(Format::Float32).status, Status::Loaded);
    QVERIFY(rowOf(document.grid(), 1) != shown);
    document.restore(kept);
    QCOMPARE(rowOf(document.grid(), 1), shown);
}

void TestTagColumns::saveAsCsvShowsSheet()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(u"Data.bin"_s);
    QVERIFY(
        writeFile(log, dataFile({recordWith({{0, 215}}), recordWith({{0, 9}}), recordWith({})})));
    LogDocument document;
    document.setTagSheet(sheetOf("*,0,Temperature,°C,u16,0.1,-20,,\r\n"));
    QCOMPARE(document.open(log).status, Status::Loaded);
    const QString out = dir.filePath(u"out.csv"_s);
    QString failure;
    QVERIFY(SaveAsWriter::writeCsv(
        document.grid(), out, log, [](int) {}, failure));
    const QByteArray csv = readFile(out);
    QVERIFY2(csv.contains("Temperature [°C]\r\n"), csv.constData());
    QVERIFY2(csv.contains(",1.5\r\n"), csv.constData());
    QVERIFY2(csv.contains(",-19.1\r\n"), csv.constData());
}

QTEST_GUILESS_MAIN(TestTagColumns)
#include "tst_tagcolumns.moc"
