#include "curvewindow/CurveWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "platform/MemoryBudget.h"
#include "platform/MessageSink.h"
#include "platform/OptionsStore.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

const QColor Blue(0, 0, 255);
const QColor Olive(128, 128, 0);

// One main window with recording services, as the program builds it.
struct Window
{
    explicit Window(OptionsStore *options = nullptr)
    {
        MainWindowServices services;
        services.messages = &sink;
        services.files = &chooser;
        services.options = options;
        services.memoryBudget = [this]() -> std::optional<qint64> {
            return budget ? budget : availablePhysicalMemory();
        };
        main = std::make_unique<MainWindow>(services);
    }

    template<typename T> T *child(const char *name) const
    {
        T *found = main->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    QComboBox *buffers() const { return child<QComboBox>("bufferList"); }
    QComboBox *formats() const { return child<QComboBox>("displayFormatList"); }
    QString count() const { return child<QPushButton>("recordCountButton")->text(); }
    QAction *action(const char *name) const { return child<QAction>(name); }

    void open(const QString &file)
    {
        chooser.file = file;
        child<QPushButton>("openButton")->click();
    }
    // Picks an item as a user does: the list must be enabled.
    bool pick(QComboBox *list, int index)
    {
        if (!list->isEnabled())
            return false;
        list->setCurrentIndex(index);
        return true;
    }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < main->grid().cols(); ++c)
            cells << main->grid().cell(c, r);
        return cells;
    }

    MessageRecorder sink;
    PickedFile chooser;
    // Memory the grid may take; the machine's when not set.
    std::optional<qint64> budget;
    std::unique_ptr<MainWindow> main;
};

QList<QStringList> gridRows(const RecordGridModel &grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.cols(); ++c)
            cells << grid.cell(c, r);
        rows << cells;
    }
    return rows;
}

QString emptyGridText()
{
    return u"2x2 empty"_s;
}

// "RxC" and whether every cell is empty, to compare grid states briefly.
QString shape(const RecordGridModel &grid)
{
    bool empty = true;
    for (int r = 0; r < grid.rows() && empty; ++r)
        for (int c = 0; c < grid.cols() && empty; ++c)
            empty = grid.cell(c, r).isEmpty();
    return u"%1x%2%3"_s.arg(grid.rows()).arg(grid.cols()).arg(empty ? u" empty"_s : QString());
}

QStringList dataTitles(bool chinese, bool wide)
{
    QStringList t = chinese ? QStringList {u"数据ID"_s, u"记录日期"_s, u"记录时间"_s}
                            : QStringList {u"Data ID"_s, u"Record Date"_s, u"Record Time"_s};
    for (int i = 0; i < 10; i += wide ? 2 : 1)
        t << (chinese ? u"数据(%1)"_s : u"Data(%1)"_s).arg(i);
    return t;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void startsWithToolbarInPlace_data();
    void startsWithToolbarInPlace();
    void optionsAtStart_data();
    void optionsAtStart();
    void closingWritesOptions_data();
    void closingWritesOptions();
    void languageSwitchAfterOpening();

    void openingEachKindOfFile_data();
    void openingEachKindOfFile();
    void cancelledDialogChangesNothing();
    void pickingBuffers();
    void clearThenPickBufferLoadsInSelectedFormat();
    void formatChangesOnDatabase();
    void formatChangesOnBinaryFile();
    void binaryFileGoneBeforeFormatChange_data();
    void binaryFileGoneBeforeFormatChange();
    void dynamicLoadShowsEachRow_data();
    void dynamicLoadShowsEachRow();
    void curveButtonShowsCurveWindow();
    void gridViewFollowsLayout();
    void columnEdgeDoubleClickFitsTexts_data();
    void columnEdgeDoubleClickFitsTexts();
    void binaryFileTooLarge_data();
    void binaryFileTooLarge();
    void databaseBeyondTheMemoryBudget_data();
    void databaseBeyondTheMemoryBudget();
    void disabledListsLookDisabled();
    void toolbarCaptionsFit_data();
    void toolbarCaptionsFit();
    void outerSizeAndMinimumSize();
    void tabLeavesTheGrid_data();
    void tabLeavesTheGrid();
    void dynamicLoadPaintsAtFramePace();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // A data record database: Buffer1 250 rows, Buffer2 none, Buffer3 5, no Buffer12.
    QString recordDatabase();
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestMainWindow::recordDatabase()
{
    const QString file = path(u"records.db"_s);
    if (!QFile::exists(file))
        makeSample(
            {u"data-db"_s, file, u"--records"_s, u"5"_s, u"--buffers"_s, u"1:250,2:0,12:-"_s});
    return file;
}

void TestMainWindow::startsWithToolbarInPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("menu button") << u"menuButton"_s << QRect(3, 5, 16, 27) << QString();
    QTest::newRow("open") << u"openButton"_s << QRect(23, 4, 78, 28) << u"打开"_s;
    QTest::newRow("clear") << u"clearButton"_s << QRect(106, 4, 75, 28) << u"清除"_s;
    QTest::newRow("count") << u"recordCountButton"_s << QRect(187, 4, 156, 28) << u"数据条数:0"_s;
    QTest::newRow("export") << u"exportButton"_s << QRect(620, 4, 118, 28) << u"导出Excel"_s;
    QTest::newRow("curve") << u"curvesButton"_s << QRect(742, 4, 118, 28) << u"输出曲线"_s;
}

