// Alarms on the trend: the ticks over the curve picture of a real data log
// with the alarm file beside it, their switch, their readout, and the way
// from an alarm in the list to the curves.
#include "curves/AlarmTicks.h"
#include "curves/CurveReadout.h"
#include "curvewindow/CurveReadoutOverlay.h"
#include "curvewindow/CurveWindow.h"
#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/MainWindow.h"
#include "printing/PrintJobSink.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"
#include "support/MainWindowFixture.h"
#include "widgets/ImageView.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The sample data log's records stand one second apart from this time.
const qint64 FirstRecordTime = *RecordTime::alarmTime("2013-05-07 08:00:00");

// The windows as start-up wires them, over the sample logs' Data.bin with
// Alarm.db beside it.
struct Windows : MainWindowFixture
{
    Windows()
    {
        QVERIFY(dir.isValid());
        QVERIFY(logfiles::makeSample({u"samples"_s, dir.path()}));
        curves = std::make_unique<CurveWindow>(*main);
        QObject::connect(main.get(), &MainWindow::curvesRequested, main.get(),
                         &MainWindow::wantAlarms);
        QObject::connect(main.get(), &MainWindow::curvesRequested, curves.get(),
                         &CurveWindow::showAndRaise);
        QObject::connect(main.get(), &MainWindow::alarmsChanged, curves.get(),
                         &CurveWindow::setAlarms);
        QObject::connect(main.get(), &MainWindow::alarmRecordChosen, curves.get(),
                         &CurveWindow::showRowWithMarker);
        QObject::connect(curves.get(), &CurveWindow::screenTimesChanged, main->alarmList(),
                         &AlarmListWindow::setViewTimes);
        main->switchToEnglish();
        chooser.file = dir.filePath(u"Data.bin"_s);
        main->openFromDialog();
        child<QPushButton>("curvesButton")->click();
    }
    ImageView *image() const { return curves->findChild<ImageView *>(u"curveImage"_s); }
    CurveReadoutOverlay *overlay() const
    {
        return curves->findChild<CurveReadoutOverlay *>(u"CurveReadout"_s);
    }
    QCheckBox *ticksCheck() const { return curves->findChild<QCheckBox *>(u"alarmTicksCheck"_s); }
    QScrollBar *bar() const { return curves->findChild<QScrollBar *>(u"dataScrollBar"_s); }
    // The grid row of the record at `time`.
    static int rowAt(qint64 time) { return int(time - FirstRecordTime) + 1; }
    // Scrolls so that grid row `row` is the first point of the screen.
    void scrollToRow(int row) const { bar()->setValue(row - 1); }

    QTemporaryDir dir;
    std::unique_ptr<CurveWindow> curves;
};

// Keeps each printed page's picture.
class PageImages : public PrintJobSink
{
public:
    void setOrientation(QPageLayout::Orientation o) override { m_orientation = o; }
    QPageLayout::Orientation orientation() const override { return m_orientation; }
    bool beginJob(const QString &) override { return true; }
    void drawPage(const PagePicture &page, QSizeF) override { pages << page.image(); }
    bool endJob() override { return true; }
    QString errorText() const override { return {}; }
    void setUp(QWidget *, const PrinterSetupTexts &) override { }

    QList<QImage> pages;

private:
    QPageLayout::Orientation m_orientation = QPageLayout::Landscape;
};

QList<QImage> printed(CurveWindow &curves)
{
    PageImages sink;
    curves.setPrintJobSink(&sink);
    curves.setPrintRange(1, 200);
    curves.printPages();
    curves.setPrintJobSink(nullptr);
    return sink.pages;
}

} // namespace

class tst_AlarmTrend : public QObject
{
    Q_OBJECT
private slots:
    void ticksLieOverThePicture();
    void checkBoxAndMenuItemTurnTicksOff();
    void printsCarryTicksOnlyWhenAsked();
    void hoverShowsTheAlarm();
    void alarmInTheListGoesToTheTrend();
    void onlyAlarmsInViewFollowsScrolling();
};

