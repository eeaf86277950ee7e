// Opening each kind of file through the open dialog, and a cancelled dialog.

#include "support/MainWindowFixture.h"

#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

const QColor Blue(0, 0, 255);
const QColor Olive(128, 128, 0);

using Window = MainWindowFixture;

} // namespace

class TestMainWindowOpening : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void openingEachKindOfFile_data();
    void openingEachKindOfFile();
    void cancelledDialogChangesNothing();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowOpening::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowOpening::openingEachKindOfFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make"); // how the file is made, see the test
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("grid"); // shape()
    QTest::addColumn<QString>("count");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("buffersOn");
    QTest::addColumn<bool>("formatsOn");

    const QStringList invalid = {u"Norvale: Invalid Database"_s};
    QTest::newRow("text file of 100 bytes")
        << u"notes.db"_s << u"text"_s << false << invalid << emptyGridText() << u"数据条数:0"_s
        << Blue << false << false;
    QTest::newRow("text file, English")
        << u"notes.db"_s << u"text"_s << true << invalid << emptyGridText() << u"Sum Data:0"_s
        << Blue << false << false;
    QTest::newRow("10 bytes") << u"ten.db"_s << u"ten"_s << false << QStringList {}
                              << emptyGridText() << u"数据条数:0"_s << Blue << false << false;
    QTest::newRow("0 bytes") << u"empty.db"_s << u"zero"_s << false << QStringList {}
                             << emptyGridText() << u"数据条数:0"_s << Blue << false << false;
    QTest::newRow("directory") << u"folder.db"_s << u"dir"_s << false << QStringList {}
                               << emptyGridText() << u"数据条数:0"_s << Blue << false << false;
    QTest::newRow("named pipe") << u"pipe.db"_s << u"fifo"_s << false << QStringList {}
                                << emptyGridText() << u"数据条数:0"_s << Blue << false << false;
    QTest::newRow("missing path") << u"gone.db"_s << u"none"_s << false << QStringList {}
                                  << emptyGridText() << u"数据条数:0"_s << Blue << false << false;
    QTest::newRow("binary data, 3 records and 20 bytes")
        << u"data.bin"_s << u"data3"_s << false << QStringList {} << u"4x13"_s << u"数据条数:3"_s
        << Blue << false << true;
    QTest::newRow("binary data, header only")
        << u"data.bin"_s << u"data0"_s << false << QStringList {} << u"1x13"_s << u"数据条数:0"_s
        << Blue << false << true;
    QTest::newRow("binary data, one record")
        << u"data.bin"_s << u"data1"_s << true << QStringList {} << u"2x13"_s << u"Sum Data:0"_s
        << Blue << false << true;
    QTest::newRow("signed file starting with SQLite")
        << u"data.db"_s << u"sqlite-signed"_s << false << QStringList {} << u"4x13"_s
        << u"数据条数:3"_s << Blue << false << true;
    QTest::newRow("binary alarms") << u"Alarm.db"_s << u"alarms2"_s << false << QStringList {}
                                   << u"3x4"_s << u"数据条数:2"_s << Blue << false << false;
    QTest::newRow("binary alarms, header only")
        << u"Alarm.db"_s << u"alarms0"_s << false << QStringList {} << u"1x4"_s << u"数据条数:0"_s
        << Blue << false << false;
    QTest::newRow("alarm database, empty Ldata")
        << u"Alarm.db"_s << u"ldata-empty"_s << false << QStringList {} << u"1x4"_s
        << u"数据条数:0"_s << Olive << false << false;
    QTest::newRow("alarm database, 40 alarms")
        << u"Alarm.db"_s << u"ldata40"_s << false << QStringList {} << u"41x4"_s << u"数据条数:40"_s
        << Olive << false << false;
    QTest::newRow("data records saved as Alarm.db")
        << u"Alarm.db"_s << u"records"_s << false << invalid << u"2x4"_s << u"数据条数:0"_s << Blue
        << false << false;
    QTest::newRow("alarm database as alarm.db")
        << u"alarm.db"_s << u"ldata40"_s << true
        << QStringList {u"Norvale: < Reco#1 > No Create！"_s} << emptyGridText() << u"Sum Data:0"_s
        << Blue << true << true;
    QTest::newRow("data record database")
        << u"records.db"_s << u"records"_s << false << QStringList {} << u"251x13"_s
        << u"数据条数:250"_s << Olive << true << true;
    QTest::newRow("data record database, Buffer1 empty")
        << u"records.db"_s << u"records-empty1"_s << false
        << QStringList {u"Ostrevain: < 记录#1 > 没有数据！"_s} << u"2x13"_s << u"数据条数:0"_s
        << Blue << true << true;
    QTest::newRow("SQLite header, garbage after")
        << u"broken.db"_s << u"sqlite-garbage"_s << false
        << QStringList {u"Norvale: < 记录#1 > 没有创建！"_s} << emptyGridText() << u"数据条数:0"_s
        << Blue << true << true;
}

