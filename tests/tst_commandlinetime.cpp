// --from and --until for the --to kinds, and --to alarm-stats, through the
// real program on real files.
#include "support/LogFiles.h"
#include "support/PdfFile.h"
#include "support/ProgramRun.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

const QByteArray DataTitles = "Data ID,Record Date,Record Time,Data(0),Data(1),Data(2),Data(3),"
                              "Data(4),Data(5),Data(6),Data(7),Data(8),Data(9)\r\n";

QByteArray dataLine(int id, const char *date, const char *time)
{
    return QByteArray::number(id) + ',' + date + ',' + time + ',' + QByteArray::number(id)
        + ",0,0,0,0,0,0,0,0,0\r\n";
}

} // namespace

class TestCommandLineTime : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void timeRange_data();
    void timeRange();
    void alarmStatistics_data();
    void alarmStatistics();
    void usageErrors_data();
    void usageErrors();
    void alarmStatisticsToFile();
    void alarmTicksOnPictures();
    void alarmTicksRefused_data();
    void alarmTicksRefused();

private:
    Run run(const QStringList &arguments);
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
};

void TestCommandLineTime::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_home.isValid());
    // A panel clock set back after ID 3; ID 5's date cannot be read.
    QVERIFY(sql(path(u"records.db"_s),
                createBuffer(1) + insertBuffer(1, 1, "2013-05-07", "08:00:00", {"1"})
                    + insertBuffer(1, 2, "2013-05-07", "08:05:00", {"2"})
                    + insertBuffer(1, 3, "2013-05-07", "08:10:00", {"3"})
                    + insertBuffer(1, 4, "2013-05-07", "08:02:00", {"4"})
                    + insertBuffer(1, 5, "n/a", "08:03:00", {"5"})
                    + insertBuffer(1, 6, "2013-5-7", "8:15", {"6"})));
    // Alarms 7 and 9 chatter: three of 7 within ten minutes.
    QList<AlarmRecord> alarms;
    const struct
    {
        quint8 hour, minute, second, number;
        const char16_t *text;
    } rows[] = {{8, 1, 10, 7, u"Pump, stage 2"}, {8, 3, 0, 9, u"Door open"},
                {8, 4, 0, 7, u"Pump, stage 2"},  {8, 9, 59, 7, u"Pump, stage 2"},
                {9, 0, 0, 9, u"Door open"},      {9, 30, 0, 7, u"Pump, stage 2"}};
    int id = 0;
    for (const auto &r : rows) {
        AlarmRecord a;
        a.id = ++id;
        a.hour = r.hour;
        a.minute = r.minute;
        a.second = r.second;
        a.number = r.number;
        a.text = r.text;
        alarms << a;
    }
    QVERIFY(QDir().mkpath(path(u"binary"_s)));
    QVERIFY(writeFile(path(u"binary/Alarm.db"_s), alarmFile(alarms)));
    QByteArray s = "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 INTEGER, N2 TEXT);";
    id = 0;
    for (const auto &r : rows)
        s += QByteArray("INSERT INTO Ldata VALUES (") + QByteArray::number(++id) + ", '"
            + QString::asprintf("2013-05-07 %02d:%02d:%02d", r.hour, r.minute, r.second).toLatin1()
            + "', " + QByteArray::number(r.number) + ", '" + QString::fromUtf16(r.text).toUtf8()
            + "');";
    QVERIFY(sql(path(u"Alarm.db"_s), s));
}

Run TestCommandLineTime::run(const QStringList &arguments)
{
    return runProcess(QStringLiteral(NORVALE_PROGRAM), arguments,
                      headlessEnvironment(m_home.path()));
}