void TestMainWindow::startsWithToolbarInPlace()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    Window w;
    w.main->show();
    auto *control = w.main->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), caption);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66"_s);
    QVERIFY(!w.buffers()->isEnabled());
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(w.buffers()->count(), 12);
    QCOMPARE(w.buffers()->itemText(11), u"记录#12"_s);
    QCOMPARE(w.formats()->count(), 5);
    QCOMPARE(w.formats()->itemText(4), u"32bit Float"_s);
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QVERIFY(w.sink.messages.isEmpty());
}

void TestMainWindow::optionsAtStart_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no store file; "-": store cannot be created
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("dynamic");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("storeExistsAfter");

    QTest::newRow("first start: store created, defaults")
        << QByteArray() << true << false << QStringList {} << true;
    QTest::newRow("N7 without N2: nothing applied")
        << QByteArray("[General]\nN7=1\n") << true << false << QStringList {} << true;
    QTest::newRow("N2=0, N7=5") << QByteArray("[General]\nN2=0\nN7=5\n") << false << true
                                << QStringList {} << true;
    QTest::newRow("N2=1, N7=0") << QByteArray("[General]\nN2=1\nN7=0\n") << true << false
                                << QStringList {} << true;
    QTest::newRow("N2 no integer: reading stops")
        << QByteArray("[General]\nN2=yes\nN7=1\n") << true << false << QStringList {} << true;
    QTest::newRow("N2 read, N7 no integer")
        << QByteArray("[General]\nN2=0\nN7=abc\n") << false << false << QStringList {} << true;
    QTest::newRow("empty store") << QByteArray("") << true << false << QStringList {} << true;
    QTest::newRow("store cannot be created")
        << QByteArray("-") << true << false << QStringList {u"Registry: CreateKey Fail！"_s}
        << false;
}

