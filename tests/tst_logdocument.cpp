// The open log as a document, without any window: real files of each kind,
// damaged ones for each status, reload and growth.
#include "document/LogDocument.h"
#include "document/SaveAsWriter.h"
#include "platform/WorkProgress.h"
#include "support/LogFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace logfiles;
using Status = LogDocument::Status;
using Kind = LogDocument::FileKind;
using State = LogDocument::GridState;
using ValueFormat::Format;

Q_DECLARE_METATYPE(LogDocument::Status)
Q_DECLARE_METATYPE(LogDocument::FileKind)
Q_DECLARE_METATYPE(LogDocument::GridState)
Q_DECLARE_METATYPE(ValueFormat::Format)
Q_DECLARE_METATYPE(LogGrowth::Change)

namespace {

// Writes the file a row of a table names into `dir`: its name says its kind.
bool writeLog(const QDir &dir, const QString &name, const QByteArray &setup)
{
    const QString path = dir.filePath(name);
    if (setup.startsWith("sql:"))
        return sql(path, setup.mid(4));
    return writeFile(path, setup);
}

QByteArray recordDatabase(int buffer, int rows)
{
    QByteArray s = "sql:" + createBuffer(buffer);
    for (int i = 1; i <= rows; ++i)
        s += insertBuffer(buffer, i, "2013-05-07", "08:04:59", {QByteArray::number(i * 7)});
    return s;
}

QByteArray alarmDatabase(int rows)
{
    QByteArray s = "sql:CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 INTEGER, N2 TEXT);";
    for (int i = 1; i <= rows; ++i)
        s += "INSERT INTO Ldata VALUES (" + QByteArray::number(i)
            + ", '2013-05-07 08:04:59', 3, 'Pump " + QByteArray::number(i) + "');";
    return s;
}

QByteArray alarms(int count)
{
    QList<AlarmRecord> records;
    for (int i = 1; i <= count; ++i) {
        AlarmRecord r;
        r.id = i;
        records << r;
    }
    return alarmFile(records);
}

bool append(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
}

} // namespace

class TestLogDocument : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void open_data();
    void open();
    void sampleLogs_data();
    void sampleLogs();
    void selectFormat_data();
    void selectFormat();
    void selectBuffer();
    void reload_data();
    void reload();
    void growth_data();
    void growth();
    void keptStateComesBack();
    void stoppedLoadThrows();
    void saveAsTarget_data();
    void saveAsTarget();
    void saveAsCsv_data();
    void saveAsCsv();

private:
    // The standard sample logs, written once.
    QTemporaryDir m_samples;
};

void TestLogDocument::initTestCase()
{
    QVERIFY(m_samples.isValid());
    QVERIFY(makeSample({QStringLiteral("samples"), m_samples.path()}));
}

