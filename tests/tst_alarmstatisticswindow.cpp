// The alarm statistics window over a real binary data file and the alarm
// file beside it: opened from the pop-up menu, counting the alarms of the
// range shown, sorted by every column by value, copied as tab-separated
// text, and the alarms per hour drawn as bars.
#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/AlarmStatisticsWindow.h"
#include "mainwindow/AlarmsPerHourChart.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TimeRangeDialog.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

qint64 at(int hour, int minute)
{
    return RecordTime::fromParts(2013, 5, 7, hour, minute, 0);
}

// Records every 10 minutes from 08:00 to 11:50.
QByteArray records()
{
    QList<DataRecord> list;
    for (int i = 0; i < 24; ++i) {
        DataRecord r;
        r.id = i + 1;
        r.hour = quint8(8 + i / 6);
        r.minute = quint8(i % 6 * 10);
        r.second = 0;
        list << r;
    }
    return dataFile(list);
}

// Number 9 four times (three within 10 minutes), 10 three times (two), 100
// once; hour 9 has none. The numbers sort apart as texts and as numbers.
QByteArray alarms()
{
    const struct
    {
        int hour, minute;
        quint8 number;
        std::u16string text;
    } list[] = {{8, 1, 9, u"Pump"},           {8, 5, 9, u"Pump"},         {8, 9, 9, u"Pump"},
                {8, 30, 10, u"Door\topen"},   {8, 35, 10, u"Door\topen"}, {8, 50, 9, u"Pump"},
                {10, 0, 100, u"Motor \"A\""}, {11, 10, 10, u"Door\topen"}};
    QList<AlarmRecord> records;
    for (const auto &a : list) {
        AlarmRecord r;
        r.id = int(records.size()) + 1;
        r.hour = quint8(a.hour);
        r.minute = quint8(a.minute);
        r.second = 0;
        r.number = a.number;
        r.text = a.text;
        records << r;
    }
    return alarmFile(records);
}

class PickedRange : public TimeRangeChooser
{
public:
    TimeRangeDialog::Choice chooseTimeRange(QWidget *, Language, LogDocument::TimeRange &range,
                                            std::optional<qint64>, std::optional<qint64>) override
    {
        range = answer;
        return TimeRangeDialog::Choice::Range;
    }
    LogDocument::TimeRange answer;
};

struct Window
{
    explicit Window(const QString &data, bool english = true)
    {
        MainWindowServices services;
        services.messages = &sink;
        services.files = &chooser;
        services.timeRanges = &ranges;
        main = std::make_unique<MainWindow>(services);
        if (english)
            main->switchToEnglish();
        main->show();
        chooser.file = data;
        main->findChild<QPushButton *>(u"openButton"_s)->click();
    }
    AlarmStatisticsWindow *statistics() const { return main->alarmStatistics(); }
    QTableWidget *table() const { return statistics()->table(); }
    QStringList column(int col) const
    {
        QStringList texts;
        for (int row = 0; row < table()->rowCount(); ++row)
            texts << table()->item(row, col)->text();
        return texts;
    }

    MessageRecorder sink;
    PickedFile chooser;
    PickedRange ranges;
    std::unique_ptr<MainWindow> main;
};

// The access key of a menu text: the character after a single "&".
QChar accessKey(const QString &text)
{
    const qsizetype amp = text.indexOf(u'&');
    return amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toUpper() : QChar();
}

} // namespace

class TestAlarmStatisticsWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void menuItemBesideAlarmList_data();
    void menuItemBesideAlarmList();
    void countsTheRangeShown_data();
    void countsTheRangeShown();
    void sortsByValue_data();
    void sortsByValue();
    void copiesAsTabSeparatedText_data();
    void copiesAsTabSeparatedText();
    void barsPerHourDrawn();
    void noAlarmFile();
    void alarmsReadOnceReachEveryone_data();
    void alarmsReadOnceReachEveryone();

private:
    QTemporaryDir m_dir;
    QString m_data;
};

void TestAlarmStatisticsWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_data = m_dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(m_data, records()));
    QVERIFY(writeFile(m_dir.filePath(u"Alarm.db"_s), alarms()));
}

void TestAlarmStatisticsWindow::menuItemBesideAlarmList_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("title");
    QTest::newRow("Chinese") << false << u"报警统计(&C)…"_s << u"报警统计"_s;
    QTest::newRow("English") << true << u"Alarm Statistics(&C)…"_s << u"Alarm Statistics"_s;
}

void TestAlarmStatisticsWindow::menuItemBesideAlarmList()
{
    QFETCH(bool, english);
    QFETCH(QString, item);
    QFETCH(QString, title);
    Window w(m_data, english);
    auto *menu = w.main->findChild<QMenu *>(u"popupMenu"_s);
    QVERIFY(menu);
    const QList<QAction *> items = menu->actions();
    const qsizetype list = items.indexOf(w.main->alarmListAction());
    QVERIFY(list >= 0);
    QCOMPARE(items.value(list + 1), w.main->alarmStatisticsAction());
    QCOMPARE(w.main->alarmStatisticsAction()->text(), item);
    // No other item of the menu answers to the same key.
    QSet<QChar> keys;
    for (QAction *a : items) {
        const QString text = a->menu() ? a->menu()->title() : a->text();
        const QChar key = accessKey(text);
        if (key.isNull())
            continue;
        QVERIFY2(!keys.contains(key), qPrintable(text));
        keys.insert(key);
    }
    w.main->alarmStatisticsAction()->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(w.statistics()));
    QCOMPARE(w.statistics()->windowTitle(), title);
    QCOMPARE(w.table()->rowCount(), 3);
    // The other language follows at once.
    english ? w.main->switchToChinese() : w.main->switchToEnglish();
    QVERIFY(w.statistics()->windowTitle() != title);
    QVERIFY(w.main->alarmStatisticsAction()->text() != item);
}

void TestAlarmStatisticsWindow::countsTheRangeShown_data()
{
    QTest::addColumn<qint64>("from"); // 0: no range
    QTest::addColumn<qint64>("until");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QStringList>("shares");
    QTest::addColumn<QString>("summary");

    QTest::newRow("every alarm") << qint64(0) << qint64(0)
                                 << QStringList {u"9"_s, u"10"_s, u"100"_s}
                                 << QStringList {u"4"_s, u"3"_s, u"1"_s}
                                 << QStringList {u"50.0%"_s, u"37.5%"_s, u"12.5%"_s}
                                 << u"8 alarms of 3 numbers"_s;
    QTest::newRow("bounds included")
        << at(8, 5) << at(8, 35) << QStringList {u"9"_s, u"10"_s} << QStringList {u"2"_s, u"2"_s}
        << QStringList {u"50.0%"_s, u"50.0%"_s} << u"4 alarms of 2 numbers"_s;
    QTest::newRow("a range without alarms")
        << at(9, 0) << at(9, 50) << QStringList {} << QStringList {} << QStringList {}
        << u"0 alarms of 0 numbers"_s;
}

void TestAlarmStatisticsWindow::countsTheRangeShown()
{
    QFETCH(qint64, from);
    QFETCH(qint64, until);
    QFETCH(QStringList, numbers);
    QFETCH(QStringList, counts);
    QFETCH(QStringList, shares);
    QFETCH(QString, summary);
    Window w(m_data);
    w.main->showAlarmStatistics();
    QCOMPARE(w.table()->rowCount(), 3);
    // The range is chosen while the window shows: it counts afresh.
    if (from) {
        w.ranges.answer = {from, until};
        w.main->chooseTimeRange();
    }
    QCOMPARE(w.column(AlarmStatisticsWindow::NumberColumn), numbers);
    QCOMPARE(w.column(AlarmStatisticsWindow::CountColumn), counts);
    QCOMPARE(w.column(AlarmStatisticsWindow::ShareColumn), shares);
    QCOMPARE(w.statistics()->findChild<QLabel *>(u"AlarmStatisticsSummary"_s)->text(), summary);
    // A hidden window counts when it shows again: the whole file once more.
    w.statistics()->hide();
    w.ranges.answer = {};
    w.main->chooseTimeRange();
    QCOMPARE(w.column(AlarmStatisticsWindow::CountColumn), counts);
    w.main->showAlarmStatistics();
    QCOMPARE(w.column(AlarmStatisticsWindow::CountColumn), (QStringList {u"4"_s, u"3"_s, u"1"_s}));
}

