// The main window's time line on a real binary data file: "@time" in the
// find bar, the time range item of the pop-up menu with its dialog, and the
// count and title while a range shows.
#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "mainwindow/TimeRangeDialog.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// IDs 1..6: 08:00, 08:05, 08:10, then the clock set back to 08:02, 08:15 on
// 2013-05-07, and 08:00 on 2013-05-08.
QByteArray clockSetBack()
{
    const int minutes[] = {0, 5, 10, 2, 15};
    QList<DataRecord> records;
    int id = 1;
    for (int minute : minutes) {
        DataRecord r;
        r.id = id++;
        r.hour = 8;
        r.minute = quint8(minute);
        r.second = 0;
        records << r;
    }
    DataRecord next;
    next.id = id;
    next.day = 8;
    next.hour = 8;
    next.minute = 0;
    next.second = 0;
    records << next;
    return dataFile(records);
}

std::optional<qint64> timeOf(const char *text)
{
    return RecordTime::alarmTime(QByteArrayView(text));
}

class PickedRange : public TimeRangeChooser
{
public:
    TimeRangeDialog::Choice chooseTimeRange(QWidget *, Language, LogDocument::TimeRange &range,
                                            std::optional<qint64> first,
                                            std::optional<qint64> last) override
    {
        offeredFirst = first;
        offeredLast = last;
        offered = range;
        if (choice == TimeRangeDialog::Choice::Range)
            range = answer;
        return choice;
    }
    TimeRangeDialog::Choice choice = TimeRangeDialog::Choice::Range;
    LogDocument::TimeRange answer;
    LogDocument::TimeRange offered;
    std::optional<qint64> offeredFirst;
    std::optional<qint64> offeredLast;
};

struct Window
{
    Window()
    {
        MainWindowServices services;
        services.messages = &sink;
        services.files = &chooser;
        services.timeRanges = &ranges;
        main = std::make_unique<MainWindow>(services);
        main->show();
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main.get()))
            qWarning("the main window did not become active");
    }
    bool open(const QString &file)
    {
        chooser.file = file;
        main->findChild<QPushButton *>(u"openButton"_s)->click();
        return main->loadOutcome() == MainWindow::LoadOutcome::Loaded;
    }
    RecordGridView *view() const { return main->findChild<RecordGridView *>(u"recordGrid"_s); }
    QString count() const { return main->findChild<QPushButton *>(u"recordCountButton"_s)->text(); }
    QString currentId() const
    {
        const QModelIndex current = view()->currentIndex();
        return current.isValid() ? main->grid().cell(0, current.row() + 1) : QString();
    }
    void setCurrentRow(int row)
    {
        view()->selectionModel()->setCurrentIndex(main->grid().index(row - 1, 0),
                                                  QItemSelectionModel::ClearAndSelect
                                                      | QItemSelectionModel::Rows);
    }
    void find(const QString &text)
    {
        main->showFind();
        auto *field = main->findChild<QLineEdit *>(u"FindText"_s);
        field->clear();
        QTest::keyClicks(field, text);
    }

    MessageRecorder sink;
    PickedFile chooser;
    PickedRange ranges;
    std::unique_ptr<MainWindow> main;
};

} // namespace

class TestMainWindowTime : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void goToTime_data();
    void goToTime();
    void rangeFromMenu_data();
    void rangeFromMenu();
    void rangeDialog_data();
    void rangeDialog();
    void alarmList_data();
    void alarmList();

private:
    QTemporaryDir m_dir;
    QString m_log;
};

void TestMainWindowTime::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_log = m_dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(m_log, clockSetBack()));
}

