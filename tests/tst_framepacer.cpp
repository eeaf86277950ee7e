// Frame pacing on a clock the test moves.
#include "platform/FramePacer.h"

#include <QTest>

using namespace std::chrono_literals;

class TestFramePacer : public QObject
{
    Q_OBJECT
private slots:
    void picturesDue_data();
    void picturesDue();
    void slowPicturesComeLess();
    void steadyClockAllowsAboutSixtyASecond();
};

void TestFramePacer::picturesDue_data()
{
    QTest::addColumn<QList<int>>("askedAtMs");
    QTest::addColumn<QList<bool>>("due");
    QTest::newRow("the first is always due") << QList<int> {1000} << QList<bool> {true};
    QTest::newRow("none within a frame")
        << QList<int> {0, 1, 5, 16, 17} << QList<bool> {true, false, false, false, true};
    QTest::newRow("counted from the last picture, not the last ask")
        << QList<int> {0, 10, 20, 30, 37} << QList<bool> {true, false, true, false, true};
    QTest::newRow("a long pause") << QList<int> {0, 5000, 5001} << QList<bool> {true, true, false};
}

void TestFramePacer::picturesDue()
{
    QFETCH(QList<int>, askedAtMs);
    QFETCH(QList<bool>, due);
    const std::chrono::steady_clock::time_point origin {};
    std::chrono::steady_clock::time_point now = origin;
    FramePacer pacer(std::chrono::nanoseconds(1'000'000'000 / 60), [&now] { return now; });
    QList<bool> answers;
    for (int ms : askedAtMs) {
        now = origin + std::chrono::milliseconds(ms);
        answers << pacer.frameDue();
    }
    QCOMPARE(answers, due);
}

void TestFramePacer::slowPicturesComeLess()
{
    const std::chrono::steady_clock::time_point origin {};
    std::chrono::steady_clock::time_point now = origin;
    FramePacer pacer(std::chrono::nanoseconds(1'000'000'000 / 60), [&now] { return now; });
    QVERIFY(pacer.frameDue());
    now += 2ms; // a quick picture: the frame interval rules
    pacer.frameDrawn();
    now = origin + 17ms;
    QVERIFY(pacer.frameDue());
    now += 20ms; // a slow one: the next after three times as long again
    pacer.frameDrawn();
    now = origin + 17ms + 20ms + 59ms;
    QVERIFY(!pacer.frameDue());
    now += 1ms;
    QVERIFY(pacer.frameDue());
}

void TestFramePacer::steadyClockAllowsAboutSixtyASecond()
{
    // A tight loop of 100 ms asks millions of times; at most one picture per
    // sixtieth of a second is due.
    FramePacer pacer;
    int pictures = 0;
    const auto end = std::chrono::steady_clock::now() + 100ms;
    while (std::chrono::steady_clock::now() < end)
        pictures += pacer.frameDue();
    QVERIFY2(pictures >= 2 && pictures <= 8, qPrintable(QString::number(pictures)));
}

QTEST_APPLESS_MAIN(TestFramePacer)
#include "tst_framepacer.moc"
