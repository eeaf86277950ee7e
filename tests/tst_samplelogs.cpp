// The sample log writer: file layouts, content rules, reproducibility and
// its command line, checked by decoding the files it writes.
#include "curves/CurveSettings.h"
#include "records/LogFileFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray err;
};

Run runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(NORVALE_SAMPLE_TOOL), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardError()};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 le16(const QByteArray &bytes, qsizetype at)
{
    return static_cast<quint16>(static_cast<quint8>(bytes[at])
                                | static_cast<quint8>(bytes[at + 1]) << 8);
}

qint32 le32(const QByteArray &bytes, qsizetype at)
{
    return static_cast<qint32>(le16(bytes, at) | static_cast<quint32>(le16(bytes, at + 2)) << 16);
}

QDateTime recordTime(const QByteArray &bytes, qsizetype record)
{
    const auto at = [&](int offset) { return static_cast<quint8>(bytes[record + offset]); };
    return QDateTime(QDate(le16(bytes, record + 4), at(6), at(7)), QTime(at(8), at(9), at(10)));
}

// Rows of a query as text cells; an empty list for a failing query.
QList<QStringList> query(const QString &path, const char *sql)
{
    QList<QStringList> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QStringList row;
                for (int c = 0; c < sqlite3_column_count(statement); ++c)
                    row << QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
                rows << row;
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

int tableRows(const QString &path, int buffer)
{
    const QByteArray sql = "select count(*) from Buffer" + QByteArray::number(buffer);
    const QList<QStringList> rows = query(path, sql.constData());
    return rows.isEmpty() ? -1 : rows[0][0].toInt();
}

// The alarm texts of a binary alarm file, with their numbers.
QList<QPair<int, QString>> binaryAlarms(const QByteArray &bytes)
{
    QList<QPair<int, QString>> alarms;
    for (qsizetype r = 112; r + 112 <= bytes.size(); r += 112) {
        std::u16string text;
        for (int u = 0; u < 50; ++u) {
            const char16_t unit = le16(bytes, r + 12 + 2 * u);
            if (unit == 0)
                break;
            text += unit;
        }
        alarms.append({static_cast<quint8>(bytes[r + 11]), QString::fromStdU16String(text)});
    }
    return alarms;
}

bool hasHan(const QString &text)
{
    return text.contains(QRegularExpression(QStringLiteral("\\p{Han}")));
}

} // namespace

class TestSampleLogs : public QObject
{
    Q_OBJECT

private slots:
    void binaryFileSize_data();
    void binaryFileSize();
    void dataRecordsCountSeconds_data();
    void dataRecordsCountSeconds();
    void dataWordsLookLikeSignals();
    void alarmBinaryTexts();
    void alarmDatabaseMatchesBinary();
    void bufferCounts_data();
    void bufferCounts();
    void bufferTableColumns();
    void sameSeedSameBytes_data();
    void sameSeedSameBytes();
    void usageErrors_data();
    void usageErrors();
    void writeFailures();
    void overwritesOlderOutput();
    void standardSamples();
    void sampleBuffersMoveOnEveryDefaultCurve_data();
    void sampleBuffersMoveOnEveryDefaultCurve();
    void fuzzSeeds();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestSampleLogs::binaryFileSize_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("headerSize");
    QTest::addColumn<int>("recordSize");
    for (int records : {0, 1, 3, 1000}) {
        QTest::addRow("data %d", records) << u"data-bin"_s << records << 32 << 32;
        QTest::addRow("alarm %d", records) << u"alarm-bin"_s << records << 112 << 112;
    }
}

void TestSampleLogs::binaryFileSize()
{
    QFETCH(QString, kind);
    QFETCH(int, records);
    QFETCH(int, headerSize);
    QFETCH(int, recordSize);
    const QString file = path(u"size.bin"_s);
    QCOMPARE(runTool({kind, file, u"--records"_s, QString::number(records)}).exitCode, 0);
    const QByteArray bytes = readAll(file);
    QCOMPARE(bytes.size(), headerSize + records * recordSize);
    QCOMPARE(bytes.mid(0, 12), QByteArray(12, '\0'));
    QCOMPARE(bytes.mid(LogFileFormat::SignatureOffset, LogFileFormat::SignatureLength),
             QByteArray(LogFileFormat::Signature));
}

