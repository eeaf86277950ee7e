// Loading into the grid: Dynamic Load row by row and at frame pace, and files
// refused for the memory they would take.

#include "support/MainWindowFixture.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

using Window = MainWindowFixture;

} // namespace

class TestMainWindowLoading : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void dynamicLoadShowsEachRow_data();
    void dynamicLoadShowsEachRow();
    void binaryFileTooLarge_data();
    void binaryFileTooLarge();
    void databaseBeyondTheMemoryBudget_data();
    void databaseBeyondTheMemoryBudget();
    void dynamicLoadPaintsAtFramePace();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowLoading::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowLoading::dynamicLoadShowsEachRow_data()
{
    QTest::addColumn<bool>("dynamic");
    QTest::addColumn<bool>("alarms");
    QTest::newRow("data file, dynamic") << true << false;
    QTest::newRow("alarm file, dynamic") << true << true;
    QTest::newRow("data file, at once") << false << false;
    QTest::newRow("alarm file, at once") << false << true;
}

void TestMainWindowLoading::dynamicLoadShowsEachRow()
{
    QFETCH(bool, dynamic);
    QFETCH(bool, alarms);
    QList<AlarmRecord> list(30);
    const QString file = path(alarms ? u"Alarm.db"_s : u"data.bin"_s);
    QVERIFY(writeFile(file, alarms ? alarmFile(list) : dataFile(30)));
    Window w;
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    if (dynamic)
        w.action("dynamicLoadAction")->trigger();
    QCOMPARE(w.main->dynamicLoad(), dynamic);
    auto *view = w.child<RecordGridView>("recordGrid");
    w.open(file);
    QCOMPARE(w.main->grid().rows(), 31);
    // Shown row by row, the grid ends on the last record; loaded at once it
    // has no current row.
    if (dynamic)
        QCOMPARE(view->currentIndex().row(), 29);
    else
        QVERIFY(!view->currentIndex().isValid() || view->currentIndex().row() == 0);
    // The option plays no part in a format change.
    if (!alarms) {
        view->setCurrentIndex({});
        QVERIFY(w.pick(w.formats(), 2));
        QVERIFY(!view->currentIndex().isValid() || view->currentIndex().row() == 0);
    }
}

void TestMainWindowLoading::binaryFileTooLarge_data()
{
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("message");

    // 1000 records of 32 bytes; the file is 32,032 bytes.
    const QString data = u"Norvale: 文件太大：1000 条记录需要约 0.1 GB 内存（文件大小 32 KB）"_s;
    QTest::newRow("refused before reading") << false << u"budget"_s << false << data;
    QTest::newRow("refused, English")
        << false << u"budget"_s << true
        << u"Norvale: File too large: 1000 records need about 0.1 GB of memory (file size 32 KB)"_s;
    QTest::newRow("no memory for the rows") << false << u"rows"_s << false << data;
    QTest::newRow("no memory for the texts") << false << u"texts"_s << false << data;
    QTest::newRow("no memory for the texts, dynamic load")
        << false << u"dynamic"_s << false << data;
    QTest::newRow("format change refused") << false << u"format budget"_s << false << data;
    QTest::newRow("no memory for a format change") << false << u"format"_s << false << data;
    // 1000 alarms of 112 bytes in a file of 112,112 bytes.
    const QString alarms = u"Norvale: 文件太大：1000 条记录需要约 0.1 GB 内存（文件大小 110 KB）"_s;
    QTest::newRow("alarms refused") << true << u"budget"_s << false << alarms;
    QTest::newRow("no memory for the alarms") << true << u"texts"_s << false << alarms;
}