void tst_AlarmTrend::ticksLieOverThePicture()
{
    Windows w;
    QVERIFY(w.curves->hasCurves());
    QVERIFY(w.ticksCheck()->isEnabled());
    QVERIFY(w.ticksCheck()->isChecked());
    // The first alarm, 08:01:10, is the time of a record: its tick stands on it.
    const qint64 alarm = *RecordTime::alarmTime("2013-05-07 08:01:10");
    w.scrollToRow(Windows::rowAt(alarm) - 3);
    const std::vector<AlarmTicks::Tick> ticks = w.curves->alarmTicks();
    QVERIFY(!ticks.empty());
    const Alarm &first = w.curves->alarmTimeline().alarms()[std::size_t(ticks.front().alarm)];
    QCOMPARE(*first.time, alarm);
    QCOMPARE(first.number, 12);
    CurveGeometry::Layout layout = CurveGeometry::layout(w.curves->settings());
    QCOMPARE(ticks.front().x, CurveReadout::markerX(layout, 3));
    QCOMPARE(w.overlay()->alarmTicks(), ticks);

    // The picture is the one drawn without any alarms; the overlay carries the tick.
    const QImage withTicks = w.curves->curvePicture();
    w.ticksCheck()->click();
    QVERIFY(w.curves->alarmTicks().empty());
    QCOMPARE(w.curves->curvePicture(), withTicks);
    w.curves->setAlarms(std::nullopt);
    QVERIFY(!w.ticksCheck()->isEnabled());
    QCOMPARE(w.curves->curvePicture(), withTicks);

    // Drawn on the picture only when asked for, and only at the ticks' columns.
    w.main->wantAlarms();
    w.curves->setAlarms(AlarmHistory::read(w.dir.filePath(u"Alarm.db"_s)));
    QVERIFY(w.ticksCheck()->isChecked());
    const QImage drawn = w.curves->curvePictureWithAlarms();
    QCOMPARE(drawn.size(), withTicks.size());
    int changedColumns = 0;
    for (int x = 0; x < drawn.width(); ++x) {
        bool changed = false;
        for (int y = 0; y < drawn.height(); ++y)
            changed = changed || drawn.pixel(x, y) != withTicks.pixel(x, y);
        if (changed) {
            ++changedColumns;
            QCOMPARE(x, ticks.front().x);
            QCOMPARE(drawn.pixel(x, layout.plotBottom / 2), AlarmTicks::colour(12));
        }
    }
    QCOMPARE(changedColumns, 1);
}