void TestSampleLogs::dataRecordsCountSeconds_data()
{
    QTest::addColumn<QString>("firstId");
    QTest::addColumn<int>("records");
    QTest::addRow("default IDs") << QString() << 5;
    QTest::addRow("from 1000") << u"1000"_s << 5;
    QTest::addRow("through -1 and 0") << u"-2"_s << 4;
    // 08:00:00 plus 57600 s is midnight: the date must roll over.
    QTest::addRow("past midnight") << u"1"_s << 57602;
    // The stored ID is 32 bits: past the largest it wraps to negative.
    QTest::addRow("32-bit wrap") << u"2147483647"_s << 2;
}

void TestSampleLogs::dataRecordsCountSeconds()
{
    QFETCH(QString, firstId);
    QFETCH(int, records);
    const QString file = path(u"ids.bin"_s);
    QStringList arguments {u"data-bin"_s, file, u"--records"_s, QString::number(records)};
    if (!firstId.isEmpty())
        arguments << u"--first-id"_s << firstId;
    QCOMPARE(runTool(arguments).exitCode, 0);
    const QByteArray bytes = readAll(file);
    QCOMPARE(bytes.size(), 32 + 32 * records);

    const qint64 first = firstId.isEmpty() ? 1 : firstId.toLongLong();
    const QDateTime start(QDate(2013, 5, 7), QTime(8, 0, 0));
    for (int i = 0; i < records; ++i) {
        const qsizetype record = 32 + 32 * i;
        QCOMPARE(le32(bytes, record), static_cast<qint32>(static_cast<quint32>(first + i)));
        QCOMPARE(recordTime(bytes, record), start.addSecs(i));
        QCOMPARE(bytes[record + 11], '\0');
    }
}

void TestSampleLogs::dataWordsLookLikeSignals()
{
    const QString file = path(u"signals.bin"_s);
    QCOMPARE(runTool({u"data-bin"_s, file, u"--records"_s, u"3000"_s}).exitCode, 0);
    const QByteArray bytes = readAll(file);

    // Words 0 to 4 against the curve window's default full scales.
    const int fullScale[5] = {50000, 40000, 30000, 20000, 10000};
    int low[5] = {65536, 65536, 65536, 65536, 65536};
    int high[5] = {-1, -1, -1, -1, -1};
    QSet<quint16> distinct[10];
    int rampBreaks = 0, negativeWord5 = 0, negativeFlow = 0;
    qint32 totaliser = 65535;
    for (qsizetype r = 32; r < bytes.size(); r += 32) {
        for (int v = 0; v < 10; ++v)
            distinct[v].insert(le16(bytes, r + 12 + 2 * v));
        for (int v = 0; v < 5; ++v) {
            low[v] = std::min<int>(low[v], le16(bytes, r + 12 + 2 * v));
            high[v] = std::max<int>(high[v], le16(bytes, r + 12 + 2 * v));
        }
        if (r > 32 && le16(bytes, r + 12 + 2) != le16(bytes, r - 32 + 12 + 2) + 450) {
            QCOMPARE(le16(bytes, r + 12 + 2), 0); // the ramp starts again
            ++rampBreaks;
        }
        float flow;
        const qint32 flowBits = le32(bytes, r + 12 + 16);
        std::memcpy(&flow, &flowBits, sizeof flow);
        QVERIFY2(flow > -16.0f && flow < 12.0f, qPrintable(QString::number(flow)));
        negativeFlow += flow < 0.0f;
        // A counter past 16 bits: the high word carries, low word first.
        const qint32 count = le32(bytes, r + 12 + 12);
        QVERIFY2(count > totaliser, qPrintable(QString::number(count)));
        totaliser = count;
        negativeWord5 += le16(bytes, r + 12 + 10) >= 0x8000;
    }
    // Each default curve stays on its scale and uses a good part of it.
    for (int v = 0; v < 5; ++v) {
        QVERIFY2(high[v] <= fullScale[v], qPrintable(QString::number(v)));
        QVERIFY2(high[v] - low[v] >= fullScale[v] / 5, qPrintable(QString::number(v)));
    }
    QVERIFY(high[0] - low[0] > 30000); // the slow wave
    QVERIFY(rampBreaks >= 37 && rampBreaks <= 38); // one ramp every 80 records
    QVERIFY(distinct[2].size() > 100); // the noisy level
    QVERIFY(distinct[3].size() > 1 && distinct[3].size() <= 5); // the valve steps
    for (quint16 step : std::as_const(distinct[3]))
        QCOMPARE(step % 4500, 0);
    QCOMPARE(distinct[4], (QSet<quint16> {0, 8000})); // the pump on and off
    // Every other word but the counter's high one moves.
    for (int v : {5, 6, 8, 9})
        QVERIFY2(distinct[v].size() > 1, qPrintable(QString::number(v)));
    QVERIFY(negativeWord5 > 100);
    QVERIFY(negativeFlow > 100);
}