void TestCommandLineTime::timeRange_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("out");

    QTest::newRow("no range: every record") << QStringList {}
                                            << DataTitles + dataLine(1, "2013-05-07", "08:00:00")
            + dataLine(2, "2013-05-07", "08:05:00") + dataLine(3, "2013-05-07", "08:10:00")
            + dataLine(4, "2013-05-07", "08:02:00") + dataLine(5, "n/a", "08:03:00")
            + dataLine(6, "2013-5-7", "8:15");
    QTest::newRow("bounds included, by time not by row")
        << QStringList {u"--from"_s, u"2013-05-07 08:02:00"_s, u"--until"_s,
                        u"2013-05-07 08:10:00"_s}
        << DataTitles + dataLine(2, "2013-05-07", "08:05:00")
            + dataLine(3, "2013-05-07", "08:10:00") + dataLine(4, "2013-05-07", "08:02:00");
    QTest::newRow("--from alone") << QStringList {u"--from"_s, u"2013-05-07 08:10"_s}
                                  << DataTitles + dataLine(3, "2013-05-07", "08:10:00")
            + dataLine(6, "2013-5-7", "8:15");
    QTest::newRow("--until alone, its whole minute")
        << QStringList {u"--until"_s, u"2013-05-07 08:02"_s}
        << DataTitles + dataLine(1, "2013-05-07", "08:00:00")
            + dataLine(4, "2013-05-07", "08:02:00");
    QTest::newRow("a date: the whole day, not the row without a time")
        << QStringList {u"--from"_s, u"2013/05/07"_s, u"--until"_s, u"2013.5.7"_s}
        << DataTitles + dataLine(1, "2013-05-07", "08:00:00")
            + dataLine(2, "2013-05-07", "08:05:00") + dataLine(3, "2013-05-07", "08:10:00")
            + dataLine(4, "2013-05-07", "08:02:00") + dataLine(6, "2013-5-7", "8:15");
    QTest::newRow("an empty range: the title row")
        << QStringList {u"--from"_s, u"2013-05-08"_s} << DataTitles;
}

void TestCommandLineTime::timeRange()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, out);
    const Run r = run(QStringList {u"--to"_s, u"csv"_s, path(u"records.db"_s), u"--lang"_s, u"en"_s}
                      + options);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, out);
}

void TestCommandLineTime::alarmStatistics_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("out");

    const QByteArray title = "number,text,count,first,last,max_in_10_min\r\n";
    const QByteArray all = title
        + "7,\"Pump, stage 2\",4,2013-05-07 08:01:10,2013-05-07 09:30:00,3\r\n"
          "9,Door open,2,2013-05-07 08:03:00,2013-05-07 09:00:00,1\r\n";
    const QByteArray morning = title
        + "7,\"Pump, stage 2\",2,2013-05-07 08:04:00,2013-05-07 08:09:59,2\r\n"
          "9,Door open,1,2013-05-07 08:03:00,2013-05-07 08:03:00,1\r\n";
    const QByteArray late = title
        + "7,\"Pump, stage 2\",1,2013-05-07 09:30:00,2013-05-07 09:30:00,1\r\n"
          "9,Door open,1,2013-05-07 09:00:00,2013-05-07 09:00:00,1\r\n";
    for (const QString &file : {u"Alarm.db"_s, u"binary/Alarm.db"_s}) {
        const QByteArray kind = file.startsWith(u"binary") ? "binary" : "database";
        QTest::addRow("%s: every alarm", kind.constData()) << file << QStringList {} << all;
        QTest::addRow("%s: bounds included", kind.constData())
            << file
            << QStringList {u"--from"_s, u"2013-05-07 08:03:00"_s, u"--until"_s,
                            u"2013-05-07 08:09:59"_s}
            << morning;
        QTest::addRow("%s: --from alone; equal counts by number", kind.constData())
            << file << QStringList {u"--from"_s, u"2013-05-07 08:10"_s} << late;
        QTest::addRow("%s: before the first alarm", kind.constData())
            << file << QStringList {u"--until"_s, u"2013-05-07 08:01:09"_s} << title;
        QTest::addRow("%s: after the last alarm", kind.constData())
            << file << QStringList {u"--from"_s, u"2013-05-07 09:30:01"_s} << title;
    }
}

void TestCommandLineTime::alarmStatistics()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, out);
    const Run r = run(QStringList {u"--to"_s, u"alarm-stats"_s, path(file)} + options);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, out);
}

