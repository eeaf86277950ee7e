// The curve window over a real record grid: its looks, the data range taken
// at showing, the redraws, the page computation and the captions.
#include "curves/CurvePicture.h"
#include "curvewindow/CurveTab.h"
#include "curvewindow/CurveWindow.h"
#include "records/RecordGridModel.h"
#include "support/GridSource.h"
#include "support/NamedControl.h"
#include "widgets/ColourPanel.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

class Source : public GridSource
{
public:
    Source()
    {
        shownLanguage = Language::Chinese;
        enabled = false;
    }

    // dataRows data records with IDs from firstId, 16-bit layout.
    void load(int dataRows, int firstId = 1)
    {
        grid.makeEmpty();
        grid.setCols(13);
        grid.setRows(dataRows + 1);
        for (int r = 1; r <= dataRows; ++r) {
            grid.setCell(0, r, QString::number(firstId + r - 1));
            grid.setCell(1, r,
                         QStringLiteral("2024-03-%1").arg(r % 28 + 1, 2, 10, QLatin1Char('0')));
            grid.setCell(2, r, QStringLiteral("10:00:%1").arg(r % 60, 2, 10, QLatin1Char('0')));
            for (int c = 3; c < 13; ++c)
                grid.setCell(c, r, QString::number((r * 997 + c * 131) % 40000));
        }
        enabled = true;
    }
};

template<typename T> T *child(const QWidget &w, const char *name)
{
    T *c = namedControl<T>(w, QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

} // namespace

class TestCurveWindow : public QObject
{
    Q_OBJECT
private slots:
    void noDataLook_data();
    void noDataLook();
    void dataRangeTakenAtShowing_data();
    void dataRangeTakenAtShowing();
    void pictureIsTheCoreDrawingOfTheSettings();
    void scrollBarAlongThePlotBottom();
    void showKindsResetColoursKept();
    void scrollPositionComesDownToNewMaximum();
    void captionsSwitchAtShowingOnly();
    void settingChangesRedraw_data();
    void settingChangesRedraw();
    void rangeFieldsFillDateTimeAndPages();
    void plotWidthChangeRecomputesPagesAndSize();
    void closingReturnsToNoDataLook();
    void controlsAsCreated();
    void curveTabsPlaceTheirControls_data();
    void curveTabsPlaceTheirControls();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void groupsHideThePanelCaption_data();
    void groupsHideThePanelCaption();
};

void TestCurveWindow::noDataLook_data()
{
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty grid") << 0 << false;
    QTest::newRow("one data row") << 1 << true;
    QTest::newRow("alarm list") << 50 << false;
}

void TestCurveWindow::noDataLook()
{
    QFETCH(int, dataRows);
    QFETCH(bool, enabled);
    Source src;
    if (dataRows > 0)
        src.load(dataRows);
    src.enabled = enabled;
    CurveWindow w(src);
    w.show();
    QVERIFY(!w.hasCurves());
    QVERIFY(child<QLabel>(w, "noDataLabel")->isVisible());
    QVERIFY(!child<QScrollBar>(w, "dataScrollBar")->isVisible());
    QVERIFY(!child<QPushButton>(w, "printButton")->isEnabled());
    QCOMPARE(child<QLabel>(w, "noDataLabel")->text(),
             QStringLiteral("没有可用的曲线数据，请先打开数据库!"));
    QCOMPARE(w.size(), QSize(907, 554));
}

void TestCurveWindow::dataRangeTakenAtShowing_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("firstId");
    QTest::addColumn<QString>("firstCell");
    QTest::addColumn<int>("startMin");
    QTest::addColumn<int>("startMax");
    QTest::addColumn<int>("endMin");
    QTest::addColumn<int>("endMax");
    QTest::newRow("100 rows from 1") << 100 << 1 << QString() << 1 << 99 << 2 << 100;
    QTest::newRow("two rows from 500") << 2 << 500 << QString() << 500 << 500 << 501 << 501;
    QTest::newRow("IDs longer than the typing limit")
        << 10 << 1234567 << QString() << 1234567 << 1234575 << 1234568 << 1234576;
    QTest::newRow("first ID not a number") << 10 << 7 << QStringLiteral("abc") << 0 << 8 << 1 << 9;
}