void TestSampleLogs::alarmBinaryTexts()
{
    const QString file = path(u"Alarm.db"_s);
    QCOMPARE(runTool({u"alarm-bin"_s, file, u"--records"_s, u"40"_s}).exitCode, 0);
    const QByteArray bytes = readAll(file);
    const QList<QPair<int, QString>> alarms = binaryAlarms(bytes);
    QCOMPARE(alarms.size(), 40);

    int full = 0, chinese = 0, english = 0, pairs = 0, high = 0;
    QDateTime previous;
    for (int i = 0; i < alarms.size(); ++i) {
        const qsizetype record = 112 + 112 * i;
        QCOMPARE(le32(bytes, record), i + 1);
        const QDateTime time = recordTime(bytes, record);
        QVERIFY(time.isValid());
        QVERIFY(!previous.isValid() || time > previous);
        previous = time;

        const QString &text = alarms[i].second;
        QVERIFY(!text.isEmpty());
        QVERIFY2(text.isValidUtf16(), qPrintable(text));
        // Past the terminator the field stays zero.
        for (qsizetype u = text.size() + 1; u < 50; ++u)
            QCOMPARE(le16(bytes, record + 12 + 2 * u), 0);
        full += text.size() == 50;
        chinese += hasHan(text);
        english += text.contains(QRegularExpression(QStringLiteral("^[A-Za-z]")));
        pairs += text.front().isHighSurrogate();
        high += alarms[i].first >= 200;
    }
    QVERIFY(full >= 2);
    QVERIFY(chinese > 5);
    QVERIFY(english > 5);
    QVERIFY(pairs >= 1);
    QVERIFY(high >= 1);
}

void TestSampleLogs::alarmDatabaseMatchesBinary()
{
    const QString binary = path(u"bin/Alarm.db"_s);
    const QString database = path(u"Alarm.db"_s);
    QVERIFY(QDir(m_dir.path()).mkpath(u"bin"_s));
    const QStringList options {u"--records"_s, u"30"_s,         u"--seed"_s,
                               u"7"_s,         u"--first-id"_s, u"500"_s};
    QCOMPARE(runTool(QStringList {u"alarm-bin"_s, binary} + options).exitCode, 0);
    QCOMPARE(runTool(QStringList {u"alarm-db"_s, database} + options).exitCode, 0);

    const QByteArray bytes = readAll(binary);
    const QList<QPair<int, QString>> alarms = binaryAlarms(bytes);
    const QList<QStringList> rows = query(database, "select ID, N0, N1, N2 from Ldata");
    QCOMPARE(rows.size(), 30);
    QCOMPARE(
        query(database, "select typeof(ID), typeof(N0), typeof(N1), typeof(N2) from Ldata").first(),
        (QStringList {u"integer"_s, u"text"_s, u"text"_s, u"text"_s}));
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i][0], QString::number(500 + i));
        const QDateTime time = recordTime(bytes, 112 + 112 * i);
        QCOMPARE(rows[i][1], time.toString(u"yyyy-MM-dd HH:mm:ss"_s));
        QCOMPARE(rows[i][2], QString::number(alarms[i].first));
        QCOMPARE(rows[i][3], alarms[i].second);
    }
}

