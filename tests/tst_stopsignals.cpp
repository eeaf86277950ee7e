// A `--to` run stopped by SIGINT or SIGTERM, through the real program: it ends soon with the
// signal's status, OUT as it was and no temporary file of it left anywhere.
#include "support/LogFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// Whether the process catches `signal` (its handlers are in place).
bool catches(qint64 pid, int signal)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

// The names in `dir` other than `keep`.
QStringList othersIn(const QString &dir, const QStringList &keep)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &k : keep)
        names.removeAll(k);
    return names;
}

} // namespace

class TestStopSignals : public QObject
{
    Q_OBJECT
private slots:
    void stoppedRunLeavesNothing_data();
    void stoppedRunLeavesNothing();
};

void TestStopSignals::stoppedRunLeavesNothing_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("status");
    // An endless view keeps the load going; a large binary file the CSV writing or the printing.
    QTest::newRow("SIGINT while a view loads, csv")
        << int(SIGINT) << u"csv"_s << u"endless.db"_s << true << 130;
    QTest::newRow("SIGTERM while a view loads, csv")
        << int(SIGTERM) << u"csv"_s << u"endless.db"_s << false << 143;
    QTest::newRow("SIGINT while a view loads, xlsx")
        << int(SIGINT) << u"xlsx"_s << u"endless.db"_s << true << 130;
    QTest::newRow("SIGTERM while a view loads, pdf")
        << int(SIGTERM) << u"pdf"_s << u"endless.db"_s << false << 143;
    QTest::newRow("SIGINT while CSV is written")
        << int(SIGINT) << u"csv"_s << u"big.bin"_s << true << 130;
    QTest::newRow("SIGTERM while CSV is written")
        << int(SIGTERM) << u"csv"_s << u"big.bin"_s << false << 143;
    QTest::newRow("SIGINT while pages are printed, pdf")
        << int(SIGINT) << u"pdf"_s << u"big.bin"_s << false << 130;
}

void TestStopSignals::stoppedRunLeavesNothing()
{
    QFETCH(int, signal);
    QFETCH(QString, to);
    QFETCH(QString, input);
    QFETCH(bool, existing);
    QFETCH(int, status);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath(u"in"_s);
    const QString out = dir.filePath(u"out"_s);
    const QString tmp = dir.filePath(u"tmp"_s);
    QVERIFY(QDir().mkpath(in) && QDir().mkpath(out) && QDir().mkpath(tmp));
    const QString file = in + u'/' + input;
    if (input == u"endless.db") {
        QVERIFY(sql(file,
                    "CREATE VIEW Buffer1 AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL"
                    " SELECT x + 1 FROM c) SELECT x AS ID, '2024-01-02' AS N1,"
                    " '03:04:05' AS N2, x AS N3 FROM c;"));
    } else {
        // About two million records: seconds of CSV writing.
        QVERIFY(writeFile(file, dataFile(2'000'000)));
    }
    const QString target = out + u"/result."_s + to;
    if (existing)
        QVERIFY(writeFile(target, "the user's own bytes"));

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, tmp);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(NORVALE_PROGRAM), {u"--to"_s, to, file, u"-o"_s, target});
    QVERIFY(run.waitForStarted());
    const qint64 pid = run.processId();
    // Sent once the run is under way: its handlers are in place, and a CSV run writes its
    // temporary file.
    QTRY_VERIFY_WITH_TIMEOUT(catches(pid, SIGINT) && catches(pid, SIGTERM), 20000);
    if (input == u"big.bin")
        QTRY_VERIFY_WITH_TIMEOUT(!othersIn(out, {QFileInfo(target).fileName()}).isEmpty(), 20000);
    else
        QTest::qWait(300);
    QCOMPARE(run.state(), QProcess::Running);
    QCOMPARE(::kill(pid_t(pid), signal), 0);
    QVERIFY2(run.waitForFinished(10000), "the run did not stop");
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), status);
    QCOMPARE(run.readAllStandardError(), QByteArray());

    if (existing)
        QCOMPARE(readFile(target), QByteArray("the user's own bytes"));
    else
        QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(othersIn(out, existing ? QStringList {QFileInfo(target).fileName()} : QStringList()),
             QStringList());
    // No private copy, no library temporary: nothing but the platform's runtime folder.
    QStringList left = othersIn(tmp, {});
    left.removeIf([](const QString &name) { return name.startsWith(u"runtime-"_s); });
    QCOMPARE(left, QStringList());
    QCOMPARE(othersIn(in, {input}), QStringList());
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
