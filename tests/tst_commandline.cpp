#include "platform/MemoryBudget.h"
#include "records/GridSizeGuard.h"
#include "support/LogFiles.h"
#include "support/PdfFile.h"
#include "support/ProgramRun.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <sys/resource.h>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// The 13 titles of the 16-bit data record layout as one CSV line.
QByteArray dataTitleLine(bool chinese)
{
    QByteArray line = chinese ? "数据ID,记录日期,记录时间" : "Data ID,Record Date,Record Time";
    for (int i = 0; i < 10; ++i)
        line += (chinese ? ",数据(" : ",Data(") + QByteArray::number(i) + ')';
    return line + "\r\n";
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void usageErrors_data();
    void usageErrors();
    void csvOutput_data();
    void csvOutput();
    void csvToFile();
    void listNotAvailable_data();
    void listNotAvailable();
    void pdfPages_data();
    void pdfPages();
    void pdfNoData();
    void pdfUsageErrors_data();
    void pdfUsageErrors();
    void pdfUnwritable();
    void pngScale_data();
    void pngScale();
    void binaryFileTooLarge_data();
    void binaryFileTooLarge();
    void failedLoadLeavesOut_data();
    void failedLoadLeavesOut();
    void stdoutFailureNamesItsCause_data();
    void stdoutFailureNamesItsCause();

private:
    Run run(const QStringList &arguments);
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString makeFile(const QString &name, const QString &make);

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_home.isValid());
}

Run TestCommandLine::run(const QStringList &arguments)
{
    return runProcess(QStringLiteral(NORVALE_PROGRAM), arguments,
                      headlessEnvironment(m_home.path()));
}

QString TestCommandLine::makeFile(const QString &name, const QString &make)
{
    const QString file = path(name);
    QFile::remove(file);
    bool made = false;
    if (make == u"text") {
        made = writeFile(file, QByteArray(100, 'T'));
    } else if (make == u"data2") {
        DataRecord a;
        a.id = 1;
        a.words = {0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 0x8000, 0x0001, 7, 65535};
        DataRecord b;
        b.id = -1;
        b.year = 2005;
        b.month = 5;
        b.day = 7;
        b.hour = 8;
        b.minute = 4;
        b.second = 59;
        b.words[0] = 0x1234;
        made = writeFile(file, dataFile({a, b}, "partial"));
    } else if (make == u"alarms-quoted") {
        made = sql(file,
                   "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);"
                   "INSERT INTO Ldata VALUES (1, '2013-05-07 08:04:59', '3', "
                   "'Pump, stage 2 \"hot\"');"
                   "INSERT INTO Ldata VALUES (2, 't', '4', 'line one' || char(13, 10) || "
                   "'line two');"
                   "INSERT INTO Ldata VALUES (NULL, NULL, NULL, '电机过热');");
    } else if (make == u"records") {
        made = sql(file,
                   createBuffer(1)
                       + insertBuffer(1, 1, "2013-05-07", "08:04:59", {"0", "16320", "-1", "1"})
                       + insertBuffer(1, 2, "d,2", "t\"2", {"65535", "65535"}) + createBuffer(2));
    } else if (make == u"records-empty1") {
        made = sql(file, createBuffer(1) + createBuffer(2) + insertBuffer(2, 1, "d", "t", {}));
    } else if (make == u"binary-alarms") {
        AlarmRecord a;
        a.number = 200;
        a.text = u"T=\U0001F525, ok";
        made = writeFile(file, alarmFile({a}));
    }
    if (!made)
        qWarning("could not make %s", qPrintable(file));
    return file;
}

void TestCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error"); // the first line of stderr starts with it
    const QString f = u"any.db"_s;
    QTest::newRow("--to without value") << QStringList {u"--to"_s} << QByteArray("norvale: --to");
    QTest::newRow("--to csv without FILE")
        << QStringList {u"--to"_s, u"csv"_s} << QByteArray("norvale: --to");
    QTest::newRow("unknown output")
        << QStringList {u"--to"_s, u"bmp"_s, f} << QByteArray("norvale: --to");
    QTest::newRow("xlsx without OUT")
        << QStringList {u"--to"_s, u"xlsx"_s, f} << QByteArray("norvale: --to");
    QTest::newRow("buffer 0") << QStringList {u"--to"_s, u"csv"_s, f, u"--buffer"_s, u"0"_s}
                              << QByteArray("norvale: --buffer");
    QTest::newRow("buffer 13") << QStringList {u"--to"_s, u"csv"_s, f, u"--buffer"_s, u"13"_s}
                               << QByteArray("norvale: --buffer");
    QTest::newRow("buffer text") << QStringList {u"--to"_s, u"csv"_s, f, u"--buffer"_s, u"two"_s}
                                 << QByteArray("norvale: --buffer");
    QTest::newRow("buffer without value")
        << QStringList {u"--to"_s, u"csv"_s, f, u"--buffer"_s} << QByteArray("norvale: --buffer");
    QTest::newRow("format 5") << QStringList {u"--to"_s, u"csv"_s, f, u"--format"_s, u"5"_s}
                              << QByteArray("norvale: --format");
    QTest::newRow("format -1") << QStringList {u"--to"_s, u"csv"_s, f, u"--format"_s, u"-1"_s}
                               << QByteArray("norvale: --format");
    QTest::newRow("lang fr") << QStringList {u"--to"_s, u"csv"_s, f, u"--lang"_s, u"fr"_s}
                             << QByteArray("norvale: --lang");
    QTest::newRow("unknown option")
        << QStringList {u"--to"_s, u"csv"_s, f, u"--fast"_s} << QByteArray("norvale: ");
    QTest::newRow("two files") << QStringList {u"--to"_s, u"csv"_s, f, u"other.db"_s}
                               << QByteArray("norvale: ");
    QTest::newRow("-o without --to")
        << QStringList {u"-o"_s, u"out.csv"_s, f} << QByteArray("norvale: ");
    QTest::newRow("-o - for other than csv")
        << QStringList {u"--to"_s, u"png"_s, f, u"-o"_s, u"-"_s} << QByteArray("norvale: -o");
    QTest::newRow("--format without --to")
        << QStringList {u"--format"_s, u"1"_s, f} << QByteArray("norvale: ");
    QTest::newRow("scale 0") << QStringList {u"--to"_s,  u"png"_s,     f,     u"-o"_s,
                                             u"o.png"_s, u"--scale"_s, u"0"_s}
                             << QByteArray("norvale: --scale");
    QTest::newRow("scale 5") << QStringList {u"--to"_s,  u"png"_s,     f,     u"-o"_s,
                                             u"o.png"_s, u"--scale"_s, u"5"_s}
                             << QByteArray("norvale: --scale");
    QTest::newRow("scale for a csv") << QStringList {u"--to"_s, u"csv"_s, f, u"--scale"_s, u"2"_s}
                                     << QByteArray("norvale: --scale");
    QTest::newRow("scale without --to")
        << QStringList {u"--scale"_s, u"2"_s, f} << QByteArray("norvale: --scale");
    // An option given twice: neither value is taken.
    const QStringList csv {u"--to"_s, u"csv"_s, f};
    const struct
    {
        const char *option;
        QStringList run;
        QString first;
        QString second;
    } twice[] = {
        {"--to", {f, u"-o"_s, u"o.png"_s}, u"csv"_s, u"png"_s},
        {"-o", csv, u"a.csv"_s, u"b.csv"_s},
        {"--buffer", csv, u"1"_s, u"2"_s},
        {"--format", csv, u"1"_s, u"1"_s},
        {"--lang", csv, u"zh"_s, u"en"_s},
        {"--start", {u"--to"_s, u"pdf"_s, f, u"-o"_s, u"o.pdf"_s}, u"1"_s, u"5"_s},
        {"--end", {u"--to"_s, u"pdf"_s, f, u"-o"_s, u"o.pdf"_s}, u"9"_s, u"5"_s},
        {"--scale", {u"--to"_s, u"png"_s, f, u"-o"_s, u"o.png"_s}, u"2"_s, u"3"_s},
        {"--encoding", csv, u"utf-8"_s, u"gb18030"_s},
    };
    for (const auto &t : twice) {
        const QString option = QString::fromLatin1(t.option);
        QTest::addRow("%s twice", t.option)
            << t.run + QStringList {option, t.first, option, t.second}
            << "norvale: " + option.toLatin1() + ": given more than once\n";
    }
    QTest::newRow("--help twice") << QStringList {u"--help"_s, u"--help"_s}
                                  << QByteArray("norvale: --help: given more than once\n");
}