void TestCurveWindow::dataRangeTakenAtShowing()
{
    QFETCH(int, rows);
    QFETCH(int, firstId);
    QFETCH(QString, firstCell);
    QFETCH(int, startMin);
    QFETCH(int, startMax);
    QFETCH(int, endMin);
    QFETCH(int, endMax);
    Source src;
    src.load(rows, firstId);
    if (!firstCell.isNull())
        src.grid.setCell(0, 1, firstCell);
    CurveWindow w(src);
    w.show();
    QVERIFY(w.hasCurves());
    auto *start = child<SpinEdit>(w, "printStartSpin");
    auto *end = child<SpinEdit>(w, "printEndSpin");
    QCOMPARE(w.firstDataId(), startMin);
    QCOMPARE(start->minimum(), startMin);
    QCOMPARE(start->maximum(), startMax);
    QCOMPARE(start->value(), startMin);
    QCOMPARE(end->minimum(), endMin);
    QCOMPARE(end->maximum(), endMax);
    QCOMPARE(end->value(), endMax);
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->maximum(), rows - 1);
    QVERIFY(child<QPushButton>(w, "printButton")->isEnabled());
    QVERIFY(!child<QLabel>(w, "noDataLabel")->isVisible());
}

void TestCurveWindow::pictureIsTheCoreDrawingOfTheSettings()
{
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    const QImage shown = w.curvePicture();
    QCOMPARE(shown.size(), QSize(902, 362));
    QImage expected;
    CurvePicture::View v;
    v.grid = &src.grid;
    v.scrollMax = 99;
    CurvePicture::draw(expected, CurveSettings(), v);
    QCOMPARE(shown, expected);
    QVERIFY(child<QWidget>(w, "curveImage")->isVisible());
}

void TestCurveWindow::scrollBarAlongThePlotBottom()
{
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    auto *bar = child<QScrollBar>(w, "dataScrollBar");
    QCOMPARE(bar->geometry(), QRect(50, 488, 850, 18));
    QCOMPARE(bar->pageStep(), 85);
    child<QCheckBox>(w, "hideYMarksCheck")->click();
    QCOMPARE(bar->geometry(), QRect(0, 488, 900, 18));
    QCOMPARE(bar->pageStep(), 90);
    // Scrolling draws the screen that begins at the new position.
    const QImage before = w.curvePicture();
    bar->setValue(10);
    QVERIFY(w.curvePicture() != before);
}

void TestCurveWindow::showKindsResetColoursKept()
{
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    auto *kind1 = child<QComboBox>(w, "curveTab1.showKindList");
    QCOMPARE(kind1->currentIndex(), 1);
    kind1->setCurrentIndex(0);
    child<ColourPanel>(w, "curveTab1.colourPanel")->setColour(Qt::blue);
    child<SpinEdit>(w, "verticalGridSpin")->setValue(4);
    w.close();
    w.show();
    QCOMPARE(kind1->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(w, "curveTab2.showKindList")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(w, "curveTab3.showKindList")->currentIndex(), 3);
    QCOMPARE(child<QComboBox>(w, "curveTab4.showKindList")->currentIndex(), 0);
    QCOMPARE(child<ColourPanel>(w, "curveTab1.colourPanel")->colour(), QColor(Qt::blue));
    QCOMPARE(child<SpinEdit>(w, "verticalGridSpin")->value(), 4);
    QCOMPARE(w.settings().curves[0].colour, qRgb(0, 0, 255));
}

void TestCurveWindow::scrollPositionComesDownToNewMaximum()
{
    Source src;
    src.load(300);
    CurveWindow w(src);
    w.show();
    auto *bar = child<QScrollBar>(w, "dataScrollBar");
    bar->setValue(40);
    w.close();
    src.load(20);
    w.show();
    QCOMPARE(bar->maximum(), 19);
    QCOMPARE(bar->value(), 19);
    // The information line counts from the new position.
    QCOMPARE(w.settings().width, 900);
}

