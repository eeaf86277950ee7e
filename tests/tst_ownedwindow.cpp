// A window of the main window shows beside its owner and inside the screen the
// first time, and where the user left it after that.
#include "widgets/OwnedWindow.h"

#include "platform/WindowPlacement.h"

#include <QScreen>
#include <QtTest>

class TestOwnedWindow : public QObject
{
    Q_OBJECT
private slots:
    void firstShownInsideTheScreen_data();
    void firstShownInsideTheScreen();
    void keptWhereTheUserLeftIt();
};

void TestOwnedWindow::firstShownInsideTheScreen_data()
{
    QTest::addColumn<QPoint>("ownerAt"); // from the screen's top left
    QTest::addColumn<QSize>("ownerSize");
    QTest::addColumn<QSize>("windowSize");
    QTest::newRow("wider than an owner at the left edge")
        << QPoint(0, 0) << QSize(400, 300) << QSize(560, 200);
    QTest::newRow("taller than an owner at the bottom")
        << QPoint(100, 250) << QSize(300, 300) << QSize(200, 500);
    QTest::newRow("room below the owner") << QPoint(100, 50) << QSize(400, 300) << QSize(200, 100);
}

void TestOwnedWindow::firstShownInsideTheScreen()
{
    QFETCH(QPoint, ownerAt);
    QFETCH(QSize, ownerSize);
    QFETCH(QSize, windowSize);
    QWidget owner;
    const QRect screen = owner.screen()->availableGeometry();
    QVERIFY(screen.width() >= 600 && screen.height() >= 550);
    owner.setGeometry(QRect(screen.topLeft() + ownerAt, ownerSize));
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QWidget window(&owner, Qt::Window);
    window.resize(windowSize);
    showOwnedWindow(&window, &owner);
    QVERIFY(window.isVisible());
    const QRect placed = window.frameGeometry();
    QVERIFY2(screen.contains(placed),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(placed.x())
                            .arg(placed.y())
                            .arg(placed.width())
                            .arg(placed.height())));
    // Beside the owner, as the plain placement rule has it.
    const QRect frame = owner.frameGeometry();
    const QSize frameAround = frame.size() - owner.size();
    QCOMPARE(placed, WindowPlacement::besideOwner(frame, windowSize + frameAround, screen));
}

void TestOwnedWindow::keptWhereTheUserLeftIt()
{
    QWidget owner;
    const QRect screen = owner.screen()->availableGeometry();
    owner.setGeometry(QRect(screen.topLeft() + QPoint(50, 50), QSize(400, 300)));
    owner.show();
    QWidget window(&owner, Qt::Window);
    window.resize(150, 100);
    showOwnedWindow(&window, &owner);
    const QPoint userPlace = screen.topLeft() + QPoint(5, 7);
    window.move(userPlace);
    window.hide();
    showOwnedWindow(&window, &owner);
    QCOMPARE(window.pos(), userPlace);
}

QTEST_MAIN(TestOwnedWindow)
#include "tst_ownedwindow.moc"
