// The command line with a tag sheet and the statistics output: the real
// program on the sample logs and on files written here.
#include "support/LogFiles.h"
#include "support/ProgramRun.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// The fields of one CSV line (quotes as RFC 4180 writes them, no line ends inside).
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QList<QStringList> csvRows(const QByteArray &csv)
{
    QList<QStringList> rows;
    for (const QString &line : QString::fromUtf8(csv).split(u"\r\n"_s, Qt::SkipEmptyParts))
        rows << csvFields(line);
    return rows;
}

// A plain decimal text as an integer of `decimals` digits after the point.
qint64 scaled(const QString &text, int decimals)
{
    const qsizetype point = text.indexOf(u'.');
    const int have = point < 0 ? 0 : int(text.size() - point - 1);
    QString digits = text;
    digits.remove(u'.');
    qint64 v = digits.toLongLong();
    for (int i = have; i < decimals; ++i)
        v *= 10;
    return v;
}

// sum / count / 10^decimals with decimals + 2 digits, halves away from zero.
QString meanText(qint64 sum, qint64 count, int decimals)
{
    const bool negative = sum < 0;
    const qint64 n = (negative ? -sum : sum) * 100; // the sums here stay far below 2^63
    qint64 q = n / count;
    if ((n % count) * 2 >= count)
        ++q;
    const int shown = decimals + 2;
    QString digits = QString::number(q).rightJustified(shown + 1, u'0');
    digits.insert(digits.size() - shown, u'.');
    return (negative && q != 0 ? u"-"_s : QString()) + digits;
}

} // namespace

class TestTagCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void gridWithSheet_data();
    void gridWithSheet();
    void faultySheetWritesNothing_data();
    void faultySheetWritesNothing();
    void usageErrors_data();
    void usageErrors();
    void statisticsMatchTheCsv_data();
    void statisticsMatchTheCsv();
    void statisticsToStdoutAndFile();

private:
    Run run(const QStringList &arguments);
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    QString m_sheet;
};

void TestTagCommands::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_home.isValid());
    QVERIFY(makeSample({u"samples"_s, m_dir.path()}));
    m_sheet = QStringLiteral(NORVALE_SAMPLE_TAGS);
}

Run TestTagCommands::run(const QStringList &arguments)
{
    return runProcess(QStringLiteral(NORVALE_PROGRAM), arguments,
                      headlessEnvironment(m_home.path()));
}

void TestTagCommands::gridWithSheet_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("titles"); // the CSV's title row
    QTest::addColumn<int>("columns");

    const QString sheetTitles
        = u"数据ID,记录日期,记录时间,Temperature [°C],Batch progress [%],Tank level [m],"
          u"Valve position [%],Pump,Pump word,Current deviation [A],Totaliser [m³],"
          u"Flow [m³/h]"_s;
    QTest::newRow("binary file: the * tags") << QStringList {u"Data.bin"_s} << sheetTitles << 12;
    QTest::newRow("database buffer 1: the * tags")
        << QStringList {u"Buffer.db"_s} << sheetTitles << 12;
    QTest::newRow("database buffer 3: its own tag too")
        << QStringList {u"Buffer.db"_s, u"--buffer"_s, u"3"_s}
        << sheetTitles + u",\"Deviation, line 3 [mA]\""_s << 13;
}

void TestTagCommands::gridWithSheet()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, titles);
    QFETCH(int, columns);
    arguments[0] = path(arguments[0]);
    const Run r = run(QStringList {u"--to"_s, u"csv"_s, u"--tags"_s, m_sheet} + arguments);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    const QList<QByteArray> lines = r.out.split('\n');
    QVERIFY(lines.size() > 3);
    QCOMPARE(QString::fromUtf8(lines[0]).trimmed(), titles);
    const QList<QStringList> rows = csvRows(r.out);
    for (qsizetype i = 1; i < rows.size(); ++i)
        QCOMPARE(rows[i].size(), columns);
    // The enum and the bits of word 4, as named.
    QVERIFY2(rows[1][7] == u"Running"_s || rows[1][7] == u"Stopped"_s, qPrintable(rows[1][7]));
    QVERIFY2(rows[1][8].contains(u"Run command"_s) || rows[1][8].isEmpty(), qPrintable(rows[1][8]));
}

void TestTagCommands::faultySheetWritesNothing_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("message");
    const QByteArray title = "buffer,word,name,unit,type,gain,offset,decimals,texts\r\n";
    QTest::newRow("unknown type") << title + "*,0,A,,u16,,,,\r\n*,1,B,,u17,,,,\r\n"
                                  << QByteArray("Norvale: Line 3, column 5");
    QTest::newRow("word out of range") << title + "*,10,A,,u16,,,,\r\n"
                                       << QByteArray("Norvale: Line 2, column 2");
    QTest::newRow("broken texts") << title + "*,0,A,,enum,,,,0=Stop;1\r\n"
                                  << QByteArray("Norvale: Line 2, column 9");
    QTest::newRow("no such file") << QByteArray() << QByteArray("Norvale: ");
}

void TestTagCommands::faultySheetWritesNothing()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, message);
    const QString sheetFile = path(u"faulty.csv"_s);
    QFile::remove(sheetFile);
    if (!sheet.isEmpty())
        QVERIFY(writeFile(sheetFile, sheet));
    for (const QString &to : {u"csv"_s, u"stats"_s, u"png"_s}) {
        const QString out = path(u"out."_s + to);
        const Run r = run({u"--to"_s, to, path(u"Data.bin"_s), u"--lang"_s, u"en"_s, u"--tags"_s,
                           sheetFile, u"-o"_s, out});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(message), r.err.constData());
        QVERIFY(!QFileInfo::exists(out));
    }
}