void TestCurveWindow::captionsSwitchAtShowingOnly()
{
    Source src;
    src.load(100);
    src.shownLanguage = Language::English;
    CurveWindow w(src);
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Database Curve Browser"));
    QCOMPARE(child<QGroupBox>(w, "printRangeGroup")->title(),
             QStringLiteral("Print Range Settings"));
    auto *tabs = child<QTabWidget>(w, "settingsTabs");
    QCOMPARE(tabs->tabText(tabs->indexOf(child<QWidget>(w, "yAxisTab"))), QStringLiteral("Y Axis"));
    QCOMPARE(child<QLabel>(w, "curveTab5.bufferLabel")->text(), QStringLiteral("Buffe Position:"));
    QCOMPARE(child<QCheckBox>(w, "hideReadoutCheck")->text(),
             QStringLiteral("No Display Current Coordinate Point Value"));
    QCOMPARE(child<QComboBox>(w, "curveTab1.showKindList")->currentText(),
             QStringLiteral("Broken Line"));
    QCOMPARE(child<QLabel>(w, "pageCountLabel")->text(), QStringLiteral("2 / Page Dat Point(85)"));

    src.shownLanguage = Language::Chinese;
    QCOMPARE(w.windowTitle(), QStringLiteral("Database Curve Browser"));
    w.close();
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("数据库曲线浏览窗口"));
    QCOMPARE(tabs->tabText(tabs->indexOf(child<QWidget>(w, "xAxisTab"))), QStringLiteral("X 轴"));
    QCOMPARE(child<QLabel>(w, "curveTab5.bufferLabel")->text(), QStringLiteral("缓冲区资料位置:"));
    QCOMPARE(child<QComboBox>(w, "curveTab3.showKindList")->currentText(),
             QStringLiteral("柱条线"));
    // Both range fields are set again; the page text is written anew.
    QCOMPARE(child<QLabel>(w, "pageCountLabel")->text(), QStringLiteral("2 / 每页打印数据点(85)"));
}

void TestCurveWindow::settingChangesRedraw_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("changes");
    QTest::newRow("hideGridCheck hides the grid") << QStringLiteral("hideGridCheck") << true;
    QTest::newRow("hideXInfoCheck hides the X information")
        << QStringLiteral("hideXInfoCheck") << true;
    QTest::newRow("hideYMarksCheck hides the labels") << QStringLiteral("hideYMarksCheck") << true;
    QTest::newRow("hideReadoutCheck changes nothing")
        << QStringLiteral("hideReadoutCheck") << false;
    QTest::newRow("line style of curve 3") << QStringLiteral("curveTab3.lineStyleList") << true;
    QTest::newRow("line width of curve 1") << QStringLiteral("curveTab1.lineWidthList") << true;
    QTest::newRow("buffer position of curve 3") << QStringLiteral("curveTab3.bufferList") << true;
    QTest::newRow("show kind of curve 4") << QStringLiteral("curveTab4.showKindList") << true;
    QTest::newRow("label font class") << QStringLiteral("markFontList") << true;
    QTest::newRow("full scale of curve 2") << QStringLiteral("curveTab2.fullScaleSpin") << true;
    QTest::newRow("label count") << QStringLiteral("markCountSpin") << true;
}

void TestCurveWindow::settingChangesRedraw()
{
    QFETCH(QString, control);
    QFETCH(bool, changes);
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    const QImage before = w.curvePicture();
    QWidget *c = namedControl<QWidget>(w, control);
    QVERIFY(c);
    if (auto *box = qobject_cast<QCheckBox *>(c))
        box->click();
    else if (auto *combo = qobject_cast<QComboBox *>(c))
        combo->setCurrentIndex(combo->currentIndex() == 1 ? 3 : 1);
    else if (auto *spin = qobject_cast<SpinEdit *>(c))
        spin->setValue(spin->value() == 3 ? 7 : 3);
    QCOMPARE(w.curvePicture() != before, changes);
    // The picture always follows the controls as they now are.
    QImage expected;
    CurvePicture::View v;
    v.grid = &src.grid;
    v.scrollMax = 99;
    CurvePicture::draw(expected, w.settings(), v);
    QCOMPARE(w.curvePicture(), expected);
}

