// The curve window's table of statistics between markers A and B: it shows
// once both are set, follows a change of the curves, goes with the markers
// (Esc, a new A, new data), and copies as tab-separated text; the picture
// stays as it was.
#include "curvewindow/CurveTab.h"
#include "curvewindow/CurveWindow.h"
#include "curvewindow/MarkerStatisticsTable.h"
#include "support/GridSource.h"
#include "widgets/ImageView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Records 1..40 ten seconds apart from 08:00:00; value column c of row r
// holds r * (c - 2).
struct Windows
{
    explicit Windows(Language language = Language::English)
    {
        source.shownLanguage = language;
        RecordGridModel &grid = source.grid;
        grid.setCols(8);
        grid.setRows(41);
        for (int r = 1; r <= 40; ++r) {
            grid.setCell(0, r, QString::number(r));
            grid.setCell(1, r, u"2013-05-07"_s);
            grid.setCell(2, r,
                         u"08:%1:%2"_s.arg(r * 10 / 60, 2, 10, QLatin1Char('0'))
                             .arg(r * 10 % 60, 2, 10, QLatin1Char('0')));
            for (int c = 3; c < 8; ++c)
                grid.setCell(c, r, QString::number(r * (c - 2)));
        }
        for (int c = 3; c < 8; ++c)
            grid.setCell(c, 0, u"Data(%1)"_s.arg(c - 3));
        curves = std::make_unique<CurveWindow>(source);
        curves->show();
        curves->activateWindow();
        if (!QTest::qWaitForWindowActive(curves.get()))
            qWarning("the curve window is not active");
    }
    ImageView *image() const { return curves->findChild<ImageView *>(u"curveImage"_s); }
    // Clicks point i of the screen.
    void click(int i) const
    {
        QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(50 + 10 * i - 4, 150));
    }
    MarkerStatisticsTable *table() const { return curves->markerStatistics(); }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < table()->table()->columnCount(); ++c)
            cells << table()->table()->item(r, c)->text();
        return cells;
    }

    GridSource source;
    std::unique_ptr<CurveWindow> curves;
};

} // namespace

class TestMarkerStatisticsTable : public QObject
{
    Q_OBJECT
private slots:
    void shownOnceBothMarkersAreSet();
    void followsTheCurvesShown();
    void goesWithTheMarkers_data();
    void goesWithTheMarkers();
    void copiedAsTabSeparatedText();
};

void TestMarkerStatisticsTable::shownOnceBothMarkersAreSet()
{
    Windows w;
    QVERIFY(w.curves->hasCurves());
    const QImage before = w.curves->curvePicture();
    w.click(2);
    QCOMPARE(w.curves->markerA().value_or(-1), 3);
    QVERIFY(w.table()->isHidden());
    w.click(12);
    QCOMPARE(w.curves->markerB().value_or(-1), 13);
    QVERIFY(w.table()->isVisible());
    QCOMPARE(w.table()->windowTitle(), u"Statistics between the markers"_s);
    QCOMPARE(w.table()->table()->rowCount(), 4); // the time and three curves
    QCOMPARE(w.row(0),
             (QStringList {u"Time"_s, u"2013-05-07 08:00:30"_s, u"2013-05-07 08:02:10"_s,
                           u"00:01:40"_s, QString(), QString(), QString()}));
    // Rows 3 to 13 of column Data(1) hold 6, 8, ... 26: the mean 16.
    QCOMPARE(w.row(2),
             (QStringList {u"Data(1)"_s, u"6"_s, u"26"_s, u"+20"_s, u"6"_s, u"26"_s, u"16.00"_s}));
    QCOMPARE(w.curves->curvePicture(), before);
}

void TestMarkerStatisticsTable::followsTheCurvesShown()
{
    Windows w;
    w.click(2);
    w.click(12);
    QCOMPARE(w.table()->table()->rowCount(), 4);
    // Curve 4 shown on Data(4): its row comes with the redraw.
    QComboBox *kind = w.curves->curveTab(3)->showKindList();
    kind->setCurrentIndex(int(ShowKind::BrokenLine));
    QCOMPARE(w.table()->table()->rowCount(), 5);
    QCOMPARE(w.row(4).value(0), u"Data(3)"_s);
    QCOMPARE(w.row(4).value(3), u"+40"_s);
}

void TestMarkerStatisticsTable::goesWithTheMarkers_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Esc") << 0;
    QTest::newRow("a third click starts a new pair") << 1;
    QTest::newRow("the window closes") << 2;
}

void TestMarkerStatisticsTable::goesWithTheMarkers()
{
    QFETCH(int, how);
    Windows w;
    w.click(2);
    w.click(12);
    QVERIFY(w.table()->isVisible());
    switch (how) {
    case 0:
        QTest::keyClick(w.curves.get(), Qt::Key_Escape);
        break;
    case 1:
        w.click(5);
        break;
    default:
        w.curves->close();
        break;
    }
    QVERIFY(w.table()->isHidden());
}

void TestMarkerStatisticsTable::copiedAsTabSeparatedText()
{
    Windows w(Language::Chinese);
    w.click(1);
    w.click(2);
    const QString text = u"曲线\tA (编号 2)\tB (编号 3)\tB − A\t最小值\t最大值\t平均值\r\n"
                         "时间\t2013-05-07 08:00:20\t2013-05-07 08:00:30\t00:00:10\t\t\t\r\n"
                         "Data(0)\t2\t3\t+1\t2\t3\t2.50\r\n"
                         "Data(1)\t4\t6\t+2\t4\t6\t5.00\r\n"
                         "Data(2)\t6\t9\t+3\t6\t9\t7.50\r\n"_s;
    QCOMPARE(w.table()->text(), text);
    QApplication::clipboard()->clear();
    w.table()->copyButton()->click();
    QCOMPARE(QApplication::clipboard()->text(), text);
    QApplication::clipboard()->clear();
    QTest::keyClick(w.table()->table(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), text);
}

QTEST_MAIN(TestMarkerStatisticsTable)
#include "tst_markerstatisticstable.moc"
