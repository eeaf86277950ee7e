// The main window's layout: the grid view's columns and headers, fitting a
// column to its texts, the outer and minimum size, Tab out of the grid, and the
// curve button.

#include "curvewindow/CurveWindow.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

using Window = MainWindowFixture;

} // namespace

class TestMainWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void curveButtonShowsCurveWindow();
    void gridViewFollowsLayout();
    void columnEdgeDoubleClickFitsTexts_data();
    void columnEdgeDoubleClickFitsTexts();
    void outerSizeAndMinimumSize();
    void tabLeavesTheGrid_data();
    void tabLeavesTheGrid();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowLayout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowLayout::curveButtonShowsCurveWindow()
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

void TestMainWindowLayout::gridViewFollowsLayout()
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

void TestMainWindowLayout::columnEdgeDoubleClickFitsTexts_data()
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

void TestMainWindowLayout::columnEdgeDoubleClickFitsTexts()
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

void TestMainWindowLayout::outerSizeAndMinimumSize()
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

void TestMainWindowLayout::tabLeavesTheGrid_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::newRow("Tab") << false;
    QTest::newRow("Shift+Tab") << true;
}

void TestMainWindowLayout::tabLeavesTheGrid()
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

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindow_layout.moc"