void TestCurveWindow::rangeFieldsFillDateTimeAndPages()
{
    Source src;
    src.load(100);
    src.shownLanguage = Language::English;
    CurveWindow w(src);
    w.show();
    auto *start = child<SpinEdit>(w, "printStartSpin");
    auto *end = child<SpinEdit>(w, "printEndSpin");
    auto *pages = child<QLabel>(w, "pageCountLabel");
    QCOMPARE(child<QLineEdit>(w, "printStartTimeEdit")->text(),
             src.grid.cell(1, 1) + u' ' + src.grid.cell(2, 1));
    QCOMPARE(child<QLineEdit>(w, "printEndTimeEdit")->text(),
             src.grid.cell(1, 100) + u' ' + src.grid.cell(2, 100));
    QCOMPARE(w.pageCount(), 2);
    end->setValue(86);
    QCOMPARE(pages->text(), QStringLiteral("1 / Page Dat Point(85)"));
    start->setValue(50);
    end->setValue(120); // typed past the last row: cells are empty
    QCOMPARE(child<QLineEdit>(w, "printEndTimeEdit")->text(), QStringLiteral(" "));
    QCOMPARE(w.pageCount(), 1);
    // End not above start: no computation, the count stays.
    end->setValue(40);
    QCOMPARE(w.pageCount(), 1);
    // Start below the first ID: nothing changes.
    const QString edit1 = child<QLineEdit>(w, "printStartTimeEdit")->text();
    start->setValue(0);
    QCOMPARE(child<QLineEdit>(w, "printStartTimeEdit")->text(), edit1);
}

void TestCurveWindow::plotWidthChangeRecomputesPagesAndSize()
{
    Source src;
    src.load(1000);
    CurveWindow w(src);
    w.show();
    QCOMPARE(w.size(), QSize(902, 362 + 147));
    QCOMPARE(w.pageCount(), 12); // 999 over 85
    child<SpinEdit>(w, "pictureWidthSpin")->setValue(1280);
    QCOMPARE(w.size(), QSize(1282, 362 + 147));
    // Grown past the screen's right edge, the window moved back inside.
    QVERIFY(w.screen()->availableGeometry().contains(w.frameGeometry()));
    // The panel's caption stays under the tab row, not in a gap between groups.
    const QRect tabs = child<QWidget>(w, "settingsTabs")->geometry();
    const QLabel *caption = child<QLabel>(w, "settingsPanelCaption");
    const int textWidth = caption->fontMetrics().horizontalAdvance(caption->text());
    QVERIFY(tabs.left() < caption->geometry().center().x() - textWidth / 2);
    QVERIFY(caption->geometry().center().x() + textWidth / 2 < tabs.right());
    QCOMPARE(w.pageCount(), 9); // 999 over 123
    child<SpinEdit>(w, "pictureHeightSpin")->setValue(600);
    QCOMPARE(w.size(), QSize(1282, 602 + 147));
    // A band change alone changes the points but not the count.
    child<QCheckBox>(w, "hideYMarksCheck")->click();
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->pageStep(), 128);
    QCOMPARE(w.pageCount(), 9);
}

void TestCurveWindow::closingReturnsToNoDataLook()
{
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    QVERIFY(w.hasCurves());
    w.close();
    QVERIFY(w.isHidden());
    QVERIFY(!w.hasCurves());
    QVERIFY(!child<QPushButton>(w, "printButton")->isEnabled());
    // Cleared in the main window while hidden: the next showing has no data.
    src.grid.makeEmpty();
    src.enabled = false;
    w.show();
    QVERIFY(!w.hasCurves());
    QVERIFY(child<QLabel>(w, "noDataLabel")->isVisible());
}