void TestMainWindowOpening::openingEachKindOfFile()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(bool, english);
    QFETCH(QStringList, messages);
    QFETCH(QString, grid);
    QFETCH(QString, count);
    QFETCH(QColor, colour);
    QFETCH(bool, buffersOn);
    QFETCH(bool, formatsOn);

    const QString file = path(name);
    bool made = true;
    if (make == u"text")
        made = writeFile(file, QByteArray(100, 'T'));
    else if (make == u"ten")
        made = writeFile(file, "0123456789");
    else if (make == u"zero")
        made = writeFile(file, "");
    else if (make == u"dir")
        made = QDir().mkpath(file);
    else if (make == u"fifo")
        made = ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0;
    else if (make == u"data3")
        made = writeFile(file, dataFile(3) + QByteArray(20, 'z'));
    else if (make == u"data0")
        made = writeFile(file, dataFile(0));
    else if (make == u"data1")
        made = writeFile(file, dataFile(1));
    else if (make == u"sqlite-signed")
        made = writeFile(file, dataFile(3).replace(0, 6, "SQLite"));
    else if (make == u"alarms2")
        made = writeFile(file, alarmFile({AlarmRecord {}, AlarmRecord {}}));
    else if (make == u"alarms0")
        made = writeFile(file, alarmFile({}));
    else if (make == u"ldata-empty")
        made = sql(file, "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);");
    else if (make == u"ldata40")
        made = makeSample({u"alarm-db"_s, file, u"--records"_s, u"40"_s});
    else if (make == u"records")
        made = makeSample({u"data-db"_s, file, u"--records"_s, u"250"_s});
    else if (make == u"records-empty1")
        made = makeSample({u"data-db"_s, file, u"--buffers"_s, u"1:0"_s});
    else if (make == u"sqlite-garbage")
        made = writeFile(file, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xA5'));
    QVERIFY(made);

    Window w;
    w.main->show();
    if (english)
        w.action("englishAction")->trigger();
    // A previous load, so that a reset shows.
    const QString previous = path(u"previous.bin"_s);
    QVERIFY(writeFile(previous, dataFile(7)));
    w.open(previous);
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.main->grid().cols(), 8);

    const auto before = folderState(m_dir->path());
    w.open(file);
    QCOMPARE(folderState(m_dir->path()), before); // nothing written, created or removed
    for (const RecordedMessage &m : std::as_const(w.sink.messages)) {
        QCOMPARE(m.owner, w.main.get());
        QCOMPARE(m.icon, MessageIcon::Information);
    }
    QCOMPARE(w.sink.take(), messages);
    QCOMPARE(shape(w.main->grid()), grid);
    QCOMPARE(w.count(), count);
    QCOMPARE(w.main->countDisplayColour(), colour);
    QCOMPARE(w.buffers()->isEnabled(), buffersOn);
    QCOMPARE(w.formats()->isEnabled(), formatsOn);
    QCOMPARE(w.formats()->currentIndex(), 0);
    QCOMPARE(w.buffers()->currentIndex(), 0);
    QCOMPARE(w.main->openFileName(), file);
    QVERIFY(w.main->windowTitle().endsWith(u" -[ "_s + file + u" ]"_s));
    const RecordGridModel &g = w.main->grid();
    if (g.cols() == 13)
        QCOMPARE(w.row(0), dataTitles(!english, false));
    if (g.cols() == 4) {
        QCOMPARE(g.cell(2, 0), english ? u"Alarm No."_s : u"报警编号"_s);
        QCOMPARE(g.colWidth(0), 60);
        QCOMPARE(g.colWidth(1), 150);
        QCOMPARE(g.colWidth(2), 68);
        QCOMPARE(g.colWidth(3), 200);
    }
}

void TestMainWindowOpening::cancelledDialogChangesNothing()
{
    const QString file = path(u"three.bin"_s);
    QVERIFY(writeFile(file, dataFile(3)));
    Window w;
    w.main->show();
    w.open(file);
    const QString title = w.main->windowTitle();
    const auto rows = gridRows(w.main->grid());
    w.open(QString());
    QCOMPARE(w.chooser.asked, 2);
    QCOMPARE(w.main->windowTitle(), title);
    QCOMPARE(gridRows(w.main->grid()), rows);
    QCOMPARE(w.count(), u"数据条数:3"_s);
    QVERIFY(w.formats()->isEnabled());
    QCOMPARE(w.main->openFileName(), file);
}

QTEST_MAIN(TestMainWindowOpening)
#include "tst_mainwindow_opening.moc"
