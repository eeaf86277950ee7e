// Loads and saves that are given up: through the real load and save code, stopped by a progress
// that says stop after some rows, the window stays exactly as it was and no file is left.
#include "mainwindow/MainWindow.h"
#include "mainwindow/WorkProgressDialog.h"
#include "platform/WorkProgress.h"
#include "support/LogFiles.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// Says stop once `limit` rows are done; counts what it was asked.
class StopAfter : public WorkProgress
{
public:
    bool keepGoing(qint64 done) override
    {
        ++asked;
        if (done < limit)
            return true;
        stopped = true;
        return false;
    }
    qint64 limit = std::numeric_limits<qint64>::max();
    int asked = 0;
    bool stopped = false;
};

// The main window, shown, with a progress that stops its work.
struct Window : MainWindowFixture
{
    Window()
        : MainWindowFixture(NoWindowYet {})
    {
        MainWindowServices services;
        services.progress = &progress;
        create(std::move(services));
        main->show();
    }
    // The window goes before the progress it was given.
    ~Window() { main.reset(); }
    QComboBox *list(const char *name) const
    {
        return main->findChild<QComboBox *>(QLatin1String(name));
    }

    // Everything a user sees of the load: cells, title, count, lists.
    QStringList shown() const
    {
        QStringList s;
        const RecordGridModel &g = main->grid();
        s << main->windowTitle() << main->findChild<QPushButton *>(u"recordCountButton"_s)->text()
          << main->countDisplayColour().name() << QString::number(g.rows())
          << QString::number(g.cols());
        for (const char *name : {"bufferList", "displayFormatList"}) {
            const QComboBox *l = list(name);
            s << QString::number(l->isEnabled()) << QString::number(l->currentIndex())
              << l->currentText();
        }
        for (int r = 0; r < g.rows(); ++r) {
            QStringList row;
            for (int c = 0; c < g.cols(); ++c)
                row << g.cell(c, r);
            s << row.join(u'|');
        }
        return s;
    }

    StopAfter progress;
};

// A view of Buffer`n` that never ends.
QByteArray endlessBuffer(int n)
{
    return "CREATE VIEW Buffer" + QByteArray::number(n)
        + " AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c)"
          " SELECT x AS ID, '2024-01-02' AS N1, '03:04:05' AS N2, x AS N3, 0 AS N4, 0 AS N5,"
          " 0 AS N6, 0 AS N7, 0 AS N8, 0 AS N9, 0 AS N10, 0 AS N11, 0 AS N12 FROM c;";
}

QByteArray alarmDatabase(int rows)
{
    return "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 INTEGER, N2 TEXT);"
           "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT "
        + QByteArray::number(rows)
        + ") INSERT INTO Ldata SELECT x, '2024-01-02 03:04:05', x % 7, 'alarm ' || x FROM c;";
}

QByteArray smallBuffers()
{
    QByteArray s = createBuffer(1);
    for (int id = 1; id <= 5; ++id)
        s += insertBuffer(1, id, "2024-01-02", "03:04:05", {QByteArray::number(id * 11)});
    return s;
}

} // namespace

class TestLoadCancel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void stoppedLoadLeavesTheWindow_data();
    void stoppedLoadLeavesTheWindow();
    void loadThatIsNotStoppedReplacesTheGrid();
    void stoppedSaveLeavesNoFile_data();
    void stoppedSaveLeavesNoFile();
    void dialogShowsOnlyAfterItsDelay();
    void escapeInTheDialogStopsTheWork();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestLoadCancel::init()
{
    QVERIFY(m_dir.isValid());
    // Each case starts in an empty folder.
    QVERIFY(QDir(m_dir.path()).removeRecursively());
    QVERIFY(QDir().mkpath(m_dir.path()));
}

void TestLoadCancel::stoppedLoadLeavesTheWindow_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("action");
    // Rows done when the progress says stop.
    QTest::addColumn<int>("stopAt");
    QTest::newRow("open a large binary data file") << u"small.bin"_s << u"open big.bin"_s << 1;
    QTest::newRow("open a large binary alarm file")
        << u"small.bin"_s << u"open alarms/Alarm.db"_s << 1;
    QTest::newRow("open an endless database view")
        << u"small.bin"_s << u"open endless.db"_s << 5000;
    QTest::newRow("open a large alarm database")
        << u"buffers.db"_s << u"open db/Alarm.db"_s << 3000;
    QTest::newRow("format change of a large binary file") << u"big.bin"_s << u"format 3"_s << 40000;
    QTest::newRow("buffer change to an endless view") << u"mixed.db"_s << u"buffer 2"_s << 5000;
    QTest::newRow("format change of a large database buffer")
        << u"large.db"_s << u"format 2"_s << 3000;
    QTest::newRow("reload of a file grown large") << u"small.bin"_s << u"reload"_s << 1;
    QTest::newRow("nothing open, then an endless view") << QString() << u"open endless.db"_s << 100;
}