void TestCommandLine::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith(error), r.err.constData());
    QVERIFY2(r.err.contains("usage: norvale"), r.err.constData());
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"out.csv"_s)));
}

void TestCommandLine::csvOutput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QByteArray data2zh = dataTitleLine(true)
        + "1,2013-05-07,08:04:59,0,16320,65535,65535,0,32768,32768,1,7,65535\r\n"
          "-1,2005-05-07,08:04:59,4660,0,0,0,0,0,0,0,0,0\r\n";
    QTest::newRow("binary data file")
        << u"data.bin"_s << u"data2"_s << QStringList {} << 0 << data2zh << QByteArray();
    QTest::newRow("binary data file, -o - for stdout")
        << u"data.bin"_s << u"data2"_s << QStringList {u"-o"_s, u"-"_s} << 0 << data2zh
        << QByteArray();
    QTest::newRow("binary data file, English")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--lang"_s, u"en"_s} << 0
        << dataTitleLine(false)
            + "1,2013-05-07,08:04:59,0,16320,65535,65535,0,32768,32768,1,7,65535\r\n"
              "-1,2005-05-07,08:04:59,4660,0,0,0,0,0,0,0,0,0\r\n"
        << QByteArray();
    QTest::newRow("binary data file, format 3")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--format"_s, u"3"_s} << 0
        << QByteArray("数据ID,记录日期,记录时间,数据(0),数据(2),数据(4),数据(6),数据(8)\r\n"
                      "1,2013-05-07,08:04:59,3FC00000,FFFFFFFF,80000000,00018000,FFFF0007\r\n"
                      "-1,2005-05-07,08:04:59,00001234,00000000,00000000,00000000,00000000\r\n")
        << QByteArray();
    QTest::newRow("binary data file, format 1, English")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--format"_s, u"1"_s, u"--lang"_s, u"en"_s}
        << 0
        << dataTitleLine(false)
            + "1,2013-05-07,08:04:59,0,16320,-1,-1,0,-32768,-32768,1,7,-1\r\n"
              "-1,2005-05-07,08:04:59,4660,0,0,0,0,0,0,0,0,0\r\n"
        << QByteArray();
    QTest::newRow("binary data file, format 2")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--format"_s, u"2"_s} << 0
        << QByteArray("数据ID,记录日期,记录时间,数据(0),数据(2),数据(4),数据(6),数据(8)\r\n"
                      "1,2013-05-07,08:04:59,1069547520,-1,-2147483648,98304,-65529\r\n"
                      "-1,2005-05-07,08:04:59,4660,0,0,0,0\r\n")
        << QByteArray();
    QTest::newRow("binary data file, format 4, English")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--format"_s, u"4"_s, u"--lang"_s, u"en"_s}
        << 0
        << QByteArray("Data ID,Record Date,Record Time,Data(0),Data(2),Data(4),Data(6),Data(8)\r\n"
                      "1,2013-05-07,08:04:59,1.500000,NAN,0.000000,0.000000,NAN\r\n"
                      "-1,2005-05-07,08:04:59,0.000000,0.000000,0.000000,0.000000,0.000000\r\n")
        << QByteArray();
    QTest::newRow("binary alarm file")
        << u"Alarm.db"_s << u"binary-alarms"_s << QStringList {} << 0
        << QByteArray("数据ID,报警时间,报警编号,报警内容\r\n"
                      "1,2013-05-07/08:04:59,200,\"T=\xF0\x9F\x94\xA5, ok\"\r\n")
        << QByteArray();
    QTest::newRow("alarm database: quoting and empty fields")
        << u"Alarm.db"_s << u"alarms-quoted"_s << QStringList {u"--lang"_s, u"en"_s} << 0
        << QByteArray("Data ID,Alarm Time,Alarm No.,Alarm Content\r\n"
                      "1,2013-05-07 08:04:59,3,\"Pump, stage 2 \"\"hot\"\"\"\r\n"
                      "2,t,4,\"line one\r\nline two\"\r\n"
                      "0,,,电机过热\r\n")
        << QByteArray();
    QTest::newRow("data record database") << u"records.db"_s << u"records"_s << QStringList {} << 0
                                          << dataTitleLine(true)
            + "1,2013-05-07,08:04:59,0,16320,-1,1,0,0,0,0,0,0\r\n"
              "2,\"d,2\",\"t\"\"2\",65535,65535,0,0,0,0,0,0,0,0\r\n"
                                          << QByteArray();
    QTest::newRow("data record database, format 2")
        << u"records.db"_s << u"records"_s << QStringList {u"--format"_s, u"2"_s} << 0
        << QByteArray("数据ID,记录日期,记录时间,数据(0),数据(2),数据(4),数据(6),数据(8)\r\n"
                      "1,2013-05-07,08:04:59,1069547520,65535,0,0,0\r\n"
                      "2,\"d,2\",\"t\"\"2\",-1,0,0,0,0\r\n")
        << QByteArray();
    QTest::newRow("data record database, format 1")
        << u"records.db"_s << u"records"_s << QStringList {u"--format"_s, u"1"_s} << 0
        << dataTitleLine(true)
            + "1,2013-05-07,08:04:59,0,16320,-1,1,0,0,0,0,0,0\r\n"
              "2,\"d,2\",\"t\"\"2\",-1,-1,0,0,0,0,0,0,0,0\r\n"
        << QByteArray();
    QTest::newRow("data record database, format 3")
        << u"records.db"_s << u"records"_s << QStringList {u"--format"_s, u"3"_s} << 0
        << QByteArray("数据ID,记录日期,记录时间,数据(0),数据(2),数据(4),数据(6),数据(8)\r\n"
                      "1,2013-05-07,08:04:59,3FC00000,0000FFFF,00000000,00000000,00000000\r\n"
                      "2,\"d,2\",\"t\"\"2\",FFFFFFFF,00000000,00000000,00000000,00000000\r\n")
        << QByteArray();
    QTest::newRow("data record database, format 4, English")
        << u"records.db"_s << u"records"_s
        << QStringList {u"--format"_s, u"4"_s, u"--lang"_s, u"en"_s} << 0
        << QByteArray("Data ID,Record Date,Record Time,Data(0),Data(2),Data(4),Data(6),Data(8)\r\n"
                      "1,2013-05-07,08:04:59,1.500000,0.000000,0.000000,0.000000,0.000000\r\n"
                      "2,\"d,2\",\"t\"\"2\",NAN,0.000000,0.000000,0.000000,0.000000\r\n")
        << QByteArray();
    QTest::newRow("empty buffer: message, then the grid of buffer 1")
        << u"records.db"_s << u"records"_s << QStringList {u"--buffer"_s, u"2"_s} << 1
        << dataTitleLine(true)
            + "1,2013-05-07,08:04:59,0,16320,-1,1,0,0,0,0,0,0\r\n"
              "2,\"d,2\",\"t\"\"2\",65535,65535,0,0,0,0,0,0,0,0\r\n"
        << QByteArray("Ostrevain: < 记录#2 > 没有数据！\n");
    QTest::newRow("missing buffer in English: message, empty grid")
        << u"records.db"_s << u"records"_s
        << QStringList {u"--buffer"_s, u"12"_s, u"--lang"_s, u"en"_s} << 1 << QByteArray()
        << QByteArray("Norvale: < Reco#12 > No Create！\nnorvale: no such table: Buffer12\n");
    QTest::newRow("buffer 1 and format 0 pick nothing: one message only")
        << u"records.db"_s << u"records-empty1"_s
        << QStringList {u"--buffer"_s, u"1"_s, u"--format"_s, u"0"_s} << 1
        << QByteArray(dataTitleLine(true) + ",,,,,,,,,,,,\r\n")
        << QByteArray("Ostrevain: < 记录#1 > 没有数据！\n");
    QTest::newRow("buffer 2 after an empty buffer 1")
        << u"records.db"_s << u"records-empty1"_s << QStringList {u"--buffer"_s, u"2"_s} << 1
        << QByteArray(dataTitleLine(true) + "1,d,t,0,0,0,0,0,0,0,0,0,0\r\n")
        << QByteArray("Ostrevain: < 记录#1 > 没有数据！\n");
    QTest::newRow("text file") << u"notes.txt"_s << u"text"_s << QStringList {} << 1 << QByteArray()
                               << QByteArray("Norvale: Invalid Database\n");
    QTest::newRow("data records saved as Alarm.db")
        << u"Alarm.db"_s << u"records"_s << QStringList {} << 1 << QByteArray()
        << QByteArray("Norvale: Invalid Database\nnorvale: no such table: Ldata\n");
    QTest::newRow("missing file: no output, the reason")
        << u"gone.db"_s << u"none"_s << QStringList {} << 1 << QByteArray()
        << "norvale: cannot open " + path(u"gone.db"_s).toUtf8() + ": No such file or directory\n";
}

