#include "logfiles/BinaryLogFile.h"
#include "records/GridLayout.h"
#include "records/GridSizeGuard.h"
#include "records/RecordGridModel.h"
#include "records/ValueFormat.h"
#include "support/LogFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <thread>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// Reads a binary data file the way opening does: header block first, then
// the records from where the header left the file.
bool loadData(const QString &path, RecordGridModel &grid, int format = 0,
              const RowWritten &rowWritten = {})
{
    LogFile file;
    QByteArray header;
    if (!file.open(path) || !file.readHeaderBlock(header) || !LogKind::hasSignature(header))
        return false;
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format(format));
    return readBinaryDataRecords(file, grid, ValueFormat::Format(format), rowWritten);
}

bool loadAlarms(const QString &path, RecordGridModel &grid, const RowWritten &rowWritten = {})
{
    LogFile file;
    QByteArray header;
    if (!file.open(path) || !file.readHeaderBlock(header) || !LogKind::hasSignature(header))
        return false;
    GridLayout::setAlarmList(grid, Language::Chinese);
    return readBinaryAlarms(file, grid, rowWritten);
}

QStringList row(const RecordGridModel &grid, int r)
{
    QStringList cells;
    for (int c = 0; c < grid.cols(); ++c)
        cells << grid.cell(c, r);
    return cells;
}

// The same cells as plain texts, as the grid kept them before records were
// kept raw.
void copyAsTexts(const RecordGridModel &from, RecordGridModel &to)
{
    to.setCols(from.cols());
    to.setRows(from.rows());
    for (int r = 0; r < from.rows(); ++r)
        for (int c = 0; c < from.cols(); ++c)
            to.setCell(c, r, from.cell(c, r));
}

QList<QStringList> rows(const RecordGridModel &grid)
{
    QList<QStringList> all;
    for (int r = 0; r < grid.rows(); ++r)
        all << row(grid, r);
    return all;
}

} // namespace

class TestBinaryLogFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void alarmFileName_data();
    void alarmFileName();
    void headerBlockKind_data();
    void headerBlockKind();
    void unreadableFilesGiveNoHeader_data();
    void unreadableFilesGiveNoHeader();
    void readingNeverChangesTheFile();
    void namedPipeIsNotOpened();

    void dataRowCount_data();
    void dataRowCount();
    void dataRecordTexts_data();
    void dataRecordTexts();
    void valueWordsInEveryFormat_data();
    void valueWordsInEveryFormat();
    void everyRowIsReportedInOrder();

    void alarmRowCount_data();
    void alarmRowCount();
    void alarmRecordTexts_data();
    void alarmRecordTexts();

    void fileShrinkingDuringReadKeepsRowsRead_data();
    void fileShrinkingDuringReadKeepsRowsRead();
    void fileShrunkBeforeRecordsGivesFewerRows();
    void sampleFilesAreRead_data();
    void sampleFilesAreRead();

    void largeReadCutShortKeepsTheBytes();
    void recordsBehaveAsTexts_data();
    void recordsBehaveAsTexts();
    void formatChangeCutShortKeepsOtherRows_data();
    void formatChangeCutShortKeepsOtherRows();

    void sizeGuard_data();
    void sizeGuard();
    void longestTextsAreCounted_data();
    void longestTextsAreCounted();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestBinaryLogFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestBinaryLogFile::alarmFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("alarm");
    QTest::newRow("bare name") << u"Alarm.db"_s << true;
    QTest::newRow("unix path") << u"/var/log/panel/Alarm.db"_s << true;
    QTest::newRow("windows path") << u"C:\\Panel\\Alarm.db"_s << true;
    QTest::newRow("drive colon") << u"D:Alarm.db"_s << true;
    QTest::newRow("mixed separators") << u"C:\\Panel/logs\\Alarm.db"_s << true;
    QTest::newRow("lower case") << u"/logs/alarm.db"_s << false;
    QTest::newRow("upper case") << u"/logs/ALARM.DB"_s << false;
    QTest::newRow("prefix") << u"/logs/OldAlarm.db"_s << false;
    QTest::newRow("suffix") << u"/logs/Alarm.db.bak"_s << false;
    QTest::newRow("trailing blank") << u"/logs/Alarm.db "_s << false;
    QTest::newRow("folder named Alarm.db") << u"/logs/Alarm.db/data.db"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestBinaryLogFile::alarmFileName()
{
    QFETCH(QString, path);
    QFETCH(bool, alarm);
    QCOMPARE(LogKind::isAlarmFileName(path), alarm);
}