void tst_AlarmTrend::checkBoxAndMenuItemTurnTicksOff()
{
    Windows w;
    w.scrollToRow(Windows::rowAt(*RecordTime::alarmTime("2013-05-07 08:01:10")) - 3);
    QAction *item = w.curves->alarmTicksAction();
    QVERIFY(w.image()->actions().contains(item));
    QCOMPARE(w.image()->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(item->text(), u"Show Alarms"_s);
    QVERIFY(item->isChecked());
    QVERIFY(!w.curves->alarmTicks().empty());
    item->trigger();
    QVERIFY(!w.ticksCheck()->isChecked());
    QVERIFY(w.curves->alarmTicks().empty());
    QVERIFY(w.overlay()->alarmTicks().empty());
    w.ticksCheck()->click();
    QVERIFY(item->isChecked());
    QVERIFY(!w.overlay()->alarmTicks().empty());
}

void tst_AlarmTrend::printsCarryTicksOnlyWhenAsked()
{
    Windows w;
    QVERIFY(w.ticksCheck()->isChecked());
    const QList<QImage> shownTicks = printed(*w.curves);
    QCOMPARE(shownTicks.size(), 3);
    w.curves->setAlarms(std::nullopt);
    // The default print is the picture alone, ticks shown or not.
    QCOMPARE(printed(*w.curves), shownTicks);
    w.curves->setAlarms(AlarmHistory::read(w.dir.filePath(u"Alarm.db"_s)));
    w.curves->setAlarmsInPrints(true);
    const QList<QImage> withTicks = printed(*w.curves);
    QCOMPARE(withTicks.size(), 3);
    // The first page holds 08:01:10.
    QVERIFY(withTicks.front() != shownTicks.front());
}

void tst_AlarmTrend::hoverShowsTheAlarm()
{
    Windows w;
    w.scrollToRow(Windows::rowAt(*RecordTime::alarmTime("2013-05-07 08:01:10")) - 3);
    const int x = w.curves->alarmTicks().front().x;
    QTest::mouseMove(w.image(), QPoint(x + 1, 60));
    const QString expected = u"Alarm 12  2013-05-07 08:01:10  Hydraulic oil temperature high"_s;
    QCOMPARE(w.image()->toolTip(), expected);
    QVERIFY(CurveReadout::plainText(w.overlay()->readout()).contains(expected));
    // Away from the tick: no alarm.
    QTest::mouseMove(w.image(), QPoint(x + 6, 60));
    QCOMPARE(w.image()->toolTip(), QString());
    QVERIFY(!CurveReadout::plainText(w.overlay()->readout()).contains(u"Alarm 12"_s));
}

void tst_AlarmTrend::alarmInTheListGoesToTheTrend()
{
    Windows w;
    w.main->showAlarmList();
    QTableWidget *table = w.main->alarmList()->table();
    // An alarm far from the first screen.
    int listRow = -1;
    for (int r = 0; r < table->rowCount(); ++r) {
        const auto t = w.main->alarmList()->timeOfRow(r);
        if (t && *t > FirstRecordTime + 1200 && *t < FirstRecordTime + 1800) {
            listRow = r;
            break;
        }
    }
    QVERIFY(listRow >= 0);
    const qint64 time = *w.main->alarmList()->timeOfRow(listRow);
    QVERIFY(Windows::rowAt(time) - 1 > w.bar()->value() + w.bar()->pageStep());
    table->scrollToItem(table->item(listRow, 0));
    QVERIFY(QTest::qWaitForWindowExposed(w.main->alarmList()));
    const QRect cell = table->visualItemRect(table->item(listRow, 0));
    // A view hears a double click after the press that made the item current.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());

    const int row = Windows::rowAt(time);
    QCOMPARE(w.curves->markerA(), std::optional<int>(row));
    QCOMPARE(w.curves->markerB(), std::nullopt);
    const int point = row - 1 - w.bar()->value();
    QVERIFY(point >= 0 && point < w.bar()->pageStep());
    QCOMPARE(w.view()->currentIndex().row() + 1, row);
}

void tst_AlarmTrend::onlyAlarmsInViewFollowsScrolling()
{
    Windows w;
    w.main->showAlarmList();
    AlarmListWindow *list = w.main->alarmList();
    const int all = list->table()->rowCount();
    QCOMPARE(all, 200);
    list->onlyInViewCheck()->click();
    const auto inView = [&] {
        const qint64 first = FirstRecordTime + w.bar()->value();
        const qint64 last = first + w.bar()->pageStep() - 1;
        int n = 0;
        for (int r = 0; r < all; ++r) {
            const auto t = AlarmHistory::read(w.dir.filePath(u"Alarm.db"_s))->alarms[r].time;
            n += t && *t >= first && *t <= last;
        }
        return n;
    };
    QCOMPARE(list->table()->rowCount(), inView());
    w.scrollToRow(Windows::rowAt(*RecordTime::alarmTime("2013-05-07 08:01:10")) - 3);
    QVERIFY(list->table()->rowCount() >= 1);
    QCOMPARE(list->table()->rowCount(), inView());
    QCOMPARE(list->timeOfRow(0), RecordTime::alarmTime("2013-05-07 08:01:10"));
    // Closing the curves leaves no screen to be in.
    w.curves->close();
    QCOMPARE(list->table()->rowCount(), 0);
    list->onlyInViewCheck()->click();
    QCOMPARE(list->table()->rowCount(), all);
}

QTEST_MAIN(tst_AlarmTrend)
#include "tst_alarmtrend.moc"
