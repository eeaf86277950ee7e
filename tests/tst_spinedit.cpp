// The spin edit: its value is what its text says, typed values outside the
// range hold until the field loses the focus, every text change is a change.
#include "widgets/SpinEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestSpinEdit : public QObject
{
    Q_OBJECT
private slots:
    void textValue_data();
    void textValue();
    void buttonsStepWithinRange_data();
    void buttonsStepWithinRange();
    void typedValueHoldsUntilFocusLeaves_data();
    void typedValueHoldsUntilFocusLeaves();
    void everyTextChangeIsAChange();
    void keysAndLength();
    void rangeChangeKeepsText();
};

void TestSpinEdit::textValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << QStringLiteral("900") << 900;
    QTest::newRow("negative") << QStringLiteral("-32768") << -32768;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7;
    QTest::newRow("empty is minimum") << QString() << 8;
    QTest::newRow("lone minus is minimum") << QStringLiteral("-") << 8;
    QTest::newRow("inner minus is minimum") << QStringLiteral("1-2") << 8;
    QTest::newRow("plus is minimum") << QStringLiteral("+5") << 8;
    QTest::newRow("beyond 32 bits is minimum") << QStringLiteral("99999999999") << 8;
    QTest::newRow("below range kept") << QStringLiteral("3") << 3;
}

void TestSpinEdit::textValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(SpinEdit::textValue(text, 8), value);
    SpinEdit e;
    e.setRange(8, 1280);
    e.setMaxLength(20);
    e.findChild<QLineEdit *>()->setText(text);
    QCOMPARE(e.value(), value);
}

void TestSpinEdit::buttonsStepWithinRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("result");
    QTest::newRow("up") << 5 << 1 << 6;
    QTest::newRow("down") << 5 << -1 << 4;
    QTest::newRow("up at maximum") << 15 << 1 << 15;
    QTest::newRow("down at minimum") << 2 << -1 << 2;
    QTest::newRow("page up past maximum") << 14 << 10 << 15;
    QTest::newRow("from a typed value above range") << 40 << -1 << 15;
}

void TestSpinEdit::buttonsStepWithinRange()
{
    QFETCH(int, start);
    QFETCH(int, steps);
    QFETCH(int, result);
    SpinEdit e;
    e.setRange(2, 15);
    e.setValue(start);
    e.stepBy(steps);
    QCOMPARE(e.value(), result);
}

void TestSpinEdit::typedValueHoldsUntilFocusLeaves_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("whileFocused");
    QTest::addColumn<int>("afterwards");
    QTest::addColumn<QString>("afterText");
    QTest::newRow("above range") << QStringLiteral("2000") << 2000 << 1280
                                 << QStringLiteral("1280");
    QTest::newRow("below range") << QStringLiteral("3") << 3 << 8 << QStringLiteral("8");
    QTest::newRow("not a number") << QStringLiteral("-") << 8 << 8 << QStringLiteral("8");
    QTest::newRow("inside range") << QStringLiteral("0640") << 640 << 640 << QStringLiteral("640");
}

void TestSpinEdit::typedValueHoldsUntilFocusLeaves()
{
    QFETCH(QString, typed);
    QFETCH(int, whileFocused);
    QFETCH(int, afterwards);
    QFETCH(QString, afterText);
    QWidget w;
    auto *e = new SpinEdit(&w);
    auto *other = new QLineEdit(&w);
    other->move(0, 40);
    e->setRange(8, 1280);
    e->setMaxLength(4);
    e->setValue(900);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    e->setFocus();
    QLineEdit *edit = e->findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClicks(e, typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(e->value(), whileFocused);
    other->setFocus();
    QTRY_VERIFY(!e->hasFocus());
    QCOMPARE(e->value(), afterwards);
    QCOMPARE(edit->text(), afterText);
}

void TestSpinEdit::everyTextChangeIsAChange()
{
    SpinEdit e;
    e.setRange(0, 99);
    e.setValue(10);
    QSignalSpy spy(&e, &SpinEdit::valueChanged);
    QLineEdit *edit = e.findChild<QLineEdit *>();
    edit->setText(QStringLiteral("010")); // same number, new text
    edit->setText(QStringLiteral("-"));
    e.setValue(5);
    e.setValue(5); // the same text again: no change
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toInt(), 10);
    QCOMPARE(spy.at(1).at(0).toInt(), 0);
    QCOMPARE(spy.at(2).at(0).toInt(), 5);
}

void TestSpinEdit::keysAndLength()
{
    SpinEdit e;
    e.setRange(-32768, 32767);
    e.setMaxLength(6);
    e.setValue(1);
    e.show();
    QLineEdit *edit = e.findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClicks(&e, QStringLiteral("-1a2.3456789"));
    // Letters and points are refused; six characters at most.
    QCOMPARE(edit->text(), QStringLiteral("-12345"));
    QCOMPARE(e.value(), -12345);
    // The limit is on typing: an ID the program writes keeps all its digits.
    e.setRange(0, 100000000);
    e.setValue(1234567);
    QCOMPARE(e.value(), 1234567);
}

void TestSpinEdit::rangeChangeKeepsText()
{
    SpinEdit e;
    e.setRange(0, 100000);
    e.setValue(100000);
    QSignalSpy spy(&e, &SpinEdit::valueChanged);
    e.setRange(1, 99);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(e.value(), 100000);
    QCOMPARE(e.minimum(), 1);
    QCOMPARE(e.maximum(), 99);
}

QTEST_MAIN(TestSpinEdit)
#include "tst_spinedit.moc"