void TestBinaryLogFile::headerBlockKind_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("signature");
    QTest::addColumn<bool>("sqlite");

    const QByteArray sig = signedHeader();
    QTest::newRow("signed") << sig << true << false;
    QTest::newRow("signed, lead bytes anything")
        << signedHeader(32, "\xff\x01\x02\x03garbage!") << true << false;
    QTest::newRow("signed and starting with SQLite") << signedHeader(32, "SQLite") << true << true;
    QTest::newRow("SQLite header")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(16, '\x10') << false << true;
    QTest::newRow("SQLite only six bytes")
        << QByteArray("SQLite") + QByteArray(26, 'x') << false << true;
    QTest::newRow("sqlite lower case")
        << QByteArray("sqlite format 3") + QByteArray(17, '\0') << false << false;
    QTest::newRow("SQLit") << QByteArray("SQLit") + QByteArray(27, '\0') << false << false;
    QByteArray first = sig;
    first[12] = 's';
    QTest::newRow("signature byte 12 differs") << first << false << false;
    QByteArray last = sig;
    last[31] = char(last[31] ^ 0x20);
    QTest::newRow("signature byte 31 differs") << last << false << false;
    QTest::newRow("signature cut short") << sig.left(31) << false << false;
    QTest::newRow("signature one byte late") << QByteArray(1, ' ') + sig.left(31) << false << false;
    QTest::newRow("zeros") << QByteArray(32, '\0') << false << false;
    QTest::newRow("text") << QByteArray("This is a plain text file, not a log.") << false << false;
}

void TestBinaryLogFile::headerBlockKind()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, signature);
    QFETCH(bool, sqlite);
    QCOMPARE(LogKind::hasSignature(block), signature);
    QCOMPARE(LogKind::hasSqliteHeader(block), sqlite);
}

void TestBinaryLogFile::unreadableFilesGiveNoHeader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file is made
    QTest::addColumn<bool>("opens");
    QTest::newRow("0 bytes") << u"empty.db"_s << QByteArray("") << true;
    QTest::newRow("10 bytes") << u"ten.db"_s << QByteArray("0123456789") << true;
    QTest::newRow("31 bytes of a signed header")
        << u"short.db"_s << signedHeader().left(31) << true;
    QTest::newRow("missing") << u"missing.db"_s << QByteArray() << false;
    QTest::newRow("directory") << u"folder.db"_s << QByteArray() << false;
}

void TestBinaryLogFile::unreadableFilesGiveNoHeader()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, opens);
    if (name == u"folder.db")
        QVERIFY(QDir(m_dir.path()).mkpath(name));
    else if (!content.isNull())
        QVERIFY(writeFile(path(name), content));
    LogFile file;
    QCOMPARE(file.open(path(name)), opens);
    QByteArray header;
    QVERIFY(!file.readHeaderBlock(header));
    file.close();
    QVERIFY(!file.isOpen());
    if (content.isNull() && name != u"folder.db")
        QVERIFY2(!QFile::exists(path(name)), "opening must not create the file");
}

void TestBinaryLogFile::readingNeverChangesTheFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"data.bin"_s);
    QVERIFY(writeFile(file, dataFile(3) + "tail"));
    QFile::setPermissions(file, QFile::ReadOwner); // read-only is enough
    const auto before = folderState(dir.path());
    RecordGridModel grid;
    QVERIFY(loadData(file, grid));
    QCOMPARE(folderState(dir.path()), before);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
}