void TestMainWindow::optionsAtStart()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, chinese);
    QFETCH(bool, dynamic);
    QFETCH(QStringList, messages);
    QFETCH(bool, storeExistsAfter);

    QString file = path(u"config/kt_Norvale/Norvale.conf"_s);
    if (ini == "-") {
        // A regular file where the folder should be: no folder can be made.
        QVERIFY(writeFile(path(u"config"_s), "not a folder"));
    } else if (!ini.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(writeFile(file, ini));
    }
    OptionsStore store(file);
    Window w(&store);
    for (const RecordedMessage &m : std::as_const(w.sink.messages)) {
        QCOMPARE(m.icon, MessageIcon::Warning);
        QVERIFY(m.stayOnTop);
    }
    QCOMPARE(w.sink.take(), messages);
    w.main->show();
    QCOMPARE(w.main->language(), (chinese ? Language::Chinese : Language::English));
    QCOMPARE(w.action("chineseAction")->isChecked(), chinese);
    QCOMPARE(w.action("englishAction")->isChecked(), !chinese);
    QCOMPARE(w.action("dynamicLoadAction")->isChecked(), dynamic);
    QCOMPARE(w.child<QPushButton>("openButton")->text(), chinese ? u"打开"_s : u"Open"_s);
    QCOMPARE(w.child<QPushButton>("exportButton")->text(),
             chinese ? u"导出Excel"_s : u"ExportXLS"_s);
    QCOMPARE(w.count(), chinese ? u"数据条数:0"_s : u"Sum Data:0"_s);
    QCOMPARE(w.main->windowTitle(),
             chinese ? u"HMI 数据库浏览器 V1.66"_s : u"HMI Database Browser V1.66"_s);
    QCOMPARE(w.buffers()->itemText(0), chinese ? u"记录#1"_s : u"Reco#1"_s);
    QCOMPARE(QFileInfo(file).isFile(), storeExistsAfter);

    w.main->close();
    QCOMPARE(QFileInfo(file).isFile(), storeExistsAfter);
    if (storeExistsAfter) {
        QSettings written(file, QSettings::IniFormat);
        QCOMPARE(written.value(u"N2"_s).toInt(), chinese ? 1 : 0);
        QCOMPARE(written.value(u"N7"_s).toInt(), dynamic ? 1 : 0);
    }
}

void TestMainWindow::closingWritesOptions_data()
{
    QTest::addColumn<bool>("throughMenu");
    QTest::addColumn<bool>("storeExists");
    QTest::newRow("menu Exit") << true << true;
    QTest::newRow("close box") << false << true;
    QTest::newRow("close box, store removed meanwhile") << false << false;
}

void TestMainWindow::closingWritesOptions()
{
    QFETCH(bool, throughMenu);
    QFETCH(bool, storeExists);
    const QString file = path(u"Norvale.conf"_s);
    OptionsStore store(file);
    Window w(&store);
    QVERIFY(QFileInfo::exists(file));
    w.main->show();
    w.action("englishAction")->trigger(); // English
    QSignalSpy toggled(w.action("dynamicLoadAction"), &QAction::toggled);
    w.action("dynamicLoadAction")->trigger(); // Dynamic Load on
    QVERIFY(w.action("dynamicLoadAction")->isChecked());
    QCOMPARE(toggled.size(), 1);
    QCOMPARE(w.main->language(), Language::English);
    if (!storeExists)
        QVERIFY(QFile::remove(file));
    QSignalSpy closed(w.main.get(), &MainWindow::closed);
    if (throughMenu)
        w.action("exitAction")->trigger();
    else
        w.main->close();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!w.main->isVisible());
    QCOMPARE(QFileInfo::exists(file), storeExists);
    if (storeExists) {
        QSettings written(file, QSettings::IniFormat);
        QCOMPARE(written.value(u"N2"_s).toString(), u"0"_s);
        QCOMPARE(written.value(u"N7"_s).toString(), u"1"_s);
        // The next start reads them back.
        OptionsStore again(file);
        Window next(&again);
        QCOMPARE(next.main->language(), Language::English);
        QVERIFY(next.action("dynamicLoadAction")->isChecked());
        QVERIFY(next.action("englishAction")->isChecked());
    }
    QVERIFY(w.sink.messages.isEmpty());
}