void TestCommandLine::csvOutput()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const QString file = make == u"none" ? path(name) : makeFile(name, make);
    const QByteArray bytes = readFile(file);
    const Run r = run(QStringList {u"--to"_s, u"csv"_s, file} + options);
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, out);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(readFile(file), bytes);
    QVERIFY2(!QFileInfo::exists(m_home.filePath(u"config/kt_Norvale"_s)),
             "the command line must not touch the options store");
}

void TestCommandLine::csvToFile()
{
    const QString file = makeFile(u"data.bin"_s, u"data2"_s);
    const QString out = path(u"out.csv"_s);
    QVERIFY(writeFile(out, QByteArray(10000, '#'))); // replaced, not appended to
    const Run r = run({u"--to"_s, u"csv"_s, file, u"-o"_s, out, u"--lang"_s, u"en"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, QByteArray());
    const QByteArray csv = readFile(out);
    QVERIFY(csv.startsWith(dataTitleLine(false)));
    QCOMPARE(csv.count("\r\n"), 3);
    QVERIFY(csv.endsWith("0,0,0,0,0,0,0,0,0\r\n"));
}

void TestCommandLine::listNotAvailable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("--buffer on a binary data file")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--buffer"_s, u"2"_s}
        << QByteArray("norvale: --buffer: not available for ");
    QTest::newRow("--buffer 1 on a binary data file")
        << u"data.bin"_s << u"data2"_s << QStringList {u"--buffer"_s, u"1"_s}
        << QByteArray("norvale: --buffer: not available for ");
    QTest::newRow("--format on an alarm database")
        << u"Alarm.db"_s << u"alarms-quoted"_s << QStringList {u"--format"_s, u"4"_s}
        << QByteArray("norvale: --format: not available for ");
    QTest::newRow("--format on a text file")
        << u"notes.txt"_s << u"text"_s << QStringList {u"--format"_s, u"1"_s}
        << QByteArray("Norvale: Invalid Database\nnorvale: --format: not available for ");
}