void TestBinaryLogFile::namedPipeIsNotOpened()
{
    // Opening a pipe for reading waits for a writer: the browser would hang.
    const QString pipe = path(u"pipe.db"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    std::atomic<bool> done = false;
    std::thread unblock([&] {
        for (int i = 0; i < 50 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done) {
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });
    LogFile file;
    QElapsedTimer timer;
    timer.start();
    const bool opened = file.open(pipe);
    done = true;
    unblock.join();
    QVERIFY2(!opened, "a named pipe must not be opened as a log file");
    QVERIFY2(timer.elapsed() < 4000, "opening waited for a writer");
}

void TestBinaryLogFile::dataRowCount_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("trailing");
    QTest::addColumn<int>("rows");
    QTest::newRow("header only") << 0 << 0 << 1;
    QTest::newRow("header and 31 bytes") << 0 << 31 << 1;
    QTest::newRow("one record") << 1 << 0 << 2;
    QTest::newRow("three records") << 3 << 0 << 4;
    QTest::newRow("three records and 20 bytes") << 3 << 20 << 4;
    QTest::newRow("three records and 31 bytes") << 3 << 31 << 4;
    QTest::newRow("3000 records (several reads)") << 3000 << 7 << 3001;
}

void TestBinaryLogFile::dataRowCount()
{
    QFETCH(int, records);
    QFETCH(int, trailing);
    QFETCH(int, rows);
    const QString file = path(u"count.bin"_s);
    QVERIFY(writeFile(file, dataFile(records) + QByteArray(trailing, '\x7f')));
    RecordGridModel grid;
    QVERIFY(loadData(file, grid));
    QCOMPARE(grid.rows(), rows);
    QCOMPARE(grid.cols(), 13);
    QCOMPARE(grid.cell(0, 0), u"数据ID"_s);
    for (int r = 1; r < rows; ++r) {
        QCOMPARE(grid.cell(0, r), QString::number(r));
        QCOMPARE(grid.cell(12, r), QString::number(r * 10 + 9));
    }
}

void TestBinaryLogFile::dataRecordTexts_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("cells"); // columns 0 to 3

    QByteArray example = dataRecordBytes({});
    const char stamp[] = "\xD5\x07\x05\x07\x08\x04\x3B";
    std::memcpy(example.data() + 4, stamp, 7);
    putLe32(example, 0, 1);
    example[12] = '\x34';
    example[13] = '\x12';
    QTest::newRow("D5 07 05 07 08 04 3B, words 34 12")
        << example << QStringList {u"1"_s, u"2005-05-07"_s, u"08:04:59"_s, u"4660"_s};

    auto make = [](DataRecord r) { return dataRecordBytes(r); };
    DataRecord r;
    r.id = -1;
    QTest::newRow("ID FF FF FF FF")
        << make(r) << QStringList {u"-1"_s, u"2013-05-07"_s, u"08:04:59"_s, u"0"_s};
    r = {};
    r.id = std::numeric_limits<qint32>::min();
    r.words[0] = 0xFFFF;
    QTest::newRow("smallest ID, largest word")
        << make(r) << QStringList {u"-2147483648"_s, u"2013-05-07"_s, u"08:04:59"_s, u"65535"_s};
    r = {};
    r.id = std::numeric_limits<qint32>::max();
    r.year = 0;
    r.month = 0;
    r.day = 0;
    r.hour = 0;
    r.minute = 0;
    r.second = 0;
    QTest::newRow("zeros pad to two digits")
        << make(r) << QStringList {u"2147483647"_s, u"0-00-00"_s, u"00:00:00"_s, u"0"_s};
    r = {};
    r.year = 65535;
    r.month = 13;
    r.day = 99;
    r.hour = 12;
    r.minute = 100;
    r.second = 255;
    QTest::newRow("no range check")
        << make(r) << QStringList {u"1"_s, u"65535-13-99"_s, u"12:100:255"_s, u"0"_s};
    r = {};
    r.year = 987;
    r.month = 7;
    r.day = 10;
    r.hour = 9;
    r.minute = 5;
    r.second = 0;
    QTest::newRow("year without padding")
        << make(r) << QStringList {u"1"_s, u"987-07-10"_s, u"09:05:00"_s, u"0"_s};
}

void TestBinaryLogFile::dataRecordTexts()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, cells);
    const QString file = path(u"texts.bin"_s);
    // The record of interest sits between two others, so offsets matter.
    QVERIFY(writeFile(file, signedHeader() + dataRecordBytes({}) + record + dataRecordBytes({})));
    RecordGridModel grid;
    QVERIFY(loadData(file, grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(row(grid, 2).mid(0, 4), cells);
}

void TestBinaryLogFile::valueWordsInEveryFormat_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("values");

    // Words: 0000 3FC0 | FFFF FFFF | 0000 8000 | 8000 0001 | 0000 C2F7
    QTest::newRow("16bit Unsigned")
        << 0 << QStringList {u"0"_s,     u"16320"_s, u"65535"_s, u"65535"_s, u"0"_s,
                             u"32768"_s, u"32768"_s, u"1"_s,     u"0"_s,     u"49911"_s};
    QTest::newRow("16bit Signed") << 1 << QStringList {u"0"_s, u"16320"_s,  u"-1"_s,     u"-1"_s,
                                                       u"0"_s, u"-32768"_s, u"-32768"_s, u"1"_s,
                                                       u"0"_s, u"-15625"_s};
    QTest::newRow("32bit Signed") << 2
                                  << QStringList {u"1069547520"_s, u"-1"_s, u"-2147483648"_s,
                                                  u"98304"_s, u"-1024000000"_s};
    QTest::newRow("32bit HEX") << 3
                               << QStringList {u"3FC00000"_s, u"FFFFFFFF"_s, u"80000000"_s,
                                               u"00018000"_s, u"C2F70000"_s};
    QTest::newRow("32bit Float") << 4
                                 << QStringList {u"1.500000"_s, u"NAN"_s, u"0.000000"_s,
                                                 u"0.000000"_s, u"-123.500000"_s};
}