void TestMainWindow::languageSwitchAfterOpening()
{
    const QString file = path(u"three.bin"_s);
    QVERIFY(writeFile(file, dataFile(3)));
    Window w;
    w.main->show();
    w.open(file);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + file + u" ]"_s);
    QCOMPARE(w.count(), u"数据条数:3"_s);

    w.action("englishAction")->trigger();
    // The title keeps the file's path.
    QCOMPARE(w.main->windowTitle(), u"HMI Database Browser V1.66 -[ "_s + file + u" ]"_s);
    QCOMPARE(w.row(0), dataTitles(true, false)); // titles stay in the old language
    QCOMPARE(w.count(), u"Sum Data:3"_s);
    QCOMPARE(w.child<QPushButton>("openButton")->text(), u"Open"_s);
    QCOMPARE(w.child<QPushButton>("clearButton")->text(), u"Clear"_s);
    QCOMPARE(w.child<QPushButton>("exportButton")->text(), u"ExportXLS"_s);
    QCOMPARE(w.child<QPushButton>("curvesButton")->text(), u"OutCurve"_s);
    QCOMPARE(w.action("dynamicLoadAction")->text(), u"Dynamic Load(&D)"_s);
    QCOMPARE(w.action("exitAction")->text(), u"Exit(&E)"_s);
    QCOMPARE(w.action("chineseAction")->text(), u"中文(&C)"_s);
    QCOMPARE(w.action("englishAction")->text(), u"English(&E)"_s);
    QVERIFY(w.action("englishAction")->isChecked());
    QVERIFY(!w.action("chineseAction")->isChecked());

    // A database showing buffer 3: after the switch the list still names it.
    const QString database = recordDatabase();
    w.open(database);
    QVERIFY(w.pick(w.buffers(), 2));
    QCOMPARE(w.main->grid().rows(), 6);
    QVERIFY(w.sink.messages.isEmpty());
    w.action("chineseAction")->trigger();
    QCOMPARE(w.buffers()->currentIndex(), 2);
    QCOMPARE(w.buffers()->currentText(), u"记录#3"_s);
    QCOMPARE(w.buffers()->itemText(0), u"记录#1"_s);
    QCOMPARE(w.buffers()->count(), 12);
    QVERIFY(w.buffers()->isEnabled());
    QVERIFY(w.formats()->isEnabled());
    QCOMPARE(w.main->grid().rows(), 6); // nothing reloaded
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + database + u" ]"_s);
    // Choosing the language already set applies it again.
    w.action("chineseAction")->trigger();
    QVERIFY(w.action("chineseAction")->isChecked());
    QCOMPARE(w.buffers()->currentText(), u"记录#3"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + database + u" ]"_s);
    QVERIFY(w.sink.messages.isEmpty());

    // F5 reads again the buffer the list and the grid show, in the new language.
    w.action("englishAction")->trigger();
    QCOMPARE(w.buffers()->currentText(), u"Reco#3"_s);
    w.action("Reload")->trigger();
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.buffers()->currentIndex(), 2);
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(w.count(), u"Sum Data:5"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI Database Browser V1.66 -[ "_s + database + u" ]"_s);
}

void TestMainWindow::openingEachKindOfFile_data()
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

void TestMainWindow::openingEachKindOfFile()
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

void TestMainWindow::cancelledDialogChangesNothing()
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

void TestMainWindow::pickingBuffers()
{
    Window w;
    w.main->show();
    w.open(recordDatabase());
    QCOMPARE(w.main->grid().rows(), 251);
    const auto loaded = gridRows(w.main->grid());

    // Buffer2 has no rows: message, grid and count untouched, and the view
    // keeps its current row.
    auto *view = w.main->findChild<QTableView *>(u"recordGrid"_s);
    QVERIFY(view);
    view->setCurrentIndex(view->model()->index(120, 2));
    QVERIFY(w.pick(w.buffers(), 1));
    QCOMPARE(view->currentIndex().row(), 120);
    QCOMPARE(w.sink.take(), QStringList {u"Ostrevain: < 记录#2 > 没有数据！"_s});
    QCOMPARE(gridRows(w.main->grid()), loaded);
    QCOMPARE(w.count(), u"数据条数:250"_s);
    QCOMPARE(w.buffers()->currentText(), u"记录#2"_s);

    QVERIFY(w.pick(w.buffers(), 2));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QCOMPARE(w.main->countDisplayColour(), Olive);

    // English, no table Buffer12.
    w.action("englishAction")->trigger();
    QVERIFY(w.pick(w.buffers(), 11));
    // The text as it always was; the library's reason goes with it as the box's details.
    QCOMPARE(w.sink.causes(), QStringList {u"no such table: Buffer12"_s});
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: < Reco#12 > No Create！"_s});
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QCOMPARE(w.count(), u"Sum Data:0"_s);
    QVERIFY(w.buffers()->isEnabled());
    QVERIFY(w.formats()->isEnabled());

    // Back to buffer 1 loads it afresh in the language of the moment.
    QVERIFY(w.pick(w.buffers(), 0));
    QCOMPARE(w.main->grid().rows(), 251);
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(gridRows(w.main->grid()).mid(1), loaded.mid(1));
}