void TestCommandLineTime::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err"); // the first line

    QTest::newRow("not a time")
        << QStringList {u"--to"_s, u"csv"_s, u"records.db"_s, u"--from"_s, u"noon"_s} << 2
        << QByteArray("norvale: --from: expected a time as 2013-05-07 08:10:00 or a date");
    QTest::newRow("no such day")
        << QStringList {u"--to"_s, u"csv"_s, u"records.db"_s, u"--until"_s, u"2013-02-30"_s} << 2
        << QByteArray("norvale: --until: expected a time as 2013-05-07 08:10:00 or a date");
    QTest::newRow("given twice") << QStringList {u"--to"_s,      u"csv"_s,        u"records.db"_s,
                                                 u"--from"_s,    u"2013-05-07"_s, u"--from"_s,
                                                 u"2013-05-08"_s}
                                 << 2 << QByteArray("norvale: --from: given more than once");
    QTest::newRow("without --to") << QStringList {u"records.db"_s, u"--until"_s, u"2013-05-07"_s}
                                  << 2 << QByteArray("norvale: --from and --until need --to");
    QTest::newRow("alarm-stats of a data record file")
        << QStringList {u"--to"_s, u"alarm-stats"_s, u"records.db"_s} << 2
        << QByteArray("norvale: --to alarm-stats: not an alarm file: records.db");
    QTest::newRow("alarm-stats takes no encoding")
        << QStringList {u"--to"_s, u"alarm-stats"_s, u"Alarm.db"_s, u"--encoding"_s, u"gb18030"_s}
        << 2 << QByteArray("norvale: --encoding needs --to csv");
}

void TestCommandLineTime::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, err);
    for (QString &a : arguments)
        if (a.endsWith(u".db"_s))
            a = path(a);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err.split('\n').first().replace(m_dir.path().toUtf8() + '/', ""), err);
}

void TestCommandLineTime::alarmStatisticsToFile()
{
    // Through the safe output: an existing OUT is replaced whole, and a run
    // that writes nothing leaves it as it was.
    const QString out = path(u"stats.csv"_s);
    QVERIFY(writeFile(out, "old"));
    Run r = run({u"--to"_s, u"alarm-stats"_s, path(u"records.db"_s), u"-o"_s, out});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(readFile(out), QByteArray("old"));
    r = run({u"--to"_s, u"alarm-stats"_s, path(u"Alarm.db"_s), u"-o"_s, out, u"--until"_s,
             u"2013-05-07 08:03"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readFile(out),
             QByteArray("number,text,count,first,last,max_in_10_min\r\n"
                        "7,\"Pump, stage 2\",1,2013-05-07 08:01:10,"
                        "2013-05-07 08:01:10,1\r\n"
                        "9,Door open,1,2013-05-07 08:03:00,2013-05-07 08:03:00,1\r\n"));
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, (QStringList {u"Alarm.db"_s, u"records.db"_s, u"stats.csv"_s}));
}

// The columns where two pictures of one size differ; each must be one line
// of one colour from the top of the picture down.
QList<int> tickColumns(const QImage &plain, const QImage &ticked)
{
    QList<int> columns;
    for (int x = 0; x < plain.width(); ++x) {
        int changed = 0;
        for (int y = 0; y < plain.height(); ++y) {
            if (plain.pixel(x, y) == ticked.pixel(x, y))
                continue;
            if (ticked.pixel(x, y) != ticked.pixel(x, 0) || changed != y)
                return {-1};
            ++changed;
        }
        if (changed > 0)
            columns << x;
    }
    return columns;
}