void TestBinaryLogFile::valueWordsInEveryFormat()
{
    QFETCH(int, format);
    QFETCH(QStringList, values);
    DataRecord r;
    r.words = {0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 0x8000, 0x0001, 0x0000, 0xC2F7};
    const QString file = path(u"words.bin"_s);
    QVERIFY(writeFile(file, dataFile({r, r})));
    RecordGridModel grid;
    QVERIFY(loadData(file, grid, format));
    QCOMPARE(grid.cols(), 3 + values.size());
    QCOMPARE(row(grid, 2).mid(3), values);
    QCOMPARE(row(grid, 1), row(grid, 2));
}

void TestBinaryLogFile::everyRowIsReportedInOrder()
{
    const QString file = path(u"rows.bin"_s);
    QVERIFY(writeFile(file, dataFile(50)));
    RecordGridModel grid;
    QList<int> reported;
    QVERIFY(loadData(file, grid, 0, [&](int r) {
        // The row is complete when it is reported.
        QCOMPARE(grid.cell(12, r), QString::number(r * 10 + 9));
        reported << r;
    }));
    QList<int> expected;
    for (int r = 1; r <= 50; ++r)
        expected << r;
    QCOMPARE(reported, expected);
}

void TestBinaryLogFile::alarmRowCount_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("trailing");
    QTest::addColumn<int>("rows");
    QTest::newRow("header only") << 0 << 0 << 1;
    QTest::newRow("header and 111 bytes") << 0 << 111 << 1;
    QTest::newRow("two alarms") << 2 << 0 << 3;
    QTest::newRow("two alarms and 50 bytes") << 2 << 50 << 3;
    QTest::newRow("12000 alarms (several reads)") << 12000 << 0 << 12001;
}

void TestBinaryLogFile::alarmRowCount()
{
    QFETCH(int, records);
    QFETCH(int, trailing);
    QFETCH(int, rows);
    QList<AlarmRecord> alarms;
    for (int i = 1; i <= records; ++i) {
        AlarmRecord a;
        a.id = i;
        a.number = quint8(i);
        alarms << a;
    }
    const QString file = path(u"alarms.db"_s);
    QVERIFY(writeFile(file, alarmFile(alarms, QByteArray(trailing, 'A'))));
    RecordGridModel grid;
    QVERIFY(loadAlarms(file, grid));
    QCOMPARE(grid.rows(), rows);
    QCOMPARE(grid.cols(), 4);
    QCOMPARE(grid.cell(3, 0), u"报警内容"_s);
    for (int r = 1; r < rows; ++r) {
        QCOMPARE(grid.cell(0, r), QString::number(r));
        QCOMPARE(grid.cell(2, r), QString::number(quint8(r)));
    }
}

