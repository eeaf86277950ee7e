// The scroll positions a print run walks through.
#include "curves/PageWalk.h"

#include <QTest>

#include <limits>

class TestPageWalk : public QObject
{
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
};

void TestPageWalk::walk_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("firstId");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("scrollMax");
    QTest::addColumn<int>("firstPosition");
    // Where the run moves after each printed page.
    QTest::addColumn<QList<int>>("after");

    QTest::newRow("start 1, two pages") << 1 << 1 << 85 << 2 << 298 << 0 << QList<int> {85, 170};
    QTest::newRow("start 50: the page holding it")
        << 50 << 1 << 85 << 1 << 298 << 0 << QList<int> {85};
    QTest::newRow("start 200: third screen")
        << 200 << 1 << 85 << 2 << 998 << 170 << QList<int> {255, 340};
    QTest::newRow("start on a page boundary")
        << 86 << 1 << 85 << 1 << 998 << 85 << QList<int> {170};
    QTest::newRow("first ID 1000") << 1200 << 1000 << 85 << 1 << 998 << 170 << QList<int> {255};
    QTest::newRow("last move cut to the maximum")
        << 200 << 1 << 85 << 2 << 290 << 170 << QList<int> {255, 290};
    QTest::newRow("every move past the maximum")
        << 200 << 1 << 85 << 3 << 200 << 170 << QList<int> {200, 200, 200};
    QTest::newRow("no pages") << 1 << 1 << 85 << 0 << 298 << 0 << QList<int> {};
    QTest::newRow("no points per screen") << 200 << 1 << 0 << 3 << 298 << 0 << QList<int> {};
    QTest::newRow("negative points per screen") << 200 << 1 << -5 << 3 << 298 << 0 << QList<int> {};
    QTest::newRow("start below the first ID")
        << -300 << 1 << 85 << 1 << 298 << 0 << QList<int> {85};
    QTest::newRow("IDs at the ends of the integers")
        << std::numeric_limits<int>::max() << std::numeric_limits<int>::min() << 1 << 2 << 10 << 10
        << QList<int> {10, 10};
    QTest::newRow("one point per screen") << 5 << 1 << 1 << 3 << 10 << 4 << QList<int> {5, 6, 7};
}

void TestPageWalk::walk()
{
    QFETCH(int, start);
    QFETCH(int, firstId);
    QFETCH(int, points);
    QFETCH(int, pages);
    QFETCH(int, scrollMax);
    QFETCH(int, firstPosition);
    QFETCH(QList<int>, after);

    const PageWalk walk(start, firstId, points, pages, scrollMax);
    QCOMPARE(walk.pages(), int(after.size()));
    if (walk.pages() == 0)
        return;
    QCOMPARE(walk.firstPosition(), firstPosition);
    QList<int> moves;
    for (int n = 0; n < walk.pages(); ++n)
        moves << walk.positionAfter(n);
    QCOMPARE(moves, after);
}

QTEST_GUILESS_MAIN(TestPageWalk)
#include "tst_pagewalk.moc"