void TestAlarmStatisticsWindow::sortsByValue_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("numbers");
    const QStringList byNumber {u"9"_s, u"10"_s, u"100"_s};
    const QStringList reversed {u"100"_s, u"10"_s, u"9"_s};
    using W = AlarmStatisticsWindow;
    // As texts "10" < "100" < "9": numbers sort as numbers.
    QTest::newRow("number ascending") << int(W::NumberColumn) << true << byNumber;
    QTest::newRow("number descending") << int(W::NumberColumn) << false << reversed;
    QTest::newRow("text") << int(W::TextColumn) << true << QStringList {u"10"_s, u"100"_s, u"9"_s};
    QTest::newRow("count ascending") << int(W::CountColumn) << true << reversed;
    QTest::newRow("count descending") << int(W::CountColumn) << false << byNumber;
    QTest::newRow("share") << int(W::ShareColumn) << true << reversed;
    QTest::newRow("first") << int(W::FirstColumn) << true << byNumber;
    QTest::newRow("first descending") << int(W::FirstColumn) << false << reversed;
    QTest::newRow("last") << int(W::LastColumn) << true << QStringList {u"9"_s, u"100"_s, u"10"_s};
    QTest::newRow("most in 10 minutes") << int(W::MostInTenMinutesColumn) << true << reversed;
}

void TestAlarmStatisticsWindow::sortsByValue()
{
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QStringList, numbers);
    Window w(m_data);
    w.main->showAlarmStatistics();
    QVERIFY(w.table()->isSortingEnabled());
    w.table()->sortByColumn(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    QCOMPARE(w.column(AlarmStatisticsWindow::NumberColumn), numbers);
}

void TestAlarmStatisticsWindow::copiesAsTabSeparatedText_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QString>("text");
    const QString title
        = u"Alarm No.\tAlarm Content\tCount\tShare\tFirst\tLast\tMost in 10 min\r\n"_s;
    const QString pump = u"9\tPump\t4\t50.0%\t2013-05-07 08:01:00\t2013-05-07 08:50:00\t3\r\n"_s;
    const QString door
        = u"10\t\"Door\topen\"\t3\t37.5%\t2013-05-07 08:30:00\t2013-05-07 11:10:00\t2\r\n"_s;
    const QString motor
        = u"100\t\"Motor \"\"A\"\"\"\t1\t12.5%\t2013-05-07 10:00:00\t2013-05-07 10:00:00\t1\r\n"_s;
    QTest::newRow("every row") << QList<int> {} << title + pump + door + motor;
    QTest::newRow("the selected rows") << QList<int> {0, 2} << title + pump + motor;
}

void TestAlarmStatisticsWindow::copiesAsTabSeparatedText()
{
    QFETCH(QList<int>, selected);
    QFETCH(QString, text);
    Window w(m_data);
    w.main->showAlarmStatistics();
    QVERIFY(QTest::qWaitForWindowExposed(w.statistics()));
    for (int row : selected)
        w.table()->selectionModel()->select(w.table()->model()->index(row, 0),
                                            QItemSelectionModel::Select
                                                | QItemSelectionModel::Rows);
    QCOMPARE(w.statistics()->tableText(), text);
    QApplication::clipboard()->clear();
    w.table()->setFocus();
    QTest::keyClick(w.table(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), text);
    QApplication::clipboard()->clear();
    w.statistics()->copyButton()->click();
    QCOMPARE(QApplication::clipboard()->text(), text);
}