void TestBinaryLogFile::alarmRecordTexts_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("cells");

    AlarmRecord a;
    a.number = 200;
    QTest::newRow("alarm number 200")
        << alarmRecordBytes(a)
        << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"200"_s, u"Alarm"_s};

    a = {};
    a.id = -7;
    a.number = 0;
    a.year = 2005;
    a.month = 1;
    a.day = 2;
    a.hour = 3;
    a.minute = 4;
    a.second = 5;
    QTest::newRow("negative ID, padded time")
        << alarmRecordBytes(a)
        << QStringList {u"-7"_s, u"2005-01-02/03:04:05"_s, u"0"_s, u"Alarm"_s};

    a = {};
    a.number = 255;
    a.text = std::u16string(50, u'W');
    a.text[49] = u'Z';
    QTest::newRow("50 units without a zero unit")
        << alarmRecordBytes(a)
        << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"255"_s, QString(49, u'W') + u'Z'};

    a = {};
    a.text = std::u16string(u"Stop\0hidden text", 16);
    QTest::newRow("text ends at the first zero unit")
        << alarmRecordBytes(a) << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s, u"Stop"_s};

    a = {};
    a.text = u"电机过热";
    QTest::newRow("chinese") << alarmRecordBytes(
        a) << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s, u"电机过热"_s};

    a = {};
    a.text = u"T=\U0001F525!";
    QTest::newRow("surrogate pair") << alarmRecordBytes(a)
                                    << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s,
                                                    QString::fromUtf16(u"T=\U0001F525!")};

    a = {};
    a.text = std::u16string(49, u'x') + u"\xD83D";
    QTest::newRow("high surrogate cut by the field's end")
        << alarmRecordBytes(a)
        << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s,
                        QString(49, u'x') + QChar(0xFFFD)};

    a = {};
    a.text = u"\xDC00ok";
    QTest::newRow("lone low surrogate")
        << alarmRecordBytes(a)
        << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s, QChar(0xFFFD) + u"ok"_s};

    a = {};
    a.text = std::u16string();
    QTest::newRow("empty text") << alarmRecordBytes(
        a) << QStringList {u"1"_s, u"2013-05-07/08:04:59"_s, u"1"_s, QString()};
}

void TestBinaryLogFile::alarmRecordTexts()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, cells);
    const QString file = path(u"Alarm.db"_s);
    QVERIFY(
        writeFile(file, signedHeader(112) + alarmRecordBytes({}) + record + alarmRecordBytes({})));
    RecordGridModel grid;
    QVERIFY(loadAlarms(file, grid));
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(row(grid, 2), cells);
    QCOMPARE(row(grid, 3).at(3), u"Alarm"_s);
}

void TestBinaryLogFile::fileShrinkingDuringReadKeepsRowsRead_data()
{
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("kept"); // records left in the file after the cut
    QTest::addColumn<int>("cutPart"); // bytes of a partial record left after them
    QTest::newRow("data, cut at a record boundary") << false << 100000 << 70000 << 0;
    QTest::newRow("data, cut inside a record") << false << 100000 << 70000 << 17;
    QTest::newRow("alarms, cut inside a record") << true << 20000 << 15000 << 100;
}

void TestBinaryLogFile::fileShrinkingDuringReadKeepsRowsRead()
{
    QFETCH(bool, alarms);
    QFETCH(int, records);
    QFETCH(int, kept);
    QFETCH(int, cutPart);
    const QString file = path(alarms ? u"Alarm.db"_s : u"shrinking.bin"_s);
    const qint64 recordSize = alarms ? 112 : 32;
    if (alarms) {
        QList<AlarmRecord> list;
        for (int i = 1; i <= records; ++i) {
            AlarmRecord a;
            a.id = i;
            list << a;
        }
        QVERIFY(writeFile(file, alarmFile(list)));
    } else {
        QVERIFY(writeFile(file, dataFile(records)));
    }
    // Another program cuts the file short once the first records are shown.
    bool cut = false;
    const RowWritten cutter = [&](int r) {
        if (r == 3 && !cut)
            cut = QFile::resize(file, recordSize * (1 + kept) + cutPart);
    };
    RecordGridModel grid;
    const bool complete = alarms ? loadAlarms(file, grid, cutter) : loadData(file, grid, 0, cutter);
    QVERIFY(cut);
    QVERIFY2(!complete, "a short read must be reported");
    QCOMPARE(grid.rows(), records + 1);
    QCOMPARE(grid.cell(0, kept), QString::number(kept));
    QVERIFY(!grid.cell(1, kept).isEmpty());
    for (int c = 0; c < grid.cols(); ++c) {
        QVERIFY2(grid.cell(c, kept + 1).isEmpty(), "a partial record must not be shown");
        QVERIFY(grid.cell(c, records).isEmpty());
    }
}

void TestBinaryLogFile::fileShrunkBeforeRecordsGivesFewerRows()
{
    const QString file = path(u"shrunk.bin"_s);
    QVERIFY(writeFile(file, dataFile(10)));
    LogFile log;
    QByteArray header;
    QVERIFY(log.open(file) && log.readHeaderBlock(header));
    // Cut between the header and the records: the rows follow the new size.
    QVERIFY(QFile::resize(file, 32 + 4 * 32 + 5));
    RecordGridModel grid;
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format::Unsigned16);
    QVERIFY(readBinaryDataRecords(log, grid, ValueFormat::Format::Unsigned16));
    QCOMPARE(grid.rows(), 5);
    QCOMPARE(grid.cell(0, 4), u"4"_s);
}