void TestSampleLogs::bufferCounts_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<int>>("expected"); // rows of Buffer1..12, -1 for no table
    const QList<int> all100(12, 100);
    QTest::addRow("default") << QStringList() << all100;
    QList<int> listed = all100;
    listed[0] = 250;
    listed[1] = 0;
    listed[4] = 1000;
    QTest::addRow("listed over default")
        << QStringList {u"--buffers"_s, u"1:250,2:0,5:1000"_s} << listed;
    QList<int> sparse(12, 0);
    sparse[2] = 7;
    sparse[11] = -1;
    QTest::addRow("missing table")
        << QStringList {u"--records"_s, u"0"_s, u"--buffers"_s, u"3:7,12:-"_s} << sparse;
    QTest::addRow("none at all")
        << QStringList {u"--buffers"_s, u"1:-,2:-,3:-,4:-,5:-,6:-,7:-,8:-,9:-,10:-,11:-,12:-"_s}
        << QList<int>(12, -1);
}

void TestSampleLogs::bufferCounts()
{
    QFETCH(QStringList, options);
    QFETCH(QList<int>, expected);
    const QString file = path(u"Buffer.db"_s);
    const Run run = runTool(QStringList {u"data-db"_s, file} + options);
    QCOMPARE(run.exitCode, 0);
    for (int b = 1; b <= 12; ++b)
        QCOMPARE(tableRows(file, b), expected[b - 1]);
}

void TestSampleLogs::bufferTableColumns()
{
    const QString file = path(u"columns.db"_s);
    QCOMPARE(runTool({u"data-db"_s, file, u"--records"_s, u"3"_s, u"--first-id"_s, u"-1"_s,
                      u"--buffers"_s, u"2:90000"_s})
                 .exitCode,
             0);
    QStringList names;
    for (const QStringList &column :
         query(file, "select name, type from pragma_table_info('Buffer2')"))
        names << column.join(u' ');
    QStringList expected {u"ID INTEGER"_s, u"N1 TEXT"_s, u"N2 TEXT"_s};
    for (int n = 3; n <= 12; ++n)
        expected << u"N%1 INTEGER"_s.arg(n);
    QCOMPARE(names, expected);

    const QList<QStringList> rows = query(file, "select * from Buffer2");
    QCOMPARE(rows.size(), 90000);
    // Buffer 2 logs every 2 seconds; 90000 records cross two midnights.
    const QDateTime start(QDate(2013, 5, 7), QTime(8, 0, 0));
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i][0], QString::number(i - 1));
        const QDateTime time = start.addSecs(2LL * i);
        QCOMPARE(rows[i][1], time.toString(u"yyyy-MM-dd"_s));
        QCOMPARE(rows[i][2], time.toString(u"HH:mm:ss"_s));
        for (int v = 3; v <= 12; ++v) {
            bool ok = false;
            const int word = rows[i][v].toInt(&ok);
            QVERIFY(ok && word >= 0 && word <= 65535);
        }
    }
}

void TestSampleLogs::sameSeedSameBytes_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"data-bin", "alarm-bin", "alarm-db", "data-db"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestSampleLogs::sameSeedSameBytes()
{
    QFETCH(QString, kind);
    const auto make = [&](const QString &name, const QString &seed) {
        const QString file = path(name);
        const Run run = runTool({kind, file, u"--records"_s, u"300"_s, u"--seed"_s, seed});
        return run.exitCode == 0 ? readAll(file) : QByteArray();
    };
    const QByteArray first = make(u"a"_s, u"42"_s);
    QVERIFY(!first.isEmpty());
    QCOMPARE(make(u"b"_s, u"42"_s), first);
    QVERIFY(make(u"c"_s, u"43"_s) != first);
}