void TestLogDocument::open_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<qint64>("budget"); // -1: no limit known
    QTest::addColumn<Status>("status");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("formatSelectable");

    QTest::newRow("binary data") << "Data.bin" << dataFile(3) << qint64(-1) << Status::Loaded
                                 << Kind::BinaryData << State::Loaded << 3 << true;
    QTest::newRow("binary alarms") << "Alarm.db" << alarms(4) << qint64(-1) << Status::Loaded
                                   << Kind::BinaryAlarms << State::Loaded << 4 << false;
    QTest::newRow("record database")
        << "Buffer.db" << recordDatabase(1, 5) << qint64(-1) << Status::Loaded
        << Kind::RecordDatabase << State::Loaded << 5 << true;
    QTest::newRow("alarm database")
        << "Alarm.db" << alarmDatabase(6) << qint64(-1) << Status::Loaded << Kind::AlarmDatabase
        << State::Loaded << 6 << false;
    // An empty buffer is a result: the title row.
    QTest::newRow("empty buffer") << "Buffer.db" << recordDatabase(1, 0) << qint64(-1)
                                  << Status::NoData << Kind::RecordDatabase << State::Loaded << 0
                                  << true;
    QTest::newRow("buffer not created")
        << "Buffer.db" << recordDatabase(2, 3) << qint64(-1) << Status::NotCreated
        << Kind::RecordDatabase << State::Failed << 0 << true;
    QTest::newRow("alarm table missing")
        << "Alarm.db" << QByteArray("sql:CREATE TABLE Other (A INTEGER);") << qint64(-1)
        << Status::DatabaseFailed << Kind::AlarmDatabase << State::Failed << 0 << false;
    QTest::newRow("shorter than a header")
        << "Data.bin" << signedHeader().left(20) << qint64(-1) << Status::NotOpened << Kind::None
        << State::Failed << 0 << false;
    QTest::newRow("no signature, not SQLite")
        << "Data.bin" << QByteArray(64, 'x') << qint64(-1) << Status::InvalidDatabase << Kind::None
        << State::Failed << 0 << false;
    QTest::newRow("binary over the budget")
        << "Data.bin" << dataFile(50) << qint64(100) << Status::FileTooLarge << Kind::BinaryData
        << State::Failed << 0 << false;
    QTest::newRow("binary alarms over the budget")
        << "Alarm.db" << alarms(50) << qint64(100) << Status::FileTooLarge << Kind::BinaryAlarms
        << State::Failed << 0 << false;
    QTest::newRow("record result over the budget")
        << "Buffer.db" << recordDatabase(1, 50) << qint64(100) << Status::TooLarge
        << Kind::RecordDatabase << State::Failed << 0 << true;
    QTest::newRow("alarm result over the budget")
        << "Alarm.db" << alarmDatabase(50) << qint64(100) << Status::TooLarge << Kind::AlarmDatabase
        << State::Failed << 0 << false;
}

void TestLogDocument::open()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, setup);
    QFETCH(qint64, budget);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeLog(QDir(dir.path()), name, setup));
    const QMap<QString, QByteArray> before = folderState(dir.path());

    LogDocument document;
    document.setMemoryBudget([budget]() -> std::optional<qint64> {
        if (budget < 0)
            return std::nullopt;
        return budget;
    });
    const LogDocument::Outcome outcome = document.open(dir.filePath(name));

    QTEST(outcome.status, "status");
    QTEST(document.kind(), "kind");
    QTEST(document.gridState(), "state");
    QTEST(document.grid().recordCount(), "records");
    QTEST(document.formatSelectable(), "formatSelectable");
    QCOMPARE(document.path(), dir.filePath(name));
    QCOMPARE(document.buffer(), 1);
    QCOMPARE(document.format(), Format::Unsigned16);
    const bool hasCause
        = outcome.status == Status::NotCreated || outcome.status == Status::DatabaseFailed;
    QCOMPARE(!outcome.cause.isEmpty(), hasCause);
    if (outcome.status == Status::TooLarge || outcome.status == Status::FileTooLarge)
        QVERIFY(outcome.bytesNeeded > budget);
    if (outcome.status == Status::FileTooLarge) {
        QCOMPARE(outcome.records, 50);
        QCOMPARE(outcome.fileBytes, QFileInfo(dir.filePath(name)).size());
    }
    // The file and its folder are as they were.
    QCOMPARE(folderState(dir.path()), before);
}

void TestLogDocument::sampleLogs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("lastId");

    QTest::newRow("data record database")
        << "Buffer.db" << Kind::RecordDatabase << 1000 << QStringLiteral("1000");
    QTest::newRow("alarm database")
        << "Alarm.db" << Kind::AlarmDatabase << 200 << QStringLiteral("200");
    QTest::newRow("binary alarms")
        << "binary/Alarm.db" << Kind::BinaryAlarms << 150 << QStringLiteral("150");
    QTest::newRow("binary data") << "Data.bin" << Kind::BinaryData << 2000
                                 << QStringLiteral("2000");
}

void TestLogDocument::sampleLogs()
{
    QFETCH(QString, name);
    QFETCH(int, records);
    QFETCH(QString, lastId);
    LogDocument document;
    QCOMPARE(document.open(m_samples.filePath(name)).status, Status::Loaded);
    QTEST(document.kind(), "kind");
    QCOMPARE(document.grid().recordCount(), records);
    QCOMPARE(document.grid().cell(0, records), lastId);
}

