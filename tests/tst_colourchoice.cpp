// Choosing a colour from the curve window: the colour word, where the dialog
// opens, the remembered colour, and the picture redrawn after each choice;
// and a line style picked from the owner-drawn list.
#include "curves/CurvePicture.h"
#include "curvewindow/CurveWindow.h"
#include "records/RecordGridModel.h"
#include "support/FakeColourChooser.h"
#include "support/GridSource.h"
#include "support/NamedControl.h"
#include "widgets/ColourChoice.h"
#include "widgets/ColourDialog.h"
#include "widgets/ColourPalette.h"
#include "widgets/ColourPanel.h"
#include "widgets/LinePickerDelegate.h"
#include "widgets/PaletteCells.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>

#include <functional>

using ColourChoice::ColourWord;

namespace {

class Source : public GridSource
{
public:
    Source()
    {
        grid.setCols(13);
        grid.setRows(101);
        for (int r = 1; r <= 100; ++r) {
            grid.setCell(0, r, QString::number(r));
            grid.setCell(1, r, QStringLiteral("2024-03-01"));
            grid.setCell(2, r, QStringLiteral("10:00:00"));
            for (int c = 3; c < 13; ++c)
                grid.setCell(c, r, QString::number((r * 997 + c * 131) % 40000));
        }
    }
};

// A curve window with its colour dialog, shown with 100 records.
struct Window
{
    Window()
        : w(src)
    {
        w.setColourDialog(&dialog);
        dialog.setColourChooser(&chooser);
        w.move(30, 20);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qWarning("the curve window never showed");
    }
    ColourPanel *panel(const char *name)
    {
        return namedControl<ColourPanel>(w, QLatin1String(name));
    }
    QImage expectedPicture() const
    {
        QImage img;
        CurvePicture::View v;
        v.grid = &src.grid;
        v.scrollMax = 99;
        CurvePicture::draw(img, w.settings(), v);
        return img;
    }
    // Clicks the panel; act runs while the dialog is up and must close it.
    void choose(const char *name, const std::function<void()> &act)
    {
        shown = false;
        QTimer::singleShot(0, &dialog, [this, act] {
            shown = dialog.isVisible();
            at = dialog.pos();
            windowAt = w.frameGeometry().topLeft();
            startColour = dialog.colour();
            selectedOnShow = dialog.findChild<ColourPalette *>()->selectedCell();
            act();
            if (dialog.isVisible())
                dialog.done(-1);
        });
        QTest::mouseClick(panel(name), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(shown);
    }
    void clickCell(int cell)
    {
        QTest::mouseClick(dialog.findChild<ColourPalette *>(), Qt::LeftButton, {},
                          PaletteCells::rect(cell).center());
    }

    Source src;
    CurveWindow w;
    ColourDialog dialog;
    FakeColourChooser chooser;
    bool shown = false;
    QPoint at;
    QPoint windowAt;
    ColourWord startColour = 0;
    int selectedOnShow = -2;
};

bool contains(const QImage &img, QRgb colour)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour)
                return true;
    return false;
}

} // namespace

class TestColourChoice : public QObject
{
    Q_OBJECT
private slots:
    void colourWord_data();
    void colourWord();
    void dialogPosition_data();
    void dialogPosition();
    void dialogOpensBelowThePanel();
    void firstChoiceStartsFromTheShownColour();
    void okSetsPanelAndRedraws_data();
    void okSetsPanelAndRedraws();
    void cancelChangesNothingButRedraws_data();
    void cancelChangesNothingButRedraws();
    void dashDotPickedFromTheListRedraws();
};

void TestColourChoice::colourWord_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<uint>("word");
    QTest::newRow("red in the low byte") << QColor(255, 0, 0) << 0x0000ffu;
    QTest::newRow("green in the middle") << QColor(0, 255, 0) << 0x00ff00u;
    QTest::newRow("blue in the high byte") << QColor(0, 0, 255) << 0xff0000u;
    QTest::newRow("mixed") << QColor(1, 2, 3) << 0x030201u;
    QTest::newRow("grid grey") << QColor(108, 108, 108) << 0x6c6c6cu;
}

void TestColourChoice::colourWord()
{
    QFETCH(QColor, colour);
    QFETCH(uint, word);
    QCOMPARE(ColourChoice::toColourWord(colour), word);
    QCOMPARE(ColourChoice::fromColourWord(word), colour);
    // The platform's "no colour" and system colours are no RGB.
    QVERIFY(!ColourChoice::fromColourWord(0x1fffffffu).isValid());
    QVERIFY(!ColourChoice::fromColourWord(word | 0x80000000u).isValid());
}

void TestColourChoice::dialogPosition_data()
{
    QTest::addColumn<QPoint>("window");
    QTest::addColumn<QRect>("panel");
    QTest::addColumn<QPoint>("dialog");
    // backgroundColourPanel: (48, 8) 41 x 21 in a panel at (106, 15) in a box at (5, 5).
    QTest::newRow("backgroundColourPanel")
        << QPoint(0, 0) << QRect(159, 28, 41, 21) << QPoint(166, 77);
    QTest::newRow("window moved") << QPoint(300, 120) << QRect(159, 28, 41, 21) << QPoint(466, 197);
    QTest::newRow("window off the left")
        << QPoint(-50, -10) << QRect(10, 0, 20, 1) << QPoint(-33, 19);
}

void TestColourChoice::dialogPosition()
{
    QFETCH(QPoint, window);
    QFETCH(QRect, panel);
    QFETCH(QPoint, dialog);
    QCOMPARE(ColourChoice::dialogPosition(window, panel), dialog);
}