void TestBinaryLogFile::sampleFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("records");
    QTest::newRow("data file") << u"data-bin"_s << 250;
    QTest::newRow("data file without records") << u"data-bin"_s << 0;
    QTest::newRow("alarm file") << u"alarm-bin"_s << 40;
}

void TestBinaryLogFile::sampleFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(int, records);
    const QString file = path(kind == u"alarm-bin" ? u"Alarm.db"_s : u"sample.bin"_s);
    QVERIFY(makeSample(
        {kind, file, u"--records"_s, QString::number(records), u"--first-id"_s, u"-5"_s}));
    RecordGridModel grid;
    QVERIFY(kind == u"alarm-bin" ? loadAlarms(file, grid) : loadData(file, grid));
    QCOMPARE(grid.rows(), records + 1);
    for (int r = 1; r <= records; ++r) {
        QCOMPARE(grid.cell(0, r), QString::number(r - 6));
        QVERIFY(!grid.cell(1, r).isEmpty());
    }
}

void TestBinaryLogFile::largeReadCutShortKeepsTheBytes()
{
    const QString file = path(u"large.bin"_s);
    QByteArray bytes(3 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 / 3);
    QVERIFY(writeFile(file, bytes));
    LogFile log;
    QVERIFY(log.open(file));
    QByteArray head(100, Qt::Uninitialized);
    QVERIFY(log.readExact(head.data(), head.size()));
    // More than the file holds: the read fails, and every byte it got is
    // still there for the reads that follow.
    QByteArray big(4 << 20, Qt::Uninitialized);
    QVERIFY(!log.readExact(big.data(), big.size()));
    QByteArray rest(bytes.size() - head.size(), Qt::Uninitialized);
    QVERIFY(log.readExact(rest.data(), 32));
    QVERIFY(log.readExact(rest.data() + 32, rest.size() - 32));
    QCOMPARE(head + rest, bytes);
    char one;
    QVERIFY(!log.readExact(&one, 1));
}

void TestBinaryLogFile::recordsBehaveAsTexts_data()
{
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<QString>("change");
    for (const bool alarms : {false, true}) {
        const char *kind = alarms ? "alarms" : "data";
        QTest::addRow("%s, a cell set", kind) << alarms << u"set"_s;
        QTest::addRow("%s, a cell cleared", kind) << alarms << u"clear"_s;
        QTest::addRow("%s, rows cut and added", kind) << alarms << u"rows"_s;
        QTest::addRow("%s, columns cut and added", kind) << alarms << u"cols"_s;
        QTest::addRow("%s, a title and the ID header", kind) << alarms << u"titles"_s;
    }
    QTest::newRow("data, read again over set cells") << false << u"reread"_s;
}

void TestBinaryLogFile::recordsBehaveAsTexts()
{
    QFETCH(bool, alarms);
    QFETCH(QString, change);
    const QString file = path(alarms ? u"Alarm.db"_s : u"texts.bin"_s);
    QList<AlarmRecord> list(6);
    for (int i = 0; i < list.size(); ++i)
        list[i].text = u"报警 " + std::u16string(size_t(i), u'x');
    QVERIFY(writeFile(file, alarms ? alarmFile(list) : dataFile(6)));
    RecordGridModel raw, texts;
    QVERIFY(alarms ? loadAlarms(file, raw) : loadData(file, raw));
    QCOMPARE(raw.rawRecordCount(), 6);
    copyAsTexts(raw, texts);
    QCOMPARE(texts.rawKind(), RecordGridModel::RawKind::None);
    // The same changes to both grids leave the same cells.
    for (RecordGridModel *grid : {&raw, &texts}) {
        if (change == u"set") {
            grid->setCell(2, 3, u"set"_s);
        } else if (change == u"clear") {
            grid->setCell(1, 2, {});
            grid->setCell(3, 6, {});
        } else if (change == u"rows") {
            grid->setRows(3);
            grid->setRows(9);
            grid->setCell(1, 8, u"new"_s);
        } else if (change == u"cols") {
            grid->setCols(2);
            grid->setCols(5);
            grid->setCell(4, 1, u"new"_s);
        } else if (change == u"titles") {
            grid->setCell(1, 0, u"title"_s);
            grid->setCell(0, 4, u"ID"_s);
        } else if (change == u"reread") {
            grid->setCell(2, 3, u"set"_s);
            grid->setCell(1, 2, {});
            QVERIFY(loadData(file, *grid));
        }
    }
    QCOMPARE(rows(raw), rows(texts));
}

