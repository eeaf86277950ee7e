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
    void keptInsideTheScreen_data();
    void keptInsideTheScreen();
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

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