void TestAlarmStatisticsWindow::barsPerHourDrawn()
{
    Window w(m_data);
    w.main->showAlarmStatistics();
    AlarmsPerHourChart *chart = w.statistics()->chart();
    chart->resize(400, 120);
    // Hours 8 to 11, hour 9 an empty bar.
    const AlarmsPerHour::Buckets &b = chart->buckets();
    QCOMPARE(b.hoursPerBucket, qint64(1));
    QCOMPARE(int(b.buckets.size()), 4);
    QCOMPARE(b.buckets[0].start, at(8, 0));
    const int counts[] = {6, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(b.buckets[std::size_t(i)].count, counts[i]);
    QCOMPARE(chart->bucketTip(0), u"2013-05-07 08:00 to 2013-05-07 09:00: 6 alarms"_s);

    QImage picture(chart->size(), QImage::Format_RGB32);
    chart->render(&picture);
    const QRgb bar = chart->palette().color(QPalette::Highlight).rgb();
    const std::vector<AlarmsPerHour::Bar> bars = chart->bars();
    QCOMPARE(int(bars.size()), 4);
    // The busiest bar is drawn to the top of the area, the empty one not at all.
    const QRect tallest = bars[0].rect;
    QCOMPARE(picture.pixel(tallest.center()), bar);
    QCOMPARE(picture.pixel(tallest.left(), tallest.top()), bar);
    const QRect empty = bars[1].slot;
    QVERIFY(picture.pixel(empty.center().x(), empty.bottom() - 1) != bar);
    QCOMPARE(picture.pixel(bars[2].rect.center().x(), bars[2].rect.bottom()), bar);
    QVERIFY(bars[2].rect.height() < tallest.height());
}

void TestAlarmStatisticsWindow::alarmsReadOnceReachEveryone_data()
{
    QTest::addColumn<QString>("first");
    QTest::newRow("statistics first") << u"statistics"_s;
    QTest::newRow("list first") << u"list"_s;
    QTest::newRow("curves first") << u"curves"_s;
}

// Whichever of the list, the statistics and the curves reads the alarm file
// first, the others get its alarms too.
void TestAlarmStatisticsWindow::alarmsReadOnceReachEveryone()
{
    QFETCH(QString, first);
    Window w(m_data);
    std::optional<AlarmHistory> heard;
    QObject::connect(w.main.get(), &MainWindow::alarmsChanged,
                     [&heard](const std::optional<AlarmHistory> &alarms) { heard = alarms; });
    const std::function<void()> open[]
        = {[&] { w.main->showAlarmStatistics(); }, [&] { w.main->showAlarmList(); },
           [&] { w.main->wantAlarms(); }};
    const QStringList names {u"statistics"_s, u"list"_s, u"curves"_s};
    const qsizetype firstAt = names.indexOf(first);
    QVERIFY(firstAt >= 0);
    open[firstAt]();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (i != firstAt)
            open[i]();
    QVERIFY(heard.has_value());
    QCOMPARE(heard->alarms.size(), 8);
    QCOMPARE(w.main->alarmList()->table()->rowCount(), 8);
    QCOMPARE(w.column(AlarmStatisticsWindow::CountColumn), (QStringList {u"4"_s, u"3"_s, u"1"_s}));
    QCOMPARE(w.sink.take(), QStringList());
}

void TestAlarmStatisticsWindow::noAlarmFile()
{
    QTemporaryDir dir;
    const QString data = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(data, records()));
    Window w(data);
    w.main->showAlarmStatistics();
    QCOMPARE(w.table()->rowCount(), 0);
    QCOMPARE(w.statistics()->findChild<QLabel *>(u"AlarmStatisticsSummary"_s)->text(),
             u"No alarm file beside the records."_s);
    QVERIFY(w.statistics()->chart()->bars().empty());
    QCOMPARE(w.statistics()->tableText(),
             u"Alarm No.\tAlarm Content\tCount\tShare\tFirst\tLast\tMost in 10 min\r\n"_s);
}

QTEST_MAIN(TestAlarmStatisticsWindow)
#include "tst_alarmstatisticswindow.moc"