void TestCurveWindow::controlsAsCreated()
{
    Source src;
    CurveWindow w(src);
    QCOMPARE(child<QComboBox>(w, "curveTab3.lineStyleList")->count(), 7);
    QCOMPARE(child<QComboBox>(w, "curveTab3.lineStyleList")->itemText(6),
             QStringLiteral("InsideFrame"));
    QCOMPARE(child<QComboBox>(w, "curveTab5.lineWidthList")->itemText(5), QStringLiteral("6p"));
    QVERIFY(!child<QComboBox>(w, "curveTab5.lineWidthList")->itemIcon(5).isNull());
    QVERIFY(!child<QComboBox>(w, "timeFormatList")->isEnabled());
    QCOMPARE(child<QComboBox>(w, "timeFormatList")->currentText(),
             QStringLiteral("YY-MM-DD HH:MM:SS"));
    QCOMPARE(child<QComboBox>(w, "xInfoFontList")->itemText(9), QStringLiteral("160x320"));
    QCOMPARE(child<QComboBox>(w, "curveTab5.bufferList")->currentIndex(), 4);
    QCOMPARE(child<SpinEdit>(w, "curveTab1.fullScaleSpin")->value(), 50000);
    QCOMPARE(child<SpinEdit>(w, "curveTab5.fullScaleSpin")->maxLength(), 9);
    QCOMPARE(child<SpinEdit>(w, "printStartSpin")->value(), 100000);
    QCOMPARE(child<SpinEdit>(w, "printEndSpin")->value(), 50000);
    QCOMPARE(child<SpinEdit>(w, "markMinSpin")->toolTip(), QStringLiteral("-32768 ~ 32767"));
    QCOMPARE(child<ColourPanel>(w, "gridColourPanel")->colour(), QColor(108, 108, 108));
    QCOMPARE(child<ColourPanel>(w, "xInfoColourPanel")->toolTip(), QStringLiteral("选择颜色"));
    QCOMPARE(child<QLabel>(w, "pageCountLabel")->text(), QStringLiteral("0"));
    QCOMPARE(child<QWidget>(w, "printRangeGroup")->geometry(), QRect(610, 5, 286, 138));
    QVERIFY(child<QTabWidget>(w, "settingsTabs")->isMovable());
    QCOMPARE(child<QTabWidget>(w, "settingsTabs")->currentWidget()->objectName(),
             QStringLiteral("curveTab1"));
    // The defaults of the window are the core's defaults.
    const CurveSettings s = w.settings();
    const CurveSettings d;
    QCOMPARE(s.width, d.width);
    QCOMPARE(s.markMax, d.markMax);
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(s.curves[k].colour, d.curves[k].colour);
        QCOMPARE(s.curves[k].full, d.curves[k].full);
        QCOMPARE(s.curves[k].bufferPos, d.curves[k].bufferPos);
    }
}

void TestCurveWindow::curveTabsPlaceTheirControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("place");
    // Controls: their rectangle in the tab. Labels: where their text starts,
    // whatever the width of the caption.
    QTest::newRow("show kind") << QStringLiteral("showKindList") << QRect(45, 11, 118, 22);
    QTest::newRow("colour") << QStringLiteral("colourPanel") << QRect(45, 36, 118, 21);
    QTest::newRow("line style") << QStringLiteral("lineStyleList") << QRect(45, 59, 118, 23);
    QTest::newRow("line width") << QStringLiteral("lineWidthList") << QRect(45, 84, 118, 23);
    QTest::newRow("buffer position") << QStringLiteral("bufferList") << QRect(293, 11, 92, 22);
    QTest::newRow("full scale") << QStringLiteral("fullScaleSpin") << QRect(293, 35, 92, 21);
    QTest::newRow("zero scale") << QStringLiteral("zeroSpin") << QRect(293, 59, 92, 21);
    QTest::newRow("show kind label") << QStringLiteral("showKindLabel") << QRect(8, 15, 0, 0);
    QTest::newRow("colour label") << QStringLiteral("colourLabel") << QRect(8, 39, 0, 0);
    QTest::newRow("line style label") << QStringLiteral("lineStyleLabel") << QRect(8, 63, 0, 0);
    QTest::newRow("line width label") << QStringLiteral("lineWidthLabel") << QRect(8, 88, 0, 0);
    QTest::newRow("buffer label") << QStringLiteral("bufferLabel") << QRect(186, 15, 0, 0);
    QTest::newRow("full scale label") << QStringLiteral("fullScaleLabel") << QRect(186, 39, 0, 0);
    QTest::newRow("zero scale label") << QStringLiteral("zeroLabel") << QRect(186, 63, 0, 0);
}

// The five curve tabs come from one form and lay out alike, in both
// languages, where the window always had them.
void TestCurveWindow::curveTabsPlaceTheirControls()
{
    QFETCH(QString, control);
    QFETCH(QRect, place);
    Source src;
    src.load(100);
    for (const bool chinese : {true, false}) {
        src.shownLanguage = (chinese ? Language::Chinese : Language::English);
        CurveWindow w(src);
        w.show();
        auto *tabs = child<QTabWidget>(w, "settingsTabs");
        for (int k = 0; k < 5; ++k) {
            CurveTab *tab = w.curveTab(k);
            QCOMPARE(tabs->widget(k), tab);
            QCOMPARE(tab->objectName(), QStringLiteral("curveTab%1").arg(k + 1));
            tabs->setCurrentWidget(tab);
            QWidget *c = namedControl<QWidget>(*tab, control);
            QVERIFY(c);
            QVERIFY(c->isVisible());
            if (auto *label = qobject_cast<QLabel *>(c)) {
                QVERIFY(!label->text().isEmpty());
                QCOMPARE(label->contentsRect().topLeft() + label->pos(), place.topLeft());
                QCOMPARE(label->contentsRect().height(), label->fontMetrics().height());
            } else {
                QCOMPARE(c->geometry(), place);
            }
        }
    }
}

