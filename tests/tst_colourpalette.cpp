// The colour palette: its cells as painted, the selection by colour, and the
// press, drag, release and hover behaviour of the real widget.
#include "widgets/ColourPalette.h"
#include "widgets/PaletteCells.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

void send(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void press(QWidget *w, QPoint at)
{
    send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
void drag(QWidget *w, QPoint at)
{
    send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void hover(QWidget *w, QPoint at)
{
    send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}
void release(QWidget *w, QPoint at)
{
    send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

QPoint centre(int cell)
{
    return PaletteCells::rect(cell).center();
}

} // namespace

class TestColourPalette : public QObject
{
    Q_OBJECT
private slots:
    void cellsAsPainted_data();
    void cellsAsPainted();
    void noCellOverTheBorder_data();
    void noCellOverTheBorder();
    void pressDragRelease();
    void releaseOverBorderClicksWithoutColour();
    void releaseOutsideIsNoClick();
    void otherButtonsSelectNothing();
    void hoverHighlightsAndHints();
};

void TestColourPalette::cellsAsPainted_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("first") << 1 << 1 << QStringLiteral("Black") << QColor(0, 0, 0);
    QTest::newRow("Gray 50%") << 2 << 8 << QStringLiteral("Gray 50%") << QColor(128, 128, 128);
    QTest::newRow("Violet") << 3 << 7 << QStringLiteral("Violet") << QColor(128, 0, 128);
    QTest::newRow("Bright Green") << 4 << 4 << QStringLiteral("Bright Green") << QColor(0, 255, 0);
    QTest::newRow("last") << 5 << 8 << QStringLiteral("White") << QColor(255, 255, 255);
}

void TestColourPalette::cellsAsPainted()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    const int cell = (row - 1) * 8 + column - 1;
    QCOMPARE(PaletteCells::name(cell), name);
    QCOMPARE(PaletteCells::colour(cell), colour);
    const QRect r = PaletteCells::rect(cell);
    QCOMPARE(r.size(), QSize(18, 18));

    ColourPalette p;
    p.resize(152, 98);
    const QImage img = p.grab().toImage();
    // The cell shows its colour, and the whole cell answers for it.
    QCOMPARE(img.pixelColor(r.center()), colour);
    for (QPoint at : {r.topLeft(), r.bottomRight(), r.center()})
        QCOMPARE(PaletteCells::cellAt(at), cell);
    // All 40 cells lie inside the 152 x 98 palette.
    QVERIFY(QRect(1, 1, 150, 96).contains(PaletteCells::rect(39)));
}

void TestColourPalette::noCellOverTheBorder_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("top-left corner") << QPoint(0, 0);
    QTest::newRow("left of the first cell") << QPoint(3, 10);
    QTest::newRow("right of the last column") << QPoint(148, 10);
    QTest::newRow("below the last row") << QPoint(10, 94);
    QTest::newRow("outside") << QPoint(-5, 200);
}

void TestColourPalette::noCellOverTheBorder()
{
    QFETCH(QPoint, at);
    QCOMPARE(PaletteCells::cellAt(at), -1);
}

void TestColourPalette::pressDragRelease()
{
    ColourPalette p;
    p.resize(152, 98);
    p.show();
    QSignalSpy clicks(&p, &ColourPalette::clicked);
    press(&p, centre(3));
    QCOMPARE(p.selectedCell(), 3);
    QCOMPARE(clicks.count(), 0);
    drag(&p, centre(12));
    QCOMPARE(p.selectedCell(), 12);
    drag(&p, QPoint(1, 1));
    QCOMPARE(p.selectedCell(), -1);
    drag(&p, centre(30));
    release(&p, centre(30));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(p.selectedColour(), std::optional<QColor>(QColor(153, 51, 102)));
}

void TestColourPalette::releaseOverBorderClicksWithoutColour()
{
    ColourPalette p;
    p.resize(152, 98);
    p.show();
    p.setSelectedCell(8);
    QSignalSpy clicks(&p, &ColourPalette::clicked);
    press(&p, QPoint(150, 96));
    release(&p, QPoint(150, 96));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(p.selectedCell(), -1);
    QVERIFY(!p.selectedColour().has_value());
}

void TestColourPalette::releaseOutsideIsNoClick()
{
    ColourPalette p;
    p.resize(152, 98);
    p.show();
    QSignalSpy clicks(&p, &ColourPalette::clicked);
    press(&p, centre(0));
    drag(&p, QPoint(200, 50));
    release(&p, QPoint(200, 50));
    QCOMPARE(clicks.count(), 0);
}

void TestColourPalette::otherButtonsSelectNothing()
{
    ColourPalette p;
    p.resize(152, 98);
    p.show();
    p.setSelectedCell(4);
    QSignalSpy clicks(&p, &ColourPalette::clicked);
    send(&p, QEvent::MouseButtonPress, centre(9), Qt::RightButton, Qt::RightButton);
    send(&p, QEvent::MouseButtonRelease, centre(9), Qt::RightButton, Qt::NoButton);
    QCOMPARE(p.selectedCell(), 4);
    QCOMPARE(clicks.count(), 0);
}

void TestColourPalette::hoverHighlightsAndHints()
{
    ColourPalette p;
    p.resize(152, 98);
    p.move(40, 60);
    p.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p));
    const QImage before = p.grab().toImage();

    hover(&p, centre(15));
    QCOMPARE(p.hotCell(), 15);
    QVERIFY(p.hint()->isVisible());
    QCOMPARE(p.hint()->text(), QStringLiteral("Gray 50%"));
    // 4 right of and 12 below the cell's bottom-left corner.
    const QRect r = PaletteCells::rect(15);
    QCOMPARE(p.hint()->pos(), p.mapToGlobal(QPoint(r.left() + 4, r.top() + 18 + 12)));
    // The highlight shows around the cell, not over its colour.
    const QImage hot = p.grab().toImage();
    QVERIFY(hot.pixelColor(r.topLeft()) != before.pixelColor(r.topLeft()));
    QCOMPARE(hot.pixelColor(r.center()), QColor(128, 128, 128));
    QCOMPARE(p.selectedCell(), -1);

    hover(&p, centre(32));
    QCOMPARE(p.hint()->text(), QStringLiteral("Rose"));
    hover(&p, QPoint(1, 1));
    QVERIFY(!p.hint()->isVisible());
    hover(&p, centre(32));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&p, &leave);
    QCOMPARE(p.hotCell(), -1);
    QVERIFY(!p.hint()->isVisible());
    QCOMPARE(p.grab().toImage(), before);
}

QTEST_MAIN(TestColourPalette)
#include "tst_colourpalette.moc"