void TestSampleLogs::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString f = path(u"never-written"_s);
    QTest::addRow("nothing") << QStringList();
    QTest::addRow("unknown kind") << QStringList {u"data-csv"_s, f};
    QTest::addRow("no file") << QStringList {u"data-bin"_s};
    QTest::addRow("no dir") << QStringList {u"samples"_s};
    QTest::addRow("two files") << QStringList {u"data-bin"_s, f, f};
    QTest::addRow("unknown option") << QStringList {u"data-bin"_s, f, u"--rows"_s, u"5"_s};
    QTest::addRow("missing value") << QStringList {u"data-bin"_s, f, u"--records"_s};
    QTest::addRow("negative count") << QStringList {u"data-bin"_s, f, u"--records"_s, u"-1"_s};
    QTest::addRow("count not a number") << QStringList {u"alarm-db"_s, f, u"--records"_s, u"1e3"_s};
    QTest::addRow("seed not a number") << QStringList {u"alarm-bin"_s, f, u"--seed"_s, u"x"_s};
    QTest::addRow("buffers for binary") << QStringList {u"data-bin"_s, f, u"--buffers"_s, u"1:5"_s};
    QTest::addRow("buffer 0") << QStringList {u"data-db"_s, f, u"--buffers"_s, u"0:5"_s};
    QTest::addRow("buffer 13") << QStringList {u"data-db"_s, f, u"--buffers"_s, u"13:5"_s};
    QTest::addRow("buffer twice") << QStringList {u"data-db"_s, f, u"--buffers"_s, u"1:5,1:6"_s};
    QTest::addRow("buffer without count") << QStringList {u"data-db"_s, f, u"--buffers"_s, u"1"_s};
    QTest::addRow("empty buffer item") << QStringList {u"data-db"_s, f, u"--buffers"_s, u"1:5,"_s};
    QTest::addRow("samples with option") << QStringList {u"samples"_s, f, u"--records"_s, u"5"_s};
    QTest::addRow("seeds with option") << QStringList {u"seeds"_s, f, u"--seed"_s, u"5"_s};
    QTest::addRow("seeds without dir") << QStringList {u"seeds"_s};
}

void TestSampleLogs::usageErrors()
{
    QFETCH(QStringList, arguments);
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("usage:"), run.err.constData());
    QVERIFY(!QFile::exists(path(u"never-written"_s)));
}

void TestSampleLogs::writeFailures()
{
    const QString missingDir = path(u"no/such/dir/Data.bin"_s);
    for (const char *kind : {"data-bin", "alarm-bin", "alarm-db", "data-db"}) {
        const Run run = runTool({QString::fromLatin1(kind), missingDir});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.isEmpty());
    }
    // A folder in the file's place stays a folder, and no temporary is left.
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder"_s));
    QCOMPARE(runTool({u"data-db"_s, path(u"folder"_s)}).exitCode, 1);
    QCOMPARE(runTool({u"data-bin"_s, path(u"folder"_s)}).exitCode, 1);
    QVERIFY(QFileInfo(path(u"folder"_s)).isDir());
    QVERIFY(!QFile::exists(path(u"folder.part"_s)));
}

void TestSampleLogs::overwritesOlderOutput()
{
    // A database left from a larger run must not keep its old rows.
    const QString db = path(u"again.db"_s);
    QCOMPARE(runTool({u"alarm-db"_s, db, u"--records"_s, u"50"_s}).exitCode, 0);
    QCOMPARE(runTool({u"alarm-db"_s, db, u"--records"_s, u"5"_s}).exitCode, 0);
    QCOMPARE(query(db, "select count(*) from Ldata").value(0).value(0), u"5"_s);

    const QString bin = path(u"again.bin"_s);
    QCOMPARE(runTool({u"data-bin"_s, bin, u"--records"_s, u"50"_s}).exitCode, 0);
    QCOMPARE(runTool({u"data-bin"_s, bin, u"--records"_s, u"5"_s}).exitCode, 0);
    QCOMPARE(QFileInfo(bin).size(), 32 + 5 * 32);
}