void TestLogDocument::selectFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("setup");
    // What happens to the file after it was opened.
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<Format>("format");
    QTest::addColumn<Status>("status");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("firstValue");

    // Record 1's first two words are 10 and 11, the pair 000B000A.
    QTest::newRow("binary in hex") << "Data.bin" << dataFile(3) << QByteArray() << Format::Hex32
                                   << Status::Loaded << State::Loaded << 3 << "000B000A";
    QTest::newRow("binary signed") << "Data.bin" << dataFile(3) << QByteArray() << Format::Signed16
                                   << Status::Loaded << State::Loaded << 3 << "10";
    QTest::newRow("database in hex")
        << "Buffer.db" << recordDatabase(1, 2) << QByteArray() << Format::Hex32 << Status::Loaded
        << State::Loaded << 2 << "00000007";
    QTest::newRow("signature lost")
        << "Data.bin" << dataFile(3) << QByteArray(64, 'y') << Format::Hex32
        << Status::SignatureLost << State::Failed << 0 << QString();
    QTest::newRow("file gone") << "Data.bin" << dataFile(3) << QByteArray("-") << Format::Hex32
                               << Status::Unreadable << State::Loaded << 3 << "10";
}

void TestLogDocument::selectFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, replacement);
    QFETCH(Format, format);
    QFETCH(int, records);
    QFETCH(QString, firstValue);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeLog(QDir(dir.path()), name, setup));
    const QString path = dir.filePath(name);

    LogDocument document;
    QCOMPARE(document.open(path).status, Status::Loaded);
    if (replacement == "-")
        QVERIFY(QFile::remove(path));
    else if (!replacement.isEmpty())
        QVERIFY(writeFile(path, replacement));

    QTEST(document.selectFormat(format).status, "status");
    QCOMPARE(document.format(), format);
    QTEST(document.gridState(), "state");
    QCOMPARE(document.grid().recordCount(), records);
    if (records > 0)
        QCOMPARE(document.grid().cell(3, 1), firstValue);
}

void TestLogDocument::selectBuffer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Buffer.db"));
    QVERIFY(sql(path, recordDatabase(1, 2).mid(4) + recordDatabase(3, 4).mid(4)));

    LogDocument document;
    QCOMPARE(document.open(path).status, Status::Loaded);
    const struct
    {
        int buffer;
        Status status;
        int records;
    } steps[] = {{3, Status::Loaded, 4}, {2, Status::NotCreated, 0}, {1, Status::Loaded, 2}};
    for (const auto &step : steps) {
        QCOMPARE(document.selectBuffer(step.buffer).status, step.status);
        QCOMPARE(document.buffer(), step.buffer);
        QCOMPARE(document.grid().recordCount(), step.records);
    }
}

void TestLogDocument::reload_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<int>("buffer");
    QTest::addColumn<Format>("format");
    // Appended to the file (binary) or run on it (SQL) before the reload.
    QTest::addColumn<QByteArray>("change");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("records");

    QTest::newRow("binary, first format") << "Data.bin" << dataFile(3) << 1 << Format::Unsigned16
                                          << dataRecordBytes(DataRecord {}) << 1 << 4;
    QTest::newRow("binary, float") << "Data.bin" << dataFile(3) << 1 << Format::Float32
                                   << dataRecordBytes(DataRecord {}) << 2 << 4;
    QTest::newRow("database, buffer 3 in hex")
        << "Buffer.db" << recordDatabase(1, 2) + recordDatabase(3, 4).mid(4) << 3 << Format::Hex32
        << "sql:" + insertBuffer(3, 9, "2013-05-08", "00:00:00", {"1"}) << 3 << 5;
    QTest::newRow("alarm database")
        << "Alarm.db" << alarmDatabase(2) << 1 << Format::Unsigned16
        << QByteArray("sql:INSERT INTO Ldata VALUES (3, 'x', 1, 'y');") << 1 << 3;
}