void TestCommandLineTime::alarmTicksOnPictures()
{
    const QString samples = path(u"samples"_s);
    QVERIFY(makeSample({u"samples"_s, samples}));
    const QString data = samples + u"/Data.bin"_s;
    const QString alarms = samples + u"/Alarm.db"_s;
    // The same records with no alarm file beside them.
    QVERIFY(QDir().mkpath(path(u"alone"_s)));
    QVERIFY(QFile::copy(data, path(u"alone/Data.bin"_s)));

    const QString plain = path(u"plain.png"_s);
    const QString alone = path(u"alone.png"_s);
    const QString ticked = path(u"ticked.png"_s);
    QCOMPARE(run({u"--to"_s, u"png"_s, data, u"-o"_s, plain}).exitCode, 0);
    QCOMPARE(run({u"--to"_s, u"png"_s, path(u"alone/Data.bin"_s), u"-o"_s, alone}).exitCode, 0);
    // Without --alarms the alarm file beside changes nothing.
    QCOMPARE(readFile(plain), readFile(alone));
    const Run r = run({u"--to"_s, u"png"_s, data, u"-o"_s, ticked, u"--alarms"_s, alarms});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    const QImage plainImage = QImage(plain).convertToFormat(QImage::Format_RGB32);
    const QImage tickedImage = QImage(ticked).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(tickedImage.size(), plainImage.size());
    // The first screen runs from 08:00:00 a record a second: the alarm of
    // 08:01:10 stands on the record of ID 71, 70 points of 10 pixels in.
    const QList<int> columns = tickColumns(plainImage, tickedImage);
    QCOMPARE(columns.size(), 1);
    // From 08:01:00 on it stands 60 points, 600 pixels, further left.
    const QString later = path(u"later.png"_s);
    const QString laterTicked = path(u"later-ticked.png"_s);
    QCOMPARE(run({u"--to"_s, u"png"_s, data, u"-o"_s, later, u"--from"_s, u"2013-05-07 08:01"_s})
                 .exitCode,
             0);
    QCOMPARE(run({u"--to"_s, u"png"_s, data, u"-o"_s, laterTicked, u"--from"_s,
                  u"2013-05-07 08:01"_s, u"--alarms"_s, alarms})
                 .exitCode,
             0);
    const QList<int> laterColumns
        = tickColumns(QImage(later).convertToFormat(QImage::Format_RGB32),
                      QImage(laterTicked).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(laterColumns, QList<int> {columns.front() - 600});

    // Printed pages carry them too; without the option they print as before.
    const QString pages = path(u"pages.pdf"_s);
    const QString tickedPages = path(u"ticked.pdf"_s);
    QCOMPARE(run({u"--to"_s, u"pdf"_s, data, u"-o"_s, pages, u"--end"_s, u"20"_s}).exitCode, 0);
    QCOMPARE(run({u"--to"_s, u"pdf"_s, data, u"-o"_s, tickedPages, u"--end"_s, u"20"_s,
                  u"--alarms"_s, alarms})
                 .exitCode,
             0);
    if (!pdffile::canRender())
        QSKIP("no Ghostscript to render the pages");
    const QImage page = pdffile::renderFirstPage(path(u"pages-1.pdf"_s), 72);
    const QImage tickedPage = pdffile::renderFirstPage(path(u"ticked-1.pdf"_s), 72);
    QVERIFY(!page.isNull());
    QCOMPARE(tickedPage.size(), page.size());
    QVERIFY(tickedPage != page);
}

void TestCommandLineTime::alarmTicksRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("alarmFile"); // a name in the samples folder
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("for a csv") << u"csv"_s << u"Alarm.db"_s << u"out.csv"_s << 2
                               << QByteArray("norvale: --alarms needs --to png or --to pdf");
    QTest::newRow("for stats") << u"stats"_s << u"Alarm.db"_s << u"out.csv"_s << 2
                               << QByteArray("norvale: --alarms needs --to png or --to pdf");
    QTest::newRow("OUT is the alarm file") << u"png"_s << u"Alarm.db"_s << u"Alarm.db"_s << 2
                                           << QByteArray("norvale: -o: OUT is the alarm file");
    QTest::newRow("missing") << u"png"_s << u"none.db"_s << u"out.png"_s << 1
                             << QByteArray("norvale: cannot open ");
    QTest::newRow("not an alarm file, png") << u"png"_s << u"Buffer.db"_s << u"out.png"_s << 1
                                            << QByteArray("norvale: --alarms: not an alarm file: ");
    QTest::newRow("not an alarm file, pdf") << u"pdf"_s << u"Data.bin"_s << u"out.pdf"_s << 1
                                            << QByteArray("norvale: --alarms: not an alarm file: ");
}

void TestCommandLineTime::alarmTicksRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, alarmFile);
    QFETCH(QString, out);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, error);
    const QString samples = path(u"refused"_s);
    if (!QFileInfo::exists(samples + u"/Data.bin"_s))
        QVERIFY(makeSample({u"samples"_s, samples}));
    const auto before = folderState(samples);
    const Run r = run({u"--to"_s, kind, samples + u"/Data.bin"_s, u"-o"_s, samples + u'/' + out,
                       u"--alarms"_s, samples + u'/' + alarmFile});
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.startsWith(error), r.err.constData());
    // Nothing written, nothing changed.
    QCOMPARE(folderState(samples), before);
}

QTEST_GUILESS_MAIN(TestCommandLineTime)
#include "tst_commandlinetime.moc"