void TestTagCommands::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("--tags without --to")
        << QStringList {u"x.bin"_s, u"--tags"_s, u"t.csv"_s} << QByteArray("norvale: -o, --buffer");
    QTest::newRow("--tags with --format")
        << QStringList {u"--to"_s,  u"stats"_s,    u"x.bin"_s, u"--tags"_s,
                        u"t.csv"_s, u"--format"_s, u"1"_s}
        << QByteArray("norvale: --format and --tags");
    QTest::newRow("--tags twice") << QStringList {u"--to"_s,  u"csv"_s,    u"x.bin"_s, u"--tags"_s,
                                                  u"a.csv"_s, u"--tags"_s, u"b.csv"_s}
                                  << QByteArray("norvale: --tags: given more than once");
    QTest::newRow("stats with --encoding")
        << QStringList {u"--to"_s, u"stats"_s, u"x.bin"_s, u"--encoding"_s, u"utf-8-bom"_s}
        << QByteArray("norvale: --encoding needs --to csv");
    QTest::newRow("png to stdout") << QStringList {u"--to"_s, u"png"_s, u"x.bin"_s, u"-o"_s, u"-"_s}
                                   << QByteArray("norvale: -o: standard output");
}

void TestTagCommands::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith(error), r.err.constData());
}

void TestTagCommands::statisticsMatchTheCsv_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("binary file with the sheet")
        << QStringList {u"Data.bin"_s, u"--tags"_s, u"SHEET"_s};
    QTest::newRow("buffer 3 with the sheet")
        << QStringList {u"Buffer.db"_s, u"--buffer"_s, u"3"_s, u"--tags"_s, u"SHEET"_s};
    QTest::newRow("binary file, 16-bit signed")
        << QStringList {u"Data.bin"_s, u"--format"_s, u"1"_s};
    QTest::newRow("database, 32-bit signed") << QStringList {u"Buffer.db"_s, u"--format"_s, u"2"_s};
}

void TestTagCommands::statisticsMatchTheCsv()
{
    QFETCH(QStringList, arguments);
    arguments[0] = path(arguments[0]);
    arguments.replaceInStrings(u"SHEET"_s, m_sheet);
    const Run csv = run(QStringList {u"--to"_s, u"csv"_s} + arguments);
    const Run stats = run(QStringList {u"--to"_s, u"stats"_s} + arguments);
    QCOMPARE(csv.exitCode, 0);
    QCOMPARE(stats.exitCode, 0);
    const QList<QStringList> grid = csvRows(csv.out);
    const QList<QStringList> table = csvRows(stats.out);
    QCOMPARE(table.value(0),
             (QStringList {u"column"_s, u"count"_s, u"min"_s, u"max"_s, u"mean"_s, u"first"_s,
                           u"last"_s}));
    // The plain computation: every value column whose cells are plain decimals.
    QStringList expected;
    for (qsizetype c = 3; c < grid[0].size(); ++c) {
        int decimals = 0;
        bool numbers = true;
        for (qsizetype r = 1; r < grid.size() && numbers; ++r) {
            static const QRegularExpression plain(u"^-?\\d+(\\.\\d+)?$"_s);
            const QString &cell = grid[r][c];
            numbers = plain.match(cell).hasMatch();
            if (cell.contains(u'.'))
                decimals = std::max(decimals, int(cell.size() - cell.indexOf(u'.') - 1));
        }
        if (!numbers)
            continue;
        qint64 sum = 0;
        qsizetype min = 1;
        qsizetype max = 1;
        for (qsizetype r = 1; r < grid.size(); ++r) {
            const qint64 v = scaled(grid[r][c], decimals);
            sum += v;
            if (v < scaled(grid[min][c], decimals))
                min = r;
            if (v > scaled(grid[max][c], decimals))
                max = r;
        }
        const qint64 count = grid.size() - 1;
        const QString title = grid[0][c];
        expected << QStringList {title.contains(u',') ? u'"' + title + u'"' : title,
                                 QString::number(count),
                                 grid[min][c],
                                 grid[max][c],
                                 meanText(sum, count, decimals),
                                 grid[1][c],
                                 grid[count][c]}
                        .join(u',');
    }
    QVERIFY(expected.size() >= 5);
    QStringList lines = QString::fromUtf8(stats.out).split(u"\r\n"_s, Qt::SkipEmptyParts);
    lines.removeFirst();
    QCOMPARE(lines, expected);
}

void TestTagCommands::statisticsToStdoutAndFile()
{
    const QString out = path(u"stats.csv"_s);
    const Run toStdout = run({u"--to"_s, u"stats"_s, path(u"Data.bin"_s), u"--tags"_s, m_sheet});
    const Run toFile
        = run({u"--to"_s, u"stats"_s, path(u"Data.bin"_s), u"--tags"_s, m_sheet, u"-o"_s, out});
    QCOMPARE(toStdout.exitCode, 0);
    QCOMPARE(toFile.exitCode, 0);
    QCOMPARE(toFile.out, QByteArray());
    QCOMPARE(readFile(out), toStdout.out);
    QVERIFY(toStdout.out.startsWith("column,count,min,max,mean,first,last\r\n"));
    // An alarm list has no value columns.
    const Run alarms = run({u"--to"_s, u"stats"_s, path(u"Alarm.db"_s)});
    QCOMPARE(alarms.exitCode, 0);
    QCOMPARE(alarms.out, QByteArray("column,count,min,max,mean,first,last\r\n"));
}

QTEST_GUILESS_MAIN(TestTagCommands)
#include "tst_tagcommands.moc"