void TestMainWindowLoading::binaryFileTooLarge()
{
    QFETCH(bool, alarms);
    QFETCH(QString, when);
    QFETCH(bool, english);
    QFETCH(QString, message);
    QList<AlarmRecord> alarmList(1000);
    const QString file = alarms ? path(u"Alarm.db"_s) : path(u"data.bin"_s);
    QVERIFY(writeFile(file, alarms ? alarmFile(alarmList) : dataFile(1000)));
    Window w;
    w.main->show();
    if (english)
        w.main->switchToEnglish();
    RecordGridModel &grid = w.main->grid();
    // The grid keeps the records' bytes: none of them fit, or half of them.
    const qint64 records = 1000 * (alarms ? 112 : 32);
    if (when == u"budget")
        w.budget = records - 1;
    else if (when == u"rows")
        grid.setMemoryLimit(1000);
    else if (when == u"texts" || when == u"dynamic")
        grid.setMemoryLimit(records / 2);
    if (when == u"dynamic")
        w.action("dynamicLoadAction")->trigger();
    w.open(file);
    if (when.startsWith(u"format")) {
        QCOMPARE(grid.rows(), 1001);
        QVERIFY(w.sink.take().isEmpty());
        if (when == u"format budget")
            w.budget = records - 1;
        else
            grid.setMemoryLimit(grid.memoryUse() - 1);
        QVERIFY(w.pick(w.formats(), 2));
    }
    QCOMPARE(w.sink.take(), QStringList {message});
    QCOMPARE(shape(grid), emptyGridText());
    QCOMPARE(w.count(), english ? u"Sum Data:0"_s : u"数据条数:0"_s);
    // Refused on opening, the format list stays off; after a format change
    // it stays on for a narrower format to be tried.
    QCOMPARE(w.formats()->isEnabled(), when.startsWith(u"format"));
    QCOMPARE(grid.rowCount(), 1);
}

void TestMainWindowLoading::databaseBeyondTheMemoryBudget_data()
{
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<bool>("refused");
    // 5000 rows keep a few hundred kilobytes at least.
    QTest::newRow("records within") << false << qint64(1) << false;
    QTest::newRow("records beyond") << false << qint64(100 << 10) << true;
    QTest::newRow("alarms within") << true << qint64(1) << false;
    QTest::newRow("alarms beyond") << true << qint64(100 << 10) << true;
}

void TestMainWindowLoading::databaseBeyondTheMemoryBudget()
{
    QFETCH(bool, alarms);
    QFETCH(qint64, budget);
    QFETCH(bool, refused);
    const QString file = path(alarms ? u"Alarm.db"_s : u"Buffer.db"_s);
    QByteArray rows
        = alarms ? "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);" : createBuffer(1);
    rows += "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r LIMIT 5000) ";
    rows += alarms ? "INSERT INTO Ldata SELECT n, 't' || n, n, 'alarm ' || n FROM r;"
                   : "INSERT INTO Buffer1 SELECT n, 'd', 't' || n, n, 1, 2, 3, 4, 5, 6, 7, 8, 9 "
                     "FROM r;";
    QVERIFY(sql(file, rows));
    Window w;
    w.main->show();
    // 1 stands for plenty: the budget in force is then the machine's.
    w.budget = budget == 1 ? std::optional<qint64>() : std::optional<qint64>(budget);
    w.open(file);
    RecordGridModel &grid = w.main->grid();
    if (!refused) {
        QCOMPARE(grid.rows(), 5001);
        QVERIFY(w.sink.take().isEmpty());
        return;
    }
    const QStringList said = w.sink.take();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().startsWith(u"Norvale: 文件太大："_s), qPrintable(said.first()));
    QCOMPARE(shape(grid), emptyGridText());
    QCOMPARE(w.count(), u"数据条数:0"_s);
}

void TestMainWindowLoading::dynamicLoadPaintsAtFramePace()
{
    // With Dynamic Load every record becomes the current row, but the grid
    // is painted at most once per sixtieth of a second, and once at the end.
    const int records = 20000;
    const QString file = path(u"data.bin"_s);
    QVERIFY(writeFile(file, dataFile(records)));
    Window w;
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    w.action("dynamicLoadAction")->trigger();
    auto *view = w.child<RecordGridView>("recordGrid");

    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    view->viewport()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    w.open(file);
    const qint64 elapsed = clock.elapsed();
    const int during = counter.paints;
    QCOMPARE(w.main->grid().rows(), records + 1);
    QCOMPARE(view->currentIndex().row(), records - 1);
    QVERIFY2(during >= 1, "no picture while loading");
    QVERIFY2(during <= elapsed * 60 / 1000 + 2,
             qPrintable(u"%1 paints in %2 ms"_s.arg(during).arg(elapsed)));
    // The last rows show once the load returns.
    QTRY_VERIFY(counter.paints > during);
    QVERIFY(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));
}

QTEST_MAIN(TestMainWindowLoading)
#include "tst_mainwindow_loading.moc"