void TestMainWindowTime::goToTime_data()
{
    QTest::addColumn<QString>("range"); // "from|until", empty for none
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("id"); // the current record after it
    QTest::addColumn<QString>("count");

    QTest::newRow("a full time") << "" << 1 << "@2013-05-07 08:10"
                                 << "3"
                                 << "1 / 1";
    QTest::newRow("between records: the next by time, not by row") << "" << 1 << "@2013-05-07 08:01"
                                                                   << "4"
                                                                   << "1 / 1";
    QTest::newRow("seconds written") << "" << 1 << "@2013-05-07 08:05:01"
                                     << "3"
                                     << "1 / 1";
    QTest::newRow("a time alone on the current row's day") << "" << 1 << "@08:03"
                                                           << "2"
                                                           << "1 / 1";
    QTest::newRow("a time alone on another day") << "" << 6 << "@07:00"
                                                 << "6"
                                                 << "1 / 1";
    QTest::newRow("after the last record: nothing") << "" << 2 << "@2013-05-09"
                                                    << "2"
                                                    << "0 / 0";
    QTest::newRow("outside the range shown: nothing")
        << "2013-05-07 08:00:00|2013-05-07 08:05:00" << 1 << "@2013-05-07 09:30"
        << "1"
        << "0 / 0";
    QTest::newRow("inside the range shown")
        << "2013-05-07 08:02:00|2013-05-07 08:15:00" << 1 << "@2013-05-07 08:11"
        << "5"
        << "1 / 1";
    QTest::newRow("not a time") << "" << 2 << "@soon"
                                << "2"
                                << "0 / 0";
}

void TestMainWindowTime::goToTime()
{
    QFETCH(QString, range);
    QFETCH(int, currentRow);
    QFETCH(QString, text);
    QFETCH(QString, id);
    QFETCH(QString, count);
    Window w;
    QVERIFY(w.open(m_log));
    if (!range.isEmpty()) {
        w.ranges.answer = {timeOf(range.section(u'|', 0, 0).toLatin1().constData()),
                           timeOf(range.section(u'|', 1, 1).toLatin1().constData())};
        w.main->chooseTimeRange();
    }
    w.setCurrentRow(currentRow);
    w.find(text);
    QCOMPARE(w.currentId(), id);
    QCOMPARE(w.main->findCountText(), count);
}

void TestMainWindowTime::rangeFromMenu_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("titleEnd");
    QTest::addColumn<QString>("allCount");

    QTest::newRow("Chinese") << true << u"范围 3/6"_s
                             << u"（时间范围 2013-05-07 08:02:00 … 2013-05-07 08:10:00）"_s
                             << u"数据条数:6"_s;
    QTest::newRow("English") << false << u"Range 3/6"_s
                             << u" (time range 2013-05-07 08:02:00 … 2013-05-07 08:10:00)"_s
                             << u"Sum Data:6"_s;
}