void TestMainWindow::clearThenPickBufferLoadsInSelectedFormat()
{
    Window w;
    w.main->show();
    w.open(recordDatabase());
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.main->grid().cols(), 8);
    const QColor colour = w.main->countDisplayColour();

    w.child<QPushButton>("clearButton")->click();
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QCOMPARE(w.count(), u"数据条数:0"_s);
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(w.formats()->currentIndex(), 3);
    QVERIFY(w.buffers()->isEnabled());
    QCOMPARE(w.main->countDisplayColour(), colour);
    QVERIFY(w.main->windowTitle().contains(w.main->openFileName()));

    QVERIFY(w.pick(w.buffers(), 2));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.main->grid().cols(), 8);
    QCOMPARE(w.row(0), dataTitles(true, true));
    QCOMPARE(w.main->grid().cell(3, 1).size(), 8); // hexadecimal
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QVERIFY(!w.formats()->isEnabled());
}

void TestMainWindow::formatChangesOnDatabase()
{
    const QString file = path(u"values.db"_s);
    QVERIFY(sql(file,
                createBuffer(1) + insertBuffer(1, 1, "d", "t", {"0", "16320", "-1", "1"})
                    + insertBuffer(1, 2, "d", "t", {"0", "16320", "-1", "1"})));
    Window w;
    w.main->show();
    w.open(file);
    QCOMPARE(w.row(1).mid(3, 4), (QStringList {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s}));
    const QStringList expected[] = {
        {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s},
        {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s},
        {u"1069547520"_s, u"65535"_s, u"0"_s},
        {u"3FC00000"_s, u"0000FFFF"_s, u"00000000"_s},
        {u"1.500000"_s, u"0.000000"_s, u"0.000000"_s},
    };
    for (int format : {3, 0, 4, 2, 1}) {
        QVERIFY(w.pick(w.formats(), format));
        const QStringList &values = expected[format];
        QCOMPARE(w.main->grid().cols(), format >= 2 ? 8 : 13);
        QCOMPARE(w.row(0), dataTitles(true, format >= 2));
        QCOMPARE(w.row(2).mid(3, values.size()), values);
        QCOMPARE(w.count(), u"数据条数:2"_s);
    }
    QVERIFY(w.sink.messages.isEmpty());

    // A NULL makes formats 1 to 3 fail as a whole.
    QVERIFY(sql(file, "UPDATE Buffer1 SET N5 = NULL WHERE ID = 2;"));
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: < 记录#1 > 没有创建！"_s});
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QVERIFY(w.pick(w.formats(), 4));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.row(2).mid(3, 2), (QStringList {u"1.500000"_s, u"0.0"_s}));
}

void TestMainWindow::formatChangesOnBinaryFile()
{
    DataRecord r;
    r.words = {0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 0x8000, 0, 0, 0};
    const QString file = path(u"words.bin"_s);
    QVERIFY(writeFile(file, dataFile({r, r, r})));
    Window w;
    w.main->show();
    w.open(file);
    const auto opened = gridRows(w.main->grid());
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.main->grid().cols(), 8);
    QCOMPARE(w.main->grid().colWidth(5), 120);
    QCOMPARE(w.row(0), dataTitles(true, true));
    QCOMPARE(
        w.row(3).mid(3),
        (QStringList {u"3FC00000"_s, u"FFFFFFFF"_s, u"80000000"_s, u"00008000"_s, u"00000000"_s}));
    QCOMPARE(w.count(), u"数据条数:3"_s);
    QVERIFY(w.pick(w.formats(), 1));
    QCOMPARE(w.main->grid().cols(), 13);
    QCOMPARE(
        w.row(3).mid(3, 7),
        (QStringList {u"0"_s, u"16320"_s, u"-1"_s, u"-1"_s, u"0"_s, u"-32768"_s, u"-32768"_s}));
    QVERIFY(w.pick(w.formats(), 0));
    QCOMPARE(gridRows(w.main->grid()), opened);
    QVERIFY(w.sink.messages.isEmpty());
    QVERIFY(!w.buffers()->isEnabled());
}