void TestLogDocument::reload()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, setup);
    QFETCH(int, buffer);
    QFETCH(Format, format);
    QFETCH(QByteArray, change);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeLog(QDir(dir.path()), name, setup));
    const QString path = dir.filePath(name);

    LogDocument document;
    QCOMPARE(document.open(path).status, Status::Loaded);
    if (buffer != 1)
        QCOMPARE(document.selectBuffer(buffer).status, Status::Loaded);
    if (format != Format::Unsigned16)
        QCOMPARE(document.selectFormat(format).status, Status::Loaded);
    const QString title = document.grid().cell(3, 0);
    if (change.startsWith("sql:"))
        QVERIFY(sql(path, change.mid(4)));
    else
        QVERIFY(append(path, change));

    const LogDocument::ReloadSteps steps = document.reload();
    QTEST(1 + int(steps.buffer.has_value()) + int(steps.format.has_value()), "steps");
    QCOMPARE(steps.open.status, Status::Loaded);
    for (const auto &step : {steps.buffer, steps.format})
        if (step)
            QCOMPARE(step->status, Status::Loaded);
    // Marked for the growth that follows.
    QCOMPARE(document.changeSinceRead(),
             document.isDatabase() ? LogGrowth::Change::Whole : LogGrowth::Change::None);
    QCOMPARE(document.buffer(), buffer);
    QCOMPARE(document.format(), format);
    QCOMPARE(document.grid().cell(3, 0), title);
    QTEST(document.grid().recordCount(), "records");
}

void TestLogDocument::growth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("initial");
    // The file's bytes after the change, from its start.
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<LogGrowth::Change>("change");
    QTest::addColumn<int>("records");

    QTest::newRow("data grew") << "Data.bin" << dataFile(3) << dataFile(5)
                               << LogGrowth::Change::Grew << 5;
    QTest::newRow("alarms grew") << "Alarm.db" << alarms(2) << alarms(6) << LogGrowth::Change::Grew
                                 << 6;
    QTest::newRow("unchanged") << "Data.bin" << dataFile(3) << dataFile(3)
                               << LogGrowth::Change::None << 3;
    QTest::newRow("shrank") << "Data.bin" << dataFile(3) << dataFile(2) << LogGrowth::Change::Whole
                            << 3;
    QTest::newRow("database") << "Buffer.db" << recordDatabase(1, 2) << QByteArray()
                              << LogGrowth::Change::Whole << 2;
}

void TestLogDocument::growth()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, initial);
    QFETCH(QByteArray, changed);
    QFETCH(LogGrowth::Change, change);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeLog(QDir(dir.path()), name, initial));
    const QString path = dir.filePath(name);

    LogDocument document;
    QCOMPARE(document.open(path).status, Status::Loaded);
    document.rememberGrowth();
    if (!changed.isEmpty())
        QVERIFY(writeFile(path, changed));

    QCOMPARE(document.changeSinceRead(), change);
    if (change == LogGrowth::Change::Grew)
        QCOMPARE(document.readGrowth().status, Status::Loaded);
    QTEST(document.grid().recordCount(), "records");
    if (change == LogGrowth::Change::Grew) {
        // The grid read on is the file read whole.
        LogDocument whole;
        QCOMPARE(whole.open(path).status, Status::Loaded);
        for (int row = 0; row <= whole.grid().recordCount(); ++row)
            for (int col = 0; col < whole.grid().cols(); ++col)
                QCOMPARE(document.grid().cell(col, row), whole.grid().cell(col, row));
        document.rememberGrowth();
        QCOMPARE(document.changeSinceRead(), LogGrowth::Change::None);
    }
}