QTEST_MAIN(TestCurveWindow)
#include "tst_curvewindow.moc"

void TestCurveWindow::captionsFitTheirControls_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("Chinese") << true;
    QTest::newRow("English") << false;
}

void TestCurveWindow::captionsFitTheirControls()
{
    QFETCH(bool, chinese);
    Source src;
    src.shownLanguage = (chinese ? Language::Chinese : Language::English);
    src.load(100);
    CurveWindow w(src);
    w.show();
    const QWidget *panel = child<QWidget>(w, "settingsPanel");
    int checked = 0;
    for (const QLabel *label : panel->findChildren<QLabel *>()) {
        if (label->objectName() == QLatin1String("settingsPanelCaption") || label->isHidden())
            continue;
        // The nearest control to its right on the same line.
        const QRect place = label->geometry();
        const QWidget *beside = nullptr;
        for (const QObject *o : label->parent()->children()) {
            const auto *other = qobject_cast<const QWidget *>(o);
            if (!other || other == label || other->isHidden())
                continue;
            const QRect g = other->geometry();
            if (g.x() > place.x() && g.top() <= place.bottom() && g.bottom() >= place.top()
                && (!beside || g.x() < beside->x()))
                beside = other;
        }
        const int room = (beside ? beside->x() : label->parentWidget()->width()) - place.x();
        QVERIFY2(label->sizeHint().width() <= room,
                 qPrintable(QStringLiteral("%1 \"%2\" needs %3, has %4")
                                .arg(label->objectName(), label->text())
                                .arg(label->sizeHint().width())
                                .arg(room)));
        ++checked;
    }
    QVERIFY(checked > 40);
    for (const QCheckBox *box : panel->findChildren<QCheckBox *>())
        QVERIFY2(box->x() + box->sizeHint().width() <= box->parentWidget()->width(),
                 qPrintable(box->text()));
    for (const QGroupBox *group : panel->findChildren<QGroupBox *>())
        QVERIFY2(group->fontMetrics().horizontalAdvance(group->title()) + 16 <= group->width(),
                 qPrintable(group->title()));
    for (const QPushButton *button : panel->findChildren<QPushButton *>())
        QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
    // Every tab in one row, no scroll arrows.
    auto *tabs = child<QTabWidget>(w, "settingsTabs");
    QTabBar *bar = tabs->tabBar();
    QVERIFY2(bar->sizeHint().width() <= tabs->width(),
             qPrintable(QString::number(bar->sizeHint().width())));
    for (const QToolButton *arrow : bar->findChildren<QToolButton *>())
        QVERIFY(!arrow->isVisible());
    QVERIFY(bar->tabRect(bar->count() - 1).right() < tabs->width());
}

void TestCurveWindow::groupsHideThePanelCaption_data()
{
    QTest::addColumn<QString>("group");
    QTest::newRow("picture group") << QStringLiteral("pictureGroup");
    QTest::newRow("curve tabs") << QStringLiteral("settingsTabs");
    QTest::newRow("print range group") << QStringLiteral("printRangeGroup");
}

void TestCurveWindow::groupsHideThePanelCaption()
{
    // The panel's caption lies under the groups; wherever a width puts it,
    // the group over it paints its whole area.
    QFETCH(QString, group);
    Source src;
    src.load(100);
    CurveWindow w(src);
    w.show();
    auto *over = w.findChild<QWidget *>(group);
    QVERIFY(over);
    auto *caption = child<QLabel>(w, "settingsPanelCaption");
    caption->setGeometry(over->geometry());
    // A colour nothing else in the panel has.
    caption->setStyleSheet(QStringLiteral("color: #00ffff; font-size: 40px;"));
    caption->show();
    auto *panel = child<QWidget>(w, "settingsPanel");
    const auto captionPixels = [&] {
        const QImage image = panel->grab(over->geometry()).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() < 80 && c.green() > 180 && c.blue() > 180;
            }
        return n;
    };
    QCOMPARE(captionPixels(), 0);
    // The caption does show where nothing covers it.
    caption->raise();
    QVERIFY(captionPixels() > 100);
}