void TestMainWindow::binaryFileGoneBeforeFormatChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("grid");
    QTest::newRow("replaced by a file without the signature") << u"unsigned"_s << emptyGridText();
    QTest::newRow("replaced by a SQLite file") << u"sqlite"_s << emptyGridText();
    QTest::newRow("deleted") << u"deleted"_s << u"unchanged"_s;
    QTest::newRow("cut to 20 bytes") << u"short"_s << u"unchanged"_s;
}

void TestMainWindow::binaryFileGoneBeforeFormatChange()
{
    QFETCH(QString, change);
    QFETCH(QString, grid);
    const QString file = path(u"data.bin"_s);
    QVERIFY(writeFile(file, dataFile(5)));
    Window w;
    w.main->show();
    w.open(file);
    const auto opened = gridRows(w.main->grid());
    if (change == u"unsigned")
        QVERIFY(writeFile(file, QByteArray(32 * 6, 'x')));
    else if (change == u"sqlite")
        QVERIFY(QFile::remove(file) && sql(file, createBuffer(1)));
    else if (change == u"deleted")
        QVERIFY(QFile::remove(file));
    else if (change == u"short")
        QVERIFY(QFile::resize(file, 20));
    // The pick reports the failure its message told of.
    QVERIFY(!w.main->pickFormat(ValueFormat::Format::Float32));
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: Invalid Database"_s});
    if (grid == u"unchanged")
        QCOMPARE(gridRows(w.main->grid()), opened);
    else
        QCOMPARE(shape(w.main->grid()), grid);
    QCOMPARE(QFileInfo::exists(file), change != u"deleted");
    // A lost signature leaves the count display's text as it was, although
    // the grid is emptied; otherwise the grid and so the count are unchanged.
    QCOMPARE(w.count(), u"数据条数:5"_s);
}

void TestMainWindow::dynamicLoadShowsEachRow_data()
{
    QTest::addColumn<bool>("dynamic");
    QTest::addColumn<bool>("alarms");
    QTest::newRow("data file, dynamic") << true << false;
    QTest::newRow("alarm file, dynamic") << true << true;
    QTest::newRow("data file, at once") << false << false;
    QTest::newRow("alarm file, at once") << false << true;
}

void TestMainWindow::dynamicLoadShowsEachRow()
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

void TestMainWindow::curveButtonShowsCurveWindow()
{
    Window w;
    CurveWindow curves(*w.main);
    QObject::connect(w.main.get(), &MainWindow::curvesRequested, &curves,
                     &CurveWindow::showAndRaise);
    w.main->show();
    QVERIFY(!curves.isVisible());
    w.child<QPushButton>("curvesButton")->click();
    QVERIFY(curves.isVisible());
    QVERIFY(!curves.isModal());
    w.child<QPushButton>("curvesButton")->click();
    QVERIFY(curves.isVisible());
    curves.hide();
}

void TestMainWindow::gridViewFollowsLayout()
{
    const QString data = path(u"data.bin"_s);
    QVERIFY(writeFile(data, dataFile(12)));
    const QString alarms = path(u"Alarm.db"_s);
    QVERIFY(writeFile(alarms, alarmFile({AlarmRecord {}})));
    Window w;
    w.main->show();
    auto *view = w.child<RecordGridView>("recordGrid");
    QHeaderView *top = view->horizontalHeader();
    QHeaderView *left = view->verticalHeader();
    QCOMPARE(left->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(left->defaultSectionSize(), 20);
    QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);

    w.open(data);
    QVERIFY(w.pick(w.formats(), 3));
    // The ID column is the row header; grid column c is section c - 1.
    QCOMPARE(view->model()->rowCount(), 12);
    QCOMPARE(view->model()->columnCount(), 7);
    QCOMPARE(left->width(), 60);
    QCOMPARE(top->sectionSize(0), 80);
    QCOMPARE(top->sectionSize(1), 80);
    QCOMPARE(top->sectionSize(2), 120);
    QCOMPARE(top->sectionSize(6), 120);
    QCOMPARE(view->model()->headerData(2, Qt::Horizontal).toString(), u"数据(0)"_s);
    QCOMPARE(view->model()->headerData(11, Qt::Vertical).toString(), u"12"_s);

    w.open(alarms);
    QCOMPARE(view->model()->columnCount(), 3);
    QCOMPARE(left->width(), 60);
    QCOMPARE(top->sectionSize(0), 150);
    QCOMPARE(top->sectionSize(1), 68);
    QCOMPARE(top->sectionSize(2), 200);
    QCOMPARE(view->model()->headerData(2, Qt::Horizontal).toString(), u"报警内容"_s);
}