void TestCommandLine::listNotAvailable()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, err);
    const QString file = makeFile(name, make);
    const Run r = run(QStringList {u"--to"_s, u"csv"_s, file} + options);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, err + file.toUtf8() + '\n');
}

void TestCommandLine::pdfPages_data()
{
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<int>("files");
    // 300 records from ID 1, 85 points per screen.
    QTest::newRow("the whole range") << QStringList {} << 4;
    QTest::newRow("1 to 100") << QStringList {u"--start"_s, u"1"_s, u"--end"_s, u"100"_s} << 2;
    QTest::newRow("1 to 86") << QStringList {u"--start"_s, u"1"_s, u"--end"_s, u"86"_s} << 1;
    QTest::newRow("200 to 280") << QStringList {u"--start"_s, u"200"_s, u"--end"_s, u"280"_s} << 1;
    QTest::newRow("end not above start keeps the count")
        << QStringList {u"--start"_s, u"5"_s, u"--end"_s, u"3"_s} << 4;
    QTest::newRow("far end comes down to the last ID")
        << QStringList {u"--start"_s, u"290"_s, u"--end"_s, u"99999999999"_s} << 1;
}

void TestCommandLine::pdfPages()
{
    QFETCH(QStringList, range);
    QFETCH(int, files);
    const QString db = path(u"curves.db"_s);
    if (!QFileInfo::exists(db)) {
        QProcess make;
        make.start(QStringLiteral(NORVALE_SAMPLE_TOOL),
                   {u"data-db"_s, db, u"--records"_s, u"300"_s});
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
    }
    QTemporaryDir out;
    const Run r = run(QStringList {u"--to"_s, u"pdf"_s, db, u"-o"_s, out.filePath(u"c.pdf"_s),
                                   u"--lang"_s, u"en"_s}
                      + range);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QStringList expected;
    for (int n = 1; n <= files; ++n)
        expected << u"c-%1.pdf"_s.arg(n);
    QStringList written = QDir(out.path()).entryList(QDir::Files);
    std::sort(written.begin(), written.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    QCOMPARE(written, expected);
    for (const QString &name : std::as_const(written)) {
        const QByteArray pdf = readFile(out.filePath(name));
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pdffile::pageCount(pdf), 1);
        const QList<QSizeF> boxes = pdffile::mediaBoxes(pdf);
        QVERIFY(boxes.size() == 1 && boxes.first().width() > boxes.first().height());
    }
    if (!pdffile::canRender())
        return;
    // The whole client area, 902 x 362 screen pixels (the print hides the
    // panel), whatever the size of the made-up screen of a hidden run: at
    // the screen's resolution it keeps its pixel size, inside the page.
    const QImage page = pdffile::renderFirstPage(out.filePath(u"c-1.pdf"_s), 96);
    QVERIFY(!page.isNull());
    const QRect ink = pdffile::inkBounds(page);
    QVERIFY2(qAbs(ink.width() - 902) <= 2 && qAbs(ink.height() - 362) <= 2,
             qPrintable(u"%1x%2"_s.arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.right() < page.width() - 1 && ink.bottom() < page.height() - 1);
}

void TestCommandLine::pdfNoData()
{
    const QString file = makeFile(u"Alarm.db"_s, u"alarms-quoted"_s);
    QTemporaryDir out;
    const Run r = run({u"--to"_s, u"pdf"_s, file, u"-o"_s, out.filePath(u"c.pdf"_s)});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QByteArray("没有可用的曲线数据，请先打开数据库!\n"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
}

void TestCommandLine::pdfUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    const QString f = u"any.db"_s;
    const QString o = u"out.pdf"_s;
    QTest::newRow("pdf without OUT")
        << QStringList {u"--to"_s, u"pdf"_s, f} << QByteArray("norvale: --to");
    QTest::newRow("start not a number")
        << QStringList {u"--to"_s, u"pdf"_s, f, u"-o"_s, o, u"--start"_s, u"one"_s}
        << QByteArray("norvale: --start");
    QTest::newRow("end past 64 bits")
        << QStringList {u"--to"_s, u"pdf"_s, f, u"-o"_s, o, u"--end"_s, u"9223372036854775808"_s}
        << QByteArray("norvale: --end");
    QTest::newRow("end without value")
        << QStringList {u"--to"_s, u"pdf"_s, f, u"-o"_s, o, u"--end"_s}
        << QByteArray("norvale: --end");
    QTest::newRow("start without --to")
        << QStringList {f, u"--start"_s, u"5"_s} << QByteArray("norvale: --start");
}

void TestCommandLine::pdfUsageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith(error), r.err.constData());
    QVERIFY2(r.err.contains("[--start ID] [--end ID]"), r.err.constData());
}