void TestSampleLogs::standardSamples()
{
    const QString dir = path(u"samples"_s);
    QCOMPARE(runTool({u"samples"_s, dir}).exitCode, 0);
    const QString buffers = dir + u"/Buffer.db"_s;
    QCOMPARE(tableRows(buffers, 1), 1000);
    QCOMPARE(tableRows(buffers, 2), 0);
    QCOMPARE(tableRows(buffers, 12), -1);
    QCOMPARE(query(dir + u"/Alarm.db"_s, "select count(*) from Ldata").value(0).value(0), u"200"_s);
    QCOMPARE(QFileInfo(dir + u"/binary/Alarm.db"_s).size(), 112 + 150 * 112);
    QCOMPARE(QFileInfo(dir + u"/Data.bin"_s).size(), 32 + 2000 * 32);
}

void TestSampleLogs::sampleBuffersMoveOnEveryDefaultCurve_data()
{
    QTest::addColumn<int>("buffer");
    // Buffer2 is empty, Buffer8 holds one record and Buffer12 is missing.
    for (int buffer : {1, 3, 4, 5, 6, 7, 9, 10, 11})
        QTest::addRow("Buffer%d", buffer) << buffer;
}

void TestSampleLogs::sampleBuffersMoveOnEveryDefaultCurve()
{
    QFETCH(int, buffer);
    const QString dir = path(u"moving"_s);
    if (!QFileInfo::exists(dir + u"/Buffer.db"_s))
        QCOMPARE(runTool({u"samples"_s, dir}).exitCode, 0);
    const CurveSettings defaults;
    QString columns;
    for (const CurveSpec &curve : defaults.curves)
        columns += (columns.isEmpty() ? u"N"_s : u", N"_s) + QString::number(curve.bufferPos + 3);
    const QByteArray sql = u"select %1 from Buffer%2"_s.arg(columns).arg(buffer).toUtf8();
    const QList<QStringList> rows = query(dir + u"/Buffer.db"_s, sql.constData());
    QVERIFY(rows.size() >= 10);
    for (qsizetype k = 0; k < qsizetype(defaults.curves.size()); ++k) {
        const CurveSpec &curve = defaults.curves[size_t(k)];
        QSet<int> values;
        for (const QStringList &row : rows) {
            const int value = row.value(k).toInt();
            QVERIFY2(value >= curve.zero && value <= curve.full,
                     qPrintable(u"curve %1: %2"_s.arg(k + 1).arg(value)));
            values.insert(value);
        }
        // Each default curve moves, not a flat line.
        QVERIFY2(values.size() > 1, qPrintable(u"curve %1 is flat"_s.arg(k + 1)));
    }
}

void TestSampleLogs::fuzzSeeds()
{
    const QString dir = path(u"seeds"_s);
    QCOMPARE(runTool({u"seeds"_s, dir}).exitCode, 0);
    // A header and a few records each.
    const QByteArray data = readAll(dir + u"/binlog/data.bin"_s);
    QCOMPARE(data.size(), 32 + 3 * 32);
    QCOMPARE(data.mid(12, 20), QByteArray("SQL:www.norvale.tech"));
    QCOMPARE(QFileInfo(dir + u"/binlog/alarm.bin"_s).size(), 112 + 2 * 112);
    // Databases of 512-byte pages, a page or so a table.
    for (const QString &name : {u"database/alarm.db"_s, u"database/data.db"_s}) {
        const QString file = dir + u'/' + name;
        QCOMPARE(query(file, "pragma page_size").value(0).value(0), u"512"_s);
        QVERIFY2(QFileInfo(file).size() <= 4 * 512, qPrintable(name));
    }
    QCOMPARE(query(dir + u"/database/alarm.db"_s, "select count(*) from Ldata").value(0).value(0),
             u"3"_s);
    QCOMPARE(tableRows(dir + u"/database/data.db"_s, 1), 4);
    QCOMPARE(tableRows(dir + u"/database/data.db"_s, 12), 2);
    QCOMPARE(tableRows(dir + u"/database/data.db"_s, 2), -1);
}

QTEST_GUILESS_MAIN(TestSampleLogs)
#include "tst_samplelogs.moc"