void TestBinaryLogFile::formatChangeCutShortKeepsOtherRows_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("to a wider format") << 0 << 4;
    QTest::newRow("to a narrower format") << 3 << 1;
    QTest::newRow("between wide formats") << 2 << 3;
}

void TestBinaryLogFile::formatChangeCutShortKeepsOtherRows()
{
    QFETCH(int, from);
    QFETCH(int, to);
    const QString file = path(u"reread.bin"_s);
    // More than the file buffer holds, so that the cut is seen.
    constexpr int records = 100000;
    constexpr int kept = 70000;
    QVERIFY(writeFile(file, dataFile(records)));
    RecordGridModel before, after, grid;
    QVERIFY(loadData(file, before, from));
    QVERIFY(loadData(file, after, to));
    QVERIFY(loadData(file, grid, from));
    // Read again in the new format and cut short: the records read show the
    // new format, the others keep their texts in the new columns.
    bool cut = false;
    const RowWritten cutter = [&](int r) {
        if (r == 3 && !cut)
            cut = QFile::resize(file, 32 * (kept + 1) + 5);
    };
    QVERIFY(!loadData(file, grid, to, cutter));
    QVERIFY(cut);
    QCOMPARE(grid.rows(), records + 1);
    QCOMPARE(row(grid, 0), row(after, 0));
    for (const int r : {1, 2, 3, 4, 12345, kept - 1, kept})
        QCOMPARE(row(grid, r), row(after, r));
    for (const int r : {kept + 1, kept + 2, 85000, records}) {
        QStringList old = row(before, r).mid(0, grid.cols());
        while (old.size() < grid.cols())
            old << QString();
        QCOMPARE(row(grid, r), old);
    }
}

void TestBinaryLogFile::sizeGuard_data()
{
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<int>("format");
    QTest::addColumn<qint64>("budget"); // -1: unknown
    QTest::addColumn<qint64>("records");
    QTest::addColumn<qint64>("gridBytes");
    QTest::addColumn<bool>("fits");

    constexpr qint64 GB = qint64(1) << 30;
    constexpr qint64 maxRows = RecordGridModel::MaxRows;
    // The grid keeps each record's 32 bytes, whatever the display format.
    QTest::newRow("empty file") << qint64(0) << false << 0 << qint64(-1) << qint64(0) << qint64(0)
                                << true;
    QTest::newRow("header only") << qint64(32) << false << 0 << qint64(0) << qint64(0) << qint64(0)
                                 << true;
    QTest::newRow("a record and a cut one")
        << qint64(95) << false << 0 << qint64(-1) << qint64(1) << qint64(32) << true;
    QTest::newRow("budget just enough")
        << qint64(64) << false << 0 << qint64(32) << qint64(1) << qint64(32) << true;
    QTest::newRow("budget a byte short")
        << qint64(64) << false << 0 << qint64(31) << qint64(1) << qint64(32) << false;
    QTest::newRow("16bit Signed") << qint64(64) << false << 1 << qint64(-1) << qint64(1)
                                  << qint64(32) << true;
    QTest::newRow("32bit Float: as much as the narrowest")
        << qint64(64) << false << 4 << qint64(32) << qint64(1) << qint64(32) << true;
    QTest::newRow("alarm header only")
        << qint64(112 + 111) << true << 0 << qint64(-1) << qint64(0) << qint64(0) << true;
    // An alarm's 112 bytes.
    QTest::newRow("an alarm") << qint64(224) << true << 0 << qint64(-1) << qint64(1) << qint64(112)
                              << true;
    QTest::newRow("alarm, budget a byte short")
        << qint64(224) << true << 0 << qint64(111) << qint64(1) << qint64(112) << false;
    QTest::newRow("8 GB data file, 4 GB free")
        << 8 * GB << false << 0 << 4 * GB << qint64(268435455) << qint64(268435455) * 32 << false;
    QTest::newRow("8 GB data file, 16 GB free")
        << 8 * GB << false << 0 << 16 * GB << qint64(268435455) << qint64(268435455) * 32 << true;
    QTest::newRow("the grid's last row")
        << maxRows * 32 << false << 0 << qint64(-1) << maxRows - 1 << (maxRows - 1) * 32 << true;
    QTest::newRow("a record past the last row")
        << (maxRows + 1) * 32 << false << 0 << qint64(-1) << maxRows << maxRows * 32 << false;
    QTest::newRow("alarms past the last row")
        << (maxRows + 1) * 112 << true << 0 << qint64(-1) << maxRows << maxRows * 112 << false;
}