void TestCommandLine::pdfUnwritable()
{
    const QString file = makeFile(u"data.bin"_s, u"data2"_s);
    const QString out = path(u"missing/c.pdf"_s);
    const Run r = run({u"--to"_s, u"pdf"_s, file, u"-o"_s, out, u"--lang"_s, u"en"_s});
    // Reported as a message, and the run ends.
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err,
             "Error: The printer could not start a print job! ("
                 + path(u"missing/c-1.pdf"_s).toUtf8() + ")\n");
    QVERIFY(!QFileInfo::exists(path(u"missing"_s)));
}

void TestCommandLine::binaryFileTooLarge_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QByteArray>("message");

    constexpr qint64 GB = qint64(1) << 30;
    // 268,435,455 records of 32 bytes.
    QTest::newRow("8 GB")
        << 8 * GB << u"zh"_s
        << "Norvale: 文件太大：268435455 条记录需要约 8.0 GB 内存（文件大小 8.0 GB）\n"_ba;
    // More records than the grid has rows, whatever the memory.
    QTest::newRow("80 GB, past the grid's rows")
        << 80 * GB << u"en"_s
        << "Norvale: File too large: 2684354559 records need about 80.0 GB of memory "
           "(file size 80.0 GB)\n"_ba;
}

void TestCommandLine::binaryFileTooLarge()
{
    QFETCH(qint64, size);
    QFETCH(QString, lang);
    QFETCH(QByteArray, message);
    const auto need = GridSizeGuard::binaryFileNeed(size, GridSizeGuard::RecordKind::Data,
                                                    ValueFormat::Format::Unsigned16);
    if (GridSizeGuard::fits(need, availablePhysicalMemory()))
        QSKIP("this machine has the memory for these records");
    // A signature and a hole: the file takes no disk.
    const QString file = path(u"huge.bin"_s);
    QVERIFY(writeFile(file, signedHeader()));
    if (!QFile::resize(file, size))
        QSKIP("the file system takes no file this large");
    const Run r = run({u"--to"_s, u"csv"_s, file, u"--lang"_s, lang});
    QFile::remove(file);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, message);
    // Nothing of a grid that was not loaded.
    QCOMPARE(r.out, QByteArray());
    // The largest of the program's runs so far (Linux counts in KiB).
    rusage usage {};
    QCOMPARE(getrusage(RUSAGE_CHILDREN, &usage), 0);
    QVERIFY2(usage.ru_maxrss < 200 * 1024, qPrintable(u"%1 KiB"_s.arg(usage.ru_maxrss)));
}