void TestMainWindowTime::rangeFromMenu()
{
    QFETCH(bool, chinese);
    QFETCH(QString, count);
    QFETCH(QString, titleEnd);
    QFETCH(QString, allCount);
    Window w;
    if (chinese)
        w.main->switchToChinese();
    else
        w.main->switchToEnglish();
    QVERIFY(w.open(m_log));
    QAction *item = w.main->timeRangeAction();
    QCOMPARE(item->text(), chinese ? u"时间范围(&T)…"_s : u"Time Range(&T)…"_s);

    w.ranges.answer = {timeOf("2013-05-07 08:02:00"), timeOf("2013-05-07 08:10:00")};
    item->trigger();
    // The dialog was offered the file's first and last times.
    QCOMPARE(w.ranges.offeredFirst, timeOf("2013-05-07 08:00:00"));
    QCOMPARE(w.ranges.offeredLast, timeOf("2013-05-08 08:00:00"));
    QCOMPARE(w.main->grid().rowCount(), 3);
    QCOMPARE(w.count(), count);
    QCOMPARE(w.main->findChild<QPushButton *>(u"recordCountButton"_s)->toolTip(),
             chinese ? u"时间范围内 3 条，共 6 条"_s : u"3 of 6 records in the time range"_s);
    QVERIFY2(w.main->windowTitle().endsWith(titleEnd), qPrintable(w.main->windowTitle()));

    // Reload keeps the range, its count and its title.
    w.main->reloadFile();
    QCOMPARE(w.main->grid().rowCount(), 3);
    QCOMPARE(w.count(), count);
    QVERIFY(w.main->windowTitle().endsWith(titleEnd));
    QCOMPARE(w.main->windowTitle().count(titleEnd), 1);

    // The other language says the same in its words.
    if (chinese)
        w.main->switchToEnglish();
    else
        w.main->switchToChinese();
    QVERIFY(w.count() != count);
    QVERIFY(w.count().endsWith(u"3/6"_s));
    QVERIFY(
        w.main->windowTitle().endsWith(u"2013-05-07 08:10:00"_s + (chinese ? u")"_s : u"）"_s)));
    chinese ? w.main->switchToChinese() : w.main->switchToEnglish();

    // The dialog is offered the range shown; Cancel keeps it.
    w.ranges.choice = TimeRangeDialog::Choice::Cancelled;
    item->trigger();
    QVERIFY(w.ranges.offered == w.ranges.answer);
    QCOMPARE(w.main->grid().rowCount(), 3);

    // "All" lifts it.
    w.ranges.choice = TimeRangeDialog::Choice::All;
    item->trigger();
    QCOMPARE(w.main->grid().rowCount(), 6);
    QCOMPARE(w.count(), allCount);
    QVERIFY(w.main->findChild<QPushButton *>(u"recordCountButton"_s)->toolTip().isEmpty());
    QVERIFY(!w.main->windowTitle().contains(titleEnd));
    QVERIFY(w.main->windowTitle().endsWith(u" ]"_s));
}

void TestMainWindowTime::rangeDialog_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("fromTaken"); // as RecordTime::text, empty: open
    QTest::addColumn<QString>("untilTaken");

    QTest::newRow("as filled in") << ""
                                  << "" << true << "2013-05-07 08:00:00"
                                  << "2013-05-08 08:00:00";
    QTest::newRow("minutes: the whole minute up to")
        << "2013-05-07 08:02"
        << "2013-05-07 08:10" << true << "2013-05-07 08:02:00"
        << "2013-05-07 08:10:59";
    QTest::newRow("a time alone: on the first record's day")
        << "08:05"
        << "9:00" << true << "2013-05-07 08:05:00"
        << "2013-05-07 09:00:59";
    QTest::newRow("a date alone: the whole day") << "2013/5/7"
                                                 << "2013.5.7" << true << "2013-05-07 00:00:00"
                                                 << "2013-05-07 23:59:59";
    QTest::newRow("empty fields: open bounds") << "-"
                                               << "-" << true << ""
                                               << "";
    QTest::newRow("not a time: stays open") << "yesterday"
                                            << "" << false << ""
                                            << "";
    QTest::newRow("no such date") << ""
                                  << "2013-02-30" << false << ""
                                  << "";
}

void TestMainWindowTime::rangeDialog()
{
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(bool, taken);
    QFETCH(QString, fromTaken);
    QFETCH(QString, untilTaken);
    TimeRangeDialog dialog(Language::Chinese, {}, timeOf("2013-05-07 08:00:00"),
                           timeOf("2013-05-08 08:00:00"));
    QCOMPARE(dialog.fromField()->text(), u"2013-05-07 08:00:00"_s);
    QCOMPARE(dialog.untilField()->text(), u"2013-05-08 08:00:00"_s);
    QCOMPARE(dialog.allButton()->text(), u"全部"_s);
    if (!from.isEmpty())
        dialog.fromField()->setText(from == u"-"_s ? QString() : from);
    if (!until.isEmpty())
        dialog.untilField()->setText(until == u"-"_s ? QString() : until);
    dialog.acceptRange();
    QCOMPARE(dialog.choice() == TimeRangeDialog::Choice::Range, taken);
    QCOMPARE(dialog.findChild<QLabel *>(u"TimeRangeProblem"_s)->isHidden(), taken);
    if (!taken) {
        QVERIFY(!dialog.range());
        return;
    }
    const auto textOf
        = [](std::optional<qint64> t) { return t ? RecordTime::text(*t) : QString(); };
    QCOMPARE(textOf(dialog.range()->from), fromTaken);
    QCOMPARE(textOf(dialog.range()->until), untilTaken);

    TimeRangeDialog english(Language::English, {}, {}, {});
    QCOMPARE(english.allButton()->text(), u"All"_s);
    english.allButton()->click();
    QCOMPARE(english.choice(), TimeRangeDialog::Choice::All);
}