void TestBinaryLogFile::sizeGuard()
{
    QFETCH(qint64, fileBytes);
    QFETCH(bool, alarms);
    QFETCH(int, format);
    QFETCH(qint64, budget);
    QFETCH(qint64, records);
    QFETCH(qint64, gridBytes);
    QFETCH(bool, fits);
    using namespace GridSizeGuard;
    const Need need = binaryFileNeed(fileBytes, alarms ? RecordKind::Alarm : RecordKind::Data,
                                     ValueFormat::Format(format));
    QCOMPARE(need.fileBytes, fileBytes);
    QCOMPARE(need.records, records);
    QCOMPARE(need.gridBytes, gridBytes);
    QCOMPARE(GridSizeGuard::fits(need, budget < 0 ? std::nullopt : std::optional(budget)), fits);
}

void TestBinaryLogFile::longestTextsAreCounted_data()
{
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<int>("format");
    for (int format = 0; format < ValueFormat::FormatCount; ++format)
        QTest::addRow("%s", qPrintable(ValueFormat::formatName(ValueFormat::Format(format))))
            << false << format;
    QTest::newRow("alarms") << true << 0;
}

void TestBinaryLogFile::longestTextsAreCounted()
{
    QFETCH(bool, alarms);
    QFETCH(int, format);
    const QString file = m_dir.filePath(u"longest.bin"_s);
    RecordGridModel grid;
    if (alarms) {
        AlarmRecord a;
        a.id = std::numeric_limits<qint32>::min();
        a.year = 65535;
        a.month = a.day = a.hour = a.minute = a.second = a.number = 255;
        a.text = std::u16string(50, u'电');
        QVERIFY(writeFile(file, alarmFile({a})));
        QVERIFY(loadAlarms(file, grid));
    } else {
        DataRecord r;
        r.id = std::numeric_limits<qint32>::min();
        r.year = 65535;
        r.month = r.day = r.hour = r.minute = r.second = 255;
        // Each format's longest value: 65535, -32768, -2^31, any, -9999999.0f.
        const quint32 pair = format == 4 ? std::bit_cast<quint32>(-9999999.0f) : 0x80000000u;
        for (int v = 0; v < 10; v += 2) {
            r.words[size_t(v)] = format == 0 ? 65535 : format == 1 ? 0x8000 : quint16(pair);
            r.words[size_t(v + 1)] = format == 0 ? 65535
                : format == 1                    ? 0x8000
                                                 : quint16(pair >> 16);
        }
        QVERIFY(writeFile(file, dataFile({r})));
        QVERIFY(loadData(file, grid, format));
    }
    QCOMPARE(grid.rows(), 2);
    qint64 text = 0;
    for (int c = 0; c < grid.cols(); ++c)
        text += grid.cellUtf8(c, 1).size();
    const auto kind = alarms ? GridSizeGuard::RecordKind::Alarm : GridSizeGuard::RecordKind::Data;
    // The float estimate allows for the widest decimal separator.
    const qint64 separatorRoom = format == 4 ? 5
            * (ValueFormat::DecimalSeparator::MaxBytes
               - ValueFormat::DecimalSeparator::system().view().size())
                                             : 0;
    QCOMPARE(text + separatorRoom,
             GridSizeGuard::textBytesPerRecord(kind, ValueFormat::Format(format)));
    // The texts are made when asked: besides the titles the grid holds the
    // record itself.
    qint64 titles = 0;
    for (int c = 0; c < grid.cols(); ++c)
        titles += RecordGridModel::BytesPerCell + grid.cellUtf8(c, 0).size();
    QCOMPARE(grid.memoryUse() - titles,
             GridSizeGuard::bytesPerRecord(kind, ValueFormat::Format(format)));
}

QTEST_GUILESS_MAIN(TestBinaryLogFile)
#include "tst_binarylogfile.moc"