void TestColourChoice::dialogOpensBelowThePanel()
{
    Window win;
    win.choose("backgroundColourPanel", [&] { win.dialog.reject(); });
    QCOMPARE(win.at, win.windowAt + QPoint(166, 77));
}

void TestColourChoice::firstChoiceStartsFromTheShownColour()
{
    Window win;
    ColourPanel *p = win.panel("curveTab1.colourPanel");
    QCOMPARE(p->colour(), QColor(255, 0, 0));
    // "Custom..." then cancelling the chooser keeps a red curve red.
    win.choose("curveTab1.colourPanel", [&] {
        QTest::mouseClick(win.dialog.findChild<QPushButton *>(QStringLiteral("customButton")),
                          Qt::LeftButton);
    });
    QCOMPARE(win.startColour, 0x0000ffu);
    QCOMPARE(win.selectedOnShow, 16);
    QCOMPARE(p->colour(), QColor(255, 0, 0));
    QCOMPARE(p->rememberedColour(), QColor(255, 0, 0));
    QCOMPARE(win.w.curvePicture(), win.expectedPicture());
}

void TestColourChoice::okSetsPanelAndRedraws_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("cell");
    QTest::newRow("gridColourPanel, frames and grid") << QStringLiteral("gridColourPanel") << 13;
    QTest::newRow("backgroundColourPanel, the background")
        << QStringLiteral("backgroundColourPanel") << 34;
    QTest::newRow("colour of curve 3") << QStringLiteral("curveTab3.colourPanel") << 9;
    QTest::newRow("markColourPanel, the labels") << QStringLiteral("markColourPanel") << 28;
}

void TestColourChoice::okSetsPanelAndRedraws()
{
    QFETCH(QString, panel);
    QFETCH(int, cell);
    Window win;
    const QByteArray name = panel.toLatin1();
    const QImage before = win.w.curvePicture();
    const QColor chosen = PaletteCells::colour(cell);
    QVERIFY(!contains(before, chosen.rgb()));

    win.choose(name.constData(), [&] { win.clickCell(cell); });
    ColourPanel *p = win.panel(name.constData());
    QCOMPARE(p->colour(), chosen);
    QCOMPARE(p->rememberedColour(), chosen);
    const QImage after = win.w.curvePicture();
    QCOMPARE(after, win.expectedPicture());
    QVERIFY(contains(after, chosen.rgb()));

    // The next opening starts from the chosen colour.
    win.choose(name.constData(), [&] { win.dialog.reject(); });
    QCOMPARE(win.startColour, ColourChoice::toColourWord(chosen));
    QCOMPARE(win.selectedOnShow, cell);
}

void TestColourChoice::cancelChangesNothingButRedraws_data()
{
    QTest::addColumn<bool>("escapeKey");
    QTest::newRow("Escape") << true;
    QTest::newRow("ESC(&N)") << false;
}

void TestColourChoice::cancelChangesNothingButRedraws()
{
    QFETCH(bool, escapeKey);
    Window win;
    const auto cancel = [&] {
        if (escapeKey)
            QTest::keyClick(&win.dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(win.dialog.findChild<QPushButton *>(QStringLiteral("cancelButton")),
                              Qt::LeftButton);
    };
    ColourPanel *p = win.panel("backgroundColourPanel");
    const QColor shown = p->colour();
    // A setting changed without a redraw shows only after the next one.
    const QImage before = win.w.curvePicture();
    {
        auto *kind = namedControl<QComboBox>(win.w, QStringLiteral("curveTab4.showKindList"));
        const QSignalBlocker quiet(kind);
        kind->setCurrentIndex(1);
    }
    QCOMPARE(win.w.curvePicture(), before);
    win.choose("backgroundColourPanel", cancel);
    QCOMPARE(p->colour(), shown);
    QCOMPARE(p->rememberedColour(), shown);
    QVERIFY(win.w.curvePicture() != before);
    QCOMPARE(win.w.curvePicture(), win.expectedPicture());

    // After a choice, a cancelled opening keeps that choice.
    win.choose("backgroundColourPanel", [&] { win.clickCell(5); });
    win.choose("backgroundColourPanel", cancel);
    QCOMPARE(p->colour(), PaletteCells::colour(5));
    QCOMPARE(p->rememberedColour(), PaletteCells::colour(5));
    QCOMPARE(win.w.curvePicture(), win.expectedPicture());
}

void TestColourChoice::dashDotPickedFromTheListRedraws()
{
    Window win;
    auto *picker = namedControl<QComboBox>(win.w, QStringLiteral("curveTab2.lineStyleList"));
    QCOMPARE(picker->itemDelegate()->objectName(), QStringLiteral("lineStyleListDrawItem"));
    QVERIFY(qobject_cast<LinePickerDelegate *>(picker->itemDelegate()));
    // Curve 2 shown, solid and 1p wide.
    namedControl<QComboBox>(win.w, QStringLiteral("curveTab2.showKindList"))->setCurrentIndex(1);
    QCOMPARE(win.w.settings().curves[1].style, 0);
    const QImage before = win.w.curvePicture();
    picker->showPopup();
    QAbstractItemView *view = picker->view();
    QTRY_VERIFY(view->isVisible());
    const QRect row = view->visualRect(picker->model()->index(3, 0));
    QCOMPARE(row.height(), 20);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(picker->currentText(), QStringLiteral("DashDot"));
    QCOMPARE(win.w.settings().curves[1].style, 3);
    QCOMPARE(win.w.settings().curves[1].widthIndex, 0);
    QVERIFY(win.w.curvePicture() != before);
    QCOMPARE(win.w.curvePicture(), win.expectedPicture());
}

QTEST_MAIN(TestColourChoice)
#include "tst_colourchoice.moc"