void TestMainWindow::columnEdgeDoubleClickFitsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("a long alarm text")
        << u"Pressure of pump 3 too high, valve V12 is closed"_s << 3;
    QTest::newRow("a long text among many rows")
        << u"Motor overload on conveyor 7: relay in cabinet B"_s << 5000;
    // Shorter than the column: it narrows to its texts, title included.
    QTest::newRow("short texts") << u"Stop"_s << 3;
}

void TestMainWindow::columnEdgeDoubleClickFitsTexts()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    QList<AlarmRecord> records;
    for (int i = 1; i <= rows; ++i) {
        AlarmRecord r;
        r.id = i;
        r.text = (i == 2 ? text : u"Alarm"_s).toStdU16String();
        records << r;
    }
    const QString alarms = path(u"Alarm.db"_s);
    QVERIFY(writeFile(alarms, alarmFile(records)));
    Window w;
    w.main->show();
    w.open(alarms);
    auto *view = w.child<RecordGridView>("recordGrid");
    QHeaderView *top = view->horizontalHeader();
    // The widths the layout gives stay until the user asks.
    QCOMPARE(top->sectionSize(2), 200);
    QCOMPARE(top->sectionSize(1), 68);
    QCOMPARE(w.main->grid().cell(3, 2), text);

    // A double-click on the title's right edge, as a user does it.
    const int edge = top->sectionViewportPosition(2) + top->sectionSize(2) - 1;
    QTest::mouseDClick(top->viewport(), Qt::LeftButton, {}, QPoint(edge, top->height() / 2));
    const QFontMetrics cells(view->font());
    const int needed = std::max(cells.horizontalAdvance(text),
                                QFontMetrics(top->font()).horizontalAdvance(u"报警内容"_s));
    QVERIFY2(top->sectionSize(2) >= needed + 4 && top->sectionSize(2) <= needed + 24,
             qPrintable(u"%1 for %2"_s.arg(top->sectionSize(2)).arg(needed)));
    QCOMPARE(top->sectionSize(1), 68);
}

void TestMainWindow::binaryFileTooLarge_data()
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

void TestMainWindow::binaryFileTooLarge()
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

void TestMainWindow::databaseBeyondTheMemoryBudget_data()
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

void TestMainWindow::databaseBeyondTheMemoryBudget()
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

void TestMainWindow::disabledListsLookDisabled()
{
    Window w;
    w.main->show();
    const auto lookOf = [](const QComboBox *list, QPalette::ColorGroup group) {
        return QList<QColor> {list->palette().color(group, QPalette::Text),
                              list->palette().color(group, QPalette::ButtonText)};
    };
    const auto platformDisabled = [&](const QComboBox *list) {
        const QPalette platform = QApplication::palette(list);
        return QList<QColor> {platform.color(QPalette::Disabled, QPalette::Text),
                              platform.color(QPalette::Disabled, QPalette::ButtonText)};
    };
    const QList<QColor> black {Qt::black, Qt::black};
    for (QComboBox *list : {w.buffers(), w.formats()}) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(lookOf(list, QPalette::Disabled), platformDisabled(list));
        QVERIFY(lookOf(list, QPalette::Disabled) != black);
        QCOMPARE(lookOf(list, QPalette::Active), black);
    }
    // Enabled by a database, in their black face; disabled again by Clear.
    w.open(recordDatabase());
    QVERIFY(w.buffers()->isEnabled() && w.formats()->isEnabled());
    QCOMPARE(lookOf(w.buffers(), QPalette::Active), black);
    QCOMPARE(lookOf(w.formats(), QPalette::Inactive), black);
    w.child<QPushButton>("clearButton")->click();
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(lookOf(w.formats(), QPalette::Disabled), platformDisabled(w.formats()));
}