void TestCommandLine::pngScale_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("2") << 2;
    QTest::newRow("4") << 4;
}

void TestCommandLine::pngScale()
{
    QFETCH(int, scale);
    const QString in = path(u"curves.bin"_s);
    QVERIFY(makeSample({u"data-bin"_s, in, u"--records"_s, u"200"_s}));
    const QString one = path(u"one.png"_s);
    const QString many = path(u"many.png"_s);
    QCOMPARE(run({u"--to"_s, u"png"_s, in, u"-o"_s, one}).exitCode, 0);
    const QByteArray plainBytes = readFile(one);
    QCOMPARE(run({u"--to"_s, u"png"_s, in, u"-o"_s, one, u"--scale"_s, u"1"_s}).exitCode, 0);
    // --scale 1 is the picture as it always was.
    QCOMPARE(readFile(one), plainBytes);
    const Run r
        = run({u"--to"_s, u"png"_s, in, u"-o"_s, many, u"--scale"_s, QString::number(scale)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    const QImage plain = QImage(one).convertToFormat(QImage::Format_RGB32);
    const QImage scaled = QImage(many).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(scaled.size(), plain.size() * scale);
    // Same size on paper.
    QCOMPARE(scaled.dotsPerMeterX(), plain.dotsPerMeterX() * scale);
    // The same layout: the centre of each scaled pixel block is the pixel,
    // but for the edges of texts and sloped lines.
    qint64 same = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (scaled.pixel(x * scale + scale / 2, y * scale + scale / 2) == plain.pixel(x, y))
                ++same;
    const double share = double(same) / (qint64(plain.width()) * plain.height());
    QVERIFY2(share > 0.97, qPrintable(QString::number(share)));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

void TestCommandLine::failedLoadLeavesOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("err"); // how stderr starts

    const QByteArray notCreated = "Norvale: < Reco#1 > No Create！\n";
    const struct
    {
        const char *row;
        const char *name;
        const char *make;
        QStringList options;
        QByteArray err;
    } failures[] = {
        {"not a log file", "notes.txt", "text", {}, "Norvale: Invalid Database\n"},
        {"data records saved as Alarm.db",
         "Alarm.db",
         "records",
         {},
         "Norvale: Invalid Database\n"},
        {"buffer not created",
         "records.db",
         "records",
         {u"--buffer"_s, u"12"_s},
         "Norvale: < Reco#12 > No Create！\n"},
        {"locked by a writer", "locked.db", "locked", {}, notCreated},
        {"hot journal", "hot.db", "hot-journal", {}, notCreated},
        {"shorter than a header", "short.bin", "short", {}, "norvale: cannot read "},
    };
    for (const auto &f : failures)
        for (const char *kind : {"csv", "xlsx", "png", "pdf"})
            QTest::addRow("%s, %s", f.row, kind)
                << QString::fromLatin1(f.name) << QString::fromLatin1(f.make) << f.options
                << QString::fromLatin1(kind) << f.err;
}

void TestCommandLine::failedLoadLeavesOut()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(QStringList, options);
    QFETCH(QString, kind);
    QFETCH(QByteArray, err);

    QString file = path(name);
    QFile::remove(file);
    QFile::remove(file + u"-journal"_s);
    sqlite3 *writer = nullptr;
    const auto closeWriter = qScopeGuard([&] { sqlite3_close(writer); });
    if (make == u"locked" || make == u"hot-journal") {
        // Pages enough that a change spills out of a one-page cache; one transaction.
        QByteArray rows = "BEGIN;" + createBuffer(1);
        for (int id = 1; id <= 2000; ++id)
            rows += insertBuffer(1, id, QByteArray(200, 'd'), "t", {});
        QVERIFY(sql(file, rows + "COMMIT;"));
        QCOMPARE(sqlite3_open(file.toUtf8().constData(), &writer), SQLITE_OK);
        // A writer in the middle of a change, its journal holding the pages before it.
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA cache_size=1; BEGIN EXCLUSIVE; UPDATE Buffer1 SET N1 = 'x';",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        if (make == u"hot-journal") {
            // The files as a writer that died then would leave them.
            const QString hot = path(u"hot-copy.db"_s);
            QFile::remove(hot);
            QFile::remove(hot + u"-journal"_s);
            QVERIFY(QFile::copy(file, hot));
            QVERIFY(QFile::copy(file + u"-journal"_s, hot + u"-journal"_s));
            QVERIFY(QFileInfo(hot + u"-journal"_s).size() > 0);
            sqlite3_exec(writer, "ROLLBACK;", nullptr, nullptr, nullptr);
            sqlite3_close(writer);
            writer = nullptr;
            file = hot;
        }
    } else if (make == u"short") {
        QVERIFY(writeFile(file, signedHeader().left(10)));
    } else {
        file = makeFile(name, make);
    }
    const auto filesBefore = folderState(m_dir.path());

    // An earlier output that the run must not replace.
    QTemporaryDir outs;
    const QString out = outs.filePath(u"out."_s + kind);
    QVERIFY(writeFile(kind == u"pdf" ? outs.filePath(u"out-1.pdf"_s) : out, "earlier output"));
    const auto before = folderState(outs.path());
    const Run r
        = run(QStringList {u"--to"_s, kind, file, u"-o"_s, out, u"--lang"_s, u"en"_s} + options);
    QVERIFY2(r.err.startsWith(err), r.err.constData());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(folderState(outs.path()), before);
    if (make != u"locked")
        QCOMPARE(folderState(m_dir.path()), filesBefore);
}

