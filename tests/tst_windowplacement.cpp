// Window sizes and places for a frame and a screen given as plain numbers.
#include "platform/WindowPlacement.h"

#include <QTest>

using namespace WindowPlacement;

class TestWindowPlacement : public QObject
{
    Q_OBJECT
private slots:
    void clientForOuterSize_data();
    void clientForOuterSize();
    void besideTheOwner_data();
    void besideTheOwner();
    void keptInsideTheScreen_data();
    void keptInsideTheScreen();
    void frameFittedInsideTheScreen_data();
    void frameFittedInsideTheScreen();
    void centredInsideTheScreen_data();
    void centredInsideTheScreen();
};

void TestWindowPlacement::clientForOuterSize_data()
{
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("client");
    QTest::newRow("no window manager") << QMargins() << QSize(880, 524);
    QTest::newRow("thin sides, title bar") << QMargins(4, 30, 4, 4) << QSize(872, 490);
    QTest::newRow("uneven frame") << QMargins(1, 23, 7, 2) << QSize(872, 499);
}

void TestWindowPlacement::clientForOuterSize()
{
    QFETCH(QMargins, frame);
    QFETCH(QSize, client);
    QCOMPARE(clientForOuter(QSize(880, 524), frame), client);
    QCOMPARE(client.grownBy(frame), QSize(880, 524));
    QCOMPARE(largestClient(QRect(0, 0, 880, 524), frame), client);
    const QRect outer(100, 50, 880, 524);
    QCOMPARE(frameOf(outer, outer.marginsRemoved(frame)), frame);
}

void TestWindowPlacement::besideTheOwner_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed"); // of a 600 x 250 window
    const QRect screen(0, 0, 1600, 1000);
    QTest::newRow("room below") << QRect(100, 50, 900, 500) << screen << QRect(100, 550, 600, 250);
    QTest::newRow("no room below: to the right, bottoms aligned")
        << QRect(100, 400, 900, 500) << screen << QRect(1000, 650, 600, 250);
    QTest::newRow("no room below or right: to the left")
        << QRect(650, 400, 900, 500) << screen << QRect(50, 650, 600, 250);
    QTest::newRow("only above") << QRect(0, 400, 1600, 600) << screen << QRect(0, 150, 600, 250);
    QTest::newRow("no room anywhere: below, hiding the least")
        << QRect(0, 0, 1366, 700) << QRect(0, 0, 1366, 768) << QRect(0, 518, 600, 250);
    QTest::newRow("a panel on the left takes the room at the left: above")
        << QRect(500, 400, 900, 500) << QRect(100, 0, 1500, 1000) << QRect(500, 150, 600, 250);
}

void TestWindowPlacement::besideTheOwner()
{
    QFETCH(QRect, owner);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(besideOwner(owner, QSize(600, 250), available), placed);
}

void TestWindowPlacement::keptInsideTheScreen_data()
{
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("kept");
    const QRect screen(0, 0, 1600, 1000);
    QTest::newRow("inside stays") << QRect(100, 50, 1000, 700) << screen
                                  << QRect(100, 50, 1000, 700);
    QTest::newRow("past the right edge moves left")
        << QRect(400, 50, 1400, 700) << screen << QRect(200, 50, 1400, 700);
    QTest::newRow("past the bottom moves up")
        << QRect(100, 500, 1000, 700) << screen << QRect(100, 300, 1000, 700);
    QTest::newRow("past both") << QRect(900, 600, 1000, 700) << screen
                               << QRect(600, 300, 1000, 700);
    QTest::newRow("left of a panel on the left moves right")
        << QRect(10, 50, 800, 600) << QRect(48, 0, 1552, 1000) << QRect(48, 50, 800, 600);
    QTest::newRow("second screen to the right")
        << QRect(3000, 100, 800, 600) << QRect(1600, 0, 1920, 1080) << QRect(2720, 100, 800, 600);
    QTest::newRow("wider than the screen keeps the left edge")
        << QRect(300, 50, 1800, 700) << screen << QRect(0, 50, 1800, 700);
}

void TestWindowPlacement::keptInsideTheScreen()
{
    QFETCH(QRect, outer);
    QFETCH(QRect, available);
    QFETCH(QRect, kept);
    QCOMPARE(keptInside(outer, available), kept);
}

void TestWindowPlacement::frameFittedInsideTheScreen_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QRect>("outer");
    // 1920 x 1080 at a scale of 2, a panel of 27 at the bottom, a title bar of 30.
    const QRect scaled(0, 0, 960, 513);
    const QMargins titled(1, 30, 1, 1);
    QTest::newRow("scale 2: the title bar stays on the screen")
        << QSize(902, 509) << titled << scaled << QPoint(29, 2) << QRect(29, 0, 904, 513);
    QTest::newRow("scale 2: taller than the screen is cut below")
        << QSize(902, 700) << titled << scaled << QPoint(29, -10) << QRect(29, 0, 904, 513);
    QTest::newRow("fits: left where it is") << QSize(800, 400) << titled << QRect(0, 0, 1600, 1000)
                                            << QPoint(100, 100) << QRect(100, 100, 802, 431);
    QTest::newRow("no frame yet") << QSize(902, 509) << QMargins() << scaled << QPoint(29, 2)
                                  << QRect(29, 2, 902, 509);
    QTest::newRow("wider than the screen")
        << QSize(1282, 509) << titled << scaled << QPoint(40, 0) << QRect(0, 0, 960, 513);
}

void TestWindowPlacement::frameFittedInsideTheScreen()
{
    QFETCH(QSize, client);
    QFETCH(QMargins, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, topLeft);
    QFETCH(QRect, outer);
    const QRect fitted = fittedOuter(client, frame, available, topLeft);
    QCOMPARE(fitted, outer);
    QVERIFY(available.contains(fitted));
    QVERIFY(clientForOuter(fitted.size(), frame).width() <= client.width());
}

void TestWindowPlacement::centredInsideTheScreen_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("smaller: centred")
        << QSize(800, 600) << QRect(0, 0, 1600, 1000) << QRect(400, 200, 800, 600);
    QTest::newRow("panel on top") << QSize(800, 600) << QRect(0, 40, 1600, 960)
                                  << QRect(400, 220, 800, 600);
    // Centred, a frame taller than the area would put its title bar above it.
    QTest::newRow("taller: the top stays on the area")
        << QSize(904, 540) << QRect(0, 0, 960, 513) << QRect(28, 0, 904, 540);
}

void TestWindowPlacement::centredInsideTheScreen()
{
    QFETCH(QSize, outer);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(centredInside(outer, available), placed);
}

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