void TestMainWindow::toolbarCaptionsFit_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("Chinese") << true;
    QTest::newRow("English") << false;
}

void TestMainWindow::toolbarCaptionsFit()
{
    QFETCH(bool, chinese);
    Window w;
    w.main->show();
    if (!chinese)
        w.action("englishAction")->trigger();
    QCOMPARE(w.main->language(), (chinese ? Language::Chinese : Language::English));
    w.open(recordDatabase());
    for (const QPushButton *button : w.main->findChildren<QPushButton *>()) {
        // Caption and picture inside the frame, with a little room each side.
        const int needed = button->fontMetrics().horizontalAdvance(button->text())
            + (button->icon().isNull() ? 0 : button->iconSize().width() + 4)
            + 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button)
            + 2 * 2;
        QVERIFY2(needed <= button->width(),
                 qPrintable(u"%1 needs %2"_s.arg(button->text()).arg(needed)));
    }
    for (const QComboBox *list : {w.buffers(), w.formats()}) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(),
                     qPrintable(list->itemText(i)));
    }
}

void TestMainWindow::outerSizeAndMinimumSize()
{
    Window w;
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    // The test screen frames its windows: the frame is within the size.
    QVERIFY(w.main->frameGeometry().size() != w.main->size());
    QTRY_COMPARE(w.main->frameGeometry().size(), QSize(880, 524));
    const QRect available = w.main->screen()->availableGeometry();
    QVERIFY((w.main->frameGeometry().center() - available.center()).manhattanLength() <= 2);

    // Shrunk as far as it goes, the whole toolbar and every column of the
    // widest layout are still there.
    const QString data = path(u"data.bin"_s);
    QVERIFY(writeFile(data, dataFile(40)));
    w.open(data);
    QCOMPARE(w.main->grid().cols(), 13);
    w.main->resize(100, 100);
    QCOMPARE(w.main->size(), w.main->minimumSize());
    QVERIFY(w.main->width() < 880 && w.main->height() < 300);
    const auto *curve = w.child<QPushButton>("curvesButton");
    QVERIFY(curve->mapTo(w.main.get(), QPoint(curve->width(), 0)).x() <= w.main->width());
    auto *view = w.child<RecordGridView>("recordGrid");
    QApplication::processEvents();
    QHeaderView *top = view->horizontalHeader();
    const int last = top->count() - 1;
    QVERIFY2(top->sectionViewportPosition(last) + top->sectionSize(last)
                 <= view->viewport()->width(),
             qPrintable(QString::number(view->viewport()->width())));
    QVERIFY(view->verticalScrollBar()->isVisible());
    // Larger stays free.
    w.main->resize(1400, 900);
    QCOMPARE(w.main->size(), QSize(1400, 900));
}

void TestMainWindow::tabLeavesTheGrid_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::newRow("Tab") << false;
    QTest::newRow("Shift+Tab") << true;
}

void TestMainWindow::tabLeavesTheGrid()
{
    QFETCH(bool, backwards);
    const QString data = path(u"data.bin"_s);
    QVERIFY(writeFile(data, dataFile(20)));
    Window w;
    w.main->show();
    QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
    w.open(data);
    auto *view = w.child<RecordGridView>("recordGrid");
    view->setFocus();
    view->setCurrentIndex(view->model()->index(3, 2));
    QCOMPARE(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QVERIFY(QApplication::focusWidget() != view);
    // The current cell did not move.
    QCOMPARE(view->currentIndex(), view->model()->index(3, 2));
}

void TestMainWindow::dynamicLoadPaintsAtFramePace()
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