void TestMainWindowTime::alarmList_data()
{
    QTest::addColumn<QString>("range"); // "from|until", empty for none
    QTest::addColumn<int>("listed");
    QTest::addColumn<int>("clicked"); // the row of the list double-clicked
    QTest::addColumn<QString>("id"); // the current record after it (row 3, ID 3, before)
    QTest::addColumn<bool>("byKeyboard"); // Enter on the row instead of a double click

    QTest::newRow("an alarm before the first record: the first by time")
        << "" << 4 << 0 << "1" << false;
    QTest::newRow("between records: the next by time, not by row") << "" << 4 << 1 << "2" << false;
    QTest::newRow("after a set-back clock's records") << "" << 4 << 2 << "5" << false;
    QTest::newRow("an alarm after the last record: the current row stays")
        << "" << 4 << 3 << "3" << false;
    QTest::newRow("the alarms of the range shown")
        << "2013-05-07 08:00:00|2013-05-07 08:10:00" << 1 << 0 << "2" << false;
    QTest::newRow("Enter on an alarm") << "" << 4 << 2 << "5" << true;
}

void TestMainWindowTime::alarmList()
{
    QFETCH(QString, range);
    QFETCH(int, listed);
    QFETCH(int, clicked);
    QFETCH(QString, id);
    QFETCH(bool, byKeyboard);
    // The data file's folder holds an alarm file: it is found by itself.
    QTemporaryDir dir;
    const QString data = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(data, clockSetBack()));
    QList<AlarmRecord> alarms;
    const int times[][4] = {{7, 7, 0, 0}, {7, 8, 3, 30}, {7, 8, 12, 0}, {9, 8, 0, 0}};
    for (const auto &t : times) {
        AlarmRecord a;
        a.id = int(alarms.size()) + 1;
        a.day = quint8(t[0]);
        a.hour = quint8(t[1]);
        a.minute = quint8(t[2]);
        a.second = quint8(t[3]);
        a.number = quint8(10 + alarms.size());
        alarms << a;
    }
    QVERIFY(writeFile(dir.filePath(u"Alarm.db"_s), alarmFile(alarms)));
    Window w;
    QVERIFY(w.open(data));
    if (!range.isEmpty()) {
        w.ranges.answer = {timeOf(range.section(u'|', 0, 0).toLatin1().constData()),
                           timeOf(range.section(u'|', 1, 1).toLatin1().constData())};
        w.main->chooseTimeRange();
    }
    QCOMPARE(w.main->alarmListAction()->text(), u"报警列表(&A)…"_s);
    w.main->alarmListAction()->trigger();
    QTableWidget *list = w.main->alarmList()->table();
    QVERIFY(QTest::qWaitForWindowExposed(w.main->alarmList()));
    QCOMPARE(list->rowCount(), listed);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), u"报警时间"_s);
    w.setCurrentRow(w.main->grid().rowCount() >= 3 ? 3 : 1);
    const QString before = w.currentId();
    if (byKeyboard) {
        list->setCurrentCell(clicked, 0);
        QTest::keyClick(list, Qt::Key_Return);
    } else {
        const QRect cell = list->visualItemRect(list->item(clicked, 0));
        // A view hears a double click after the press that made the item current.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QCOMPARE(w.currentId(), id);
    if (id == u"3"_s)
        QCOMPARE(w.currentId(), before);
}

QTEST_MAIN(TestMainWindowTime)
#include "tst_mainwindowtime.moc"