void TestCommandLine::stdoutFailureNamesItsCause_data()
{
    QTest::addColumn<QString>("redirect");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("closed") << u">&-"_s << QByteArray("Bad file descriptor");
    QTest::newRow("full") << u">/dev/full"_s << QByteArray("No space left on device");
}

void TestCommandLine::stdoutFailureNamesItsCause()
{
    QFETCH(QString, redirect);
    QFETCH(QByteArray, reason);
    if (redirect.contains(u"/dev/full"_s) && !QFileInfo::exists(u"/dev/full"_s))
        QSKIP("this system has no /dev/full");
    const QString file = makeFile(u"data.bin"_s, u"data2"_s);
    const QByteArray bytes = readFile(file);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.insert(u"HOME"_s, m_home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    // The shell starts the program with its standard output so.
    const Run r = runProcess(u"/bin/sh"_s,
                             {u"-c"_s, u"exec \"$0\" \"$@\" "_s + redirect,
                              QStringLiteral(NORVALE_PROGRAM), u"--to"_s, u"csv"_s, file},
                             env);
    QCOMPARE(r.err, "norvale: cannot write stdout: " + reason + '\n');
    QCOMPARE(r.exitCode, 1);
    // Not written to a file that took the closed descriptor's place either.
    QCOMPARE(readFile(file), bytes);
}