void TestLogDocument::keptStateComesBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString data = dir.filePath(QStringLiteral("Data.bin"));
    const QString database = dir.filePath(QStringLiteral("Buffer.db"));
    QVERIFY(writeFile(data, dataFile(3)));
    QVERIFY(sql(database, recordDatabase(4, 7).mid(4)));

    LogDocument document;
    QCOMPARE(document.open(data).status, Status::Loaded);
    QCOMPARE(document.selectFormat(Format::Signed32).status, Status::Loaded);
    LogDocument::Kept kept = document.keep();
    QCOMPARE(document.open(database).status, Status::NotCreated);
    QCOMPARE(document.selectBuffer(4).status, Status::Loaded);

    document.restore(kept);
    QCOMPARE(document.path(), data);
    QCOMPARE(document.kind(), Kind::BinaryData);
    QCOMPARE(document.format(), Format::Signed32);
    QCOMPARE(document.buffer(), 1);
    QCOMPARE(document.gridState(), State::Loaded);
    QCOMPARE(document.grid().recordCount(), 3);
    QCOMPARE(document.grid().cell(0, 3), QStringLiteral("3"));
}

namespace {
class StopAtOnce : public WorkProgress
{
public:
    bool keepGoing(qint64) override { return false; }
};
} // namespace

void TestLogDocument::stoppedLoadThrows()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Buffer.db"));
    // Asked after every 256 rows fetched.
    QVERIFY(sql(path, recordDatabase(1, 600).mid(4)));
    LogDocument document;
    StopAtOnce stop;
    document.setProgress(&stop);
    bool stopped = false;
    try {
        document.open(path);
    } catch (const WorkStopped &) {
        stopped = true;
    }
    QVERIFY(stopped);
    document.setProgress(nullptr);
    QCOMPARE(document.selectBuffer(1).status, Status::Loaded);
    QCOMPARE(document.grid().recordCount(), 600);
}

void TestLogDocument::saveAsTarget_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("target");

    QTest::newRow("workbook, no suffix") << "/tmp/out" << 0 << "/tmp/out.xlsx";
    QTest::newRow("csv, no suffix") << "/tmp/out" << 1 << "/tmp/out.csv";
    // A suffix the user typed is kept, whatever the filter.
    QTest::newRow("csv named .txt") << "/tmp/out.txt" << 1 << "/tmp/out.txt";
    QTest::newRow("workbook named .csv") << "/tmp/out.csv" << 0 << "/tmp/out.csv";
    QTest::newRow("dot in the folder") << "/tmp/a.b/out" << 1 << "/tmp/a.b/out.csv";
}

void TestLogDocument::saveAsTarget()
{
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QTEST(SaveAsWriter::targetPath(chosen, SaveAsWriter::kindOfFilter(filter)), "target");
}

void TestLogDocument::saveAsCsv_data()
{
    QTest::addColumn<QString>("target"); // "log": the open file itself
    QTest::addColumn<int>("stopAtRow"); // 0: never
    QTest::addColumn<bool>("written");

    QTest::newRow("new file") << "copy.csv" << 0 << true;
    QTest::newRow("over the open file") << "log" << 0 << false;
    QTest::newRow("folder missing") << "none/copy.csv" << 0 << false;
    QTest::newRow("stopped") << "copy.csv" << 2 << false;
}

void TestLogDocument::saveAsCsv()
{
    QFETCH(QString, target);
    QFETCH(int, stopAtRow);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("Data.bin"));
    QVERIFY(writeFile(log, dataFile(3)));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    const QString path = target == QLatin1String("log") ? log : dir.filePath(target);
    const QMap<QString, QByteArray> before = folderState(dir.path());

    QString failure;
    bool ok = false;
    bool stopped = false;
    try {
        ok = SaveAsWriter::writeCsv(
            document.grid(), path, log,
            [&](int row) {
                if (stopAtRow > 0 && row == stopAtRow)
                    throw WorkStopped();
            },
            failure);
    } catch (const WorkStopped &) {
        stopped = true;
    }
    QCOMPARE(stopped, stopAtRow > 0);
    QCOMPARE(ok, written);
    if (!written) {
        QCOMPARE(failure.isEmpty(), stopped);
        // Nothing new, the open file as it was.
        QCOMPARE(folderState(dir.path()), before);
        return;
    }
    const QByteArray csv = readFile(path);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(csv.count("\r\n"), 4);
    QVERIFY(csv.contains("\r\n3,"));
}

QTEST_GUILESS_MAIN(TestLogDocument)
#include "tst_logdocument.moc"