void TestLoadCancel::stoppedLoadLeavesTheWindow()
{
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(int, stopAt);
    QVERIFY(writeFile(path(u"small.bin"_s), dataFile(5)));
    QVERIFY(writeFile(path(u"big.bin"_s), dataFile(100000)));
    QVERIFY(QDir(m_dir.path()).mkpath(u"alarms"_s) && QDir(m_dir.path()).mkpath(u"db"_s));
    QVERIFY(writeFile(path(u"alarms/Alarm.db"_s), alarmFile(QList<AlarmRecord>(50000))));
    QVERIFY(sql(path(u"endless.db"_s), endlessBuffer(1)));
    QVERIFY(sql(path(u"mixed.db"_s), smallBuffers() + endlessBuffer(2)));
    QVERIFY(sql(path(u"large.db"_s),
                createBuffer(1)
                    + "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT 20000)"
                      " INSERT INTO Buffer1 SELECT x, '2024-01-02', '03:04:05', x, x, x, x, x, x,"
                      " x, x, x, x FROM c;"));
    QVERIFY(sql(path(u"buffers.db"_s), smallBuffers()));
    QVERIFY(sql(path(u"db/Alarm.db"_s), alarmDatabase(20000)));

    Window w;
    if (!before.isEmpty())
        w.open(path(before));
    QCOMPARE(w.sink.take(), QStringList());
    QVERIFY(!w.progress.stopped);
    const QStringList shown = w.shown();

    w.progress.limit = stopAt;
    if (action.startsWith(u"open "))
        w.open(path(action.mid(5)));
    else if (action.startsWith(u"format "))
        w.list("displayFormatList")->setCurrentIndex(action.mid(7).toInt());
    else if (action.startsWith(u"buffer "))
        w.list("bufferList")->setCurrentIndex(action.mid(7).toInt() - 1);
    else if (action == u"reload") {
        QVERIFY(writeFile(path(before), dataFile(100000)));
        w.main->reloadFile();
    }
    QVERIFY2(w.progress.stopped, "the load never asked whether to go on");
    QCOMPARE(w.shown(), shown);
    // Stopping is the user's choice, not a failure.
    QCOMPARE(w.sink.take(), QStringList());

    // The window works on as before: the next load is not stopped.
    w.progress.limit = std::numeric_limits<qint64>::max();
    w.progress.stopped = false;
    QVERIFY(writeFile(path(u"check.bin"_s), dataFile(5)));
    w.open(path(u"check.bin"_s));
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.main->grid().cell(0, 5), u"5"_s);
    QCOMPARE(w.sink.take(), QStringList());
}

void TestLoadCancel::loadThatIsNotStoppedReplacesTheGrid()
{
    // The progress is asked, and going on loads everything as before.
    QVERIFY(writeFile(path(u"big.bin"_s), dataFile(100000)));
    QVERIFY(sql(path(u"Alarm.db"_s), alarmDatabase(20000)));
    Window w;
    w.open(path(u"big.bin"_s));
    QVERIFY(w.progress.asked > 0);
    QCOMPARE(w.main->grid().rows(), 100001);
    const int asked = w.progress.asked;
    w.open(path(u"Alarm.db"_s));
    QVERIFY(w.progress.asked > asked);
    QCOMPARE(w.main->grid().rows(), 20001);
    QCOMPARE(w.main->grid().cell(3, 20000), u"alarm 20000"_s);
    QCOMPARE(w.sink.take(), QStringList());
}

void TestLoadCancel::stoppedSaveLeavesNoFile_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<bool>("existing");
    QTest::newRow("xlsx, new file") << 0 << false;
    QTest::newRow("xlsx over a file") << 0 << true;
    QTest::newRow("csv, new file") << 1 << false;
    QTest::newRow("csv over a file") << 1 << true;
}

void TestLoadCancel::stoppedSaveLeavesNoFile()
{
    QFETCH(int, filter);
    QFETCH(bool, existing);
    QVERIFY(writeFile(path(u"data.bin"_s), dataFile(3000)));
    const QString target = path(filter == 0 ? u"saved.xlsx"_s : u"saved.csv"_s);
    if (existing)
        QVERIFY(writeFile(target, "the user's own bytes"));
    Window w;
    w.open(path(u"data.bin"_s));
    const QStringList shown = w.shown();
    const auto folder = folderState(m_dir.path());

    w.progress.limit = 1000;
    w.saves.file = target;
    w.saves.filter = filter;
    w.main->saveAs();
    QVERIFY2(w.progress.stopped, "the save never asked whether to go on");
    QCOMPARE(folderState(m_dir.path()), folder);
    QCOMPARE(QFileInfo::exists(target), existing);
    QCOMPARE(w.shown(), shown);
    QCOMPARE(w.sink.take(), QStringList());

    // Saved whole when not stopped.
    w.progress.limit = std::numeric_limits<qint64>::max();
    w.main->saveAs();
    QVERIFY(readFile(target) != "the user's own bytes");
    QVERIFY(QFileInfo(target).size() > 3000);
    QCOMPARE(w.sink.take(), QStringList());
}

void TestLoadCancel::dialogShowsOnlyAfterItsDelay()
{
    QWidget owner;
    owner.show();
    WorkProgressDialog progress(&owner, Language::English, false, 60000);
    for (int i = 0; i < 1000; ++i)
        QVERIFY(progress.keepGoing(i));
    QVERIFY(!owner.findChild<QProgressDialog *>());
}

void TestLoadCancel::escapeInTheDialogStopsTheWork()
{
    QWidget owner;
    owner.show();
    WorkProgressDialog progress(&owner, Language::English, true, 0);
    QVERIFY(progress.keepGoing(1234));
    auto *dialog = owner.findChild<QProgressDialog *>(u"WorkProgress"_s);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog->labelText(), u"Rows written: 1234"_s);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(progress.cancelled());
    QVERIFY(!progress.keepGoing(1235));
}

QTEST_MAIN(TestLoadCancel)
#include "tst_loadcancel.moc"
