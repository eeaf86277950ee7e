// The two-word 128-bit integer, used where the compiler has no native one,
// checked against the native type operation by operation.
#include "records/UInt128.h"

#include <QTest>

#include <cstdint>

using Wide::UInt128Words;

namespace {

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Native;

Native native(UInt128Words w)
{
    return (Native(w.high) << 64) | w.low;
}

UInt128Words words(Native n)
{
    return {std::uint64_t(n >> 64), std::uint64_t(n)};
}

Native pow10(int n)
{
    Native p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}
#endif

const UInt128Words Max {~std::uint64_t(0), ~std::uint64_t(0)};

} // namespace

class TstUInt128 : public QObject
{
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void powersOfTen();
};

void TstUInt128::operations_data()
{
    QTest::addColumn<quint64>("high");
    QTest::addColumn<quint64>("low");
    QTest::addColumn<int>("shift");
    QTest::addColumn<quint64>("factor");
    QTest::addColumn<int>("divisorPower");

    QTest::newRow("zero") << quint64(0) << quint64(0) << 0 << quint64(10) << 0;
    QTest::newRow("one, shifted into the high word")
        << quint64(0) << quint64(1) << 100 << quint64(2) << 1;
    QTest::newRow("low word full, carry on multiply")
        << quint64(0) << ~quint64(0) << 1 << quint64(10) << 19;
    QTest::newRow("shift by exactly 64")
        << quint64(0) << quint64(0x123456789ABCDEF0) << 64 << quint64(10) << 20;
    QTest::newRow("shift across the word boundary")
        << quint64(0) << quint64(0xFFFFFF0000000001) << 40 << quint64(3) << 7;
    QTest::newRow("largest float's integer part")
        << quint64(0xFFFFFF0000000000) << quint64(0) << 0 << quint64(2) << 32;
    QTest::newRow("all ones") << ~quint64(0) << ~quint64(0) << 3 << quint64(10) << 38;
    QTest::newRow("divisor above the value") << quint64(0) << quint64(999) << 0 << quint64(10) << 3;
    QTest::newRow("divisor equal to the value")
        << quint64(0) << quint64(1000) << 0 << quint64(7) << 3;
    QTest::newRow("half a divisor, for rounding")
        << quint64(0) << quint64(5000000) << 0 << quint64(2) << 7;
    QTest::newRow("large factor") << quint64(0x0000000100000000) << quint64(0xFFFFFFFF00000000) << 5
                                  << quint64(0xFFFFFFFFFFFFFFF1) << 25;
    QTest::newRow("shift out every bit") << quint64(1) << quint64(1) << 127 << quint64(1) << 1;
}

void TstUInt128::operations()
{
#if defined(__SIZEOF_INT128__)
    QFETCH(quint64, high);
    QFETCH(quint64, low);
    QFETCH(int, shift);
    QFETCH(quint64, factor);
    QFETCH(int, divisorPower);

    const UInt128Words a {high, low};
    const Native n = native(a);
    const Native d = pow10(divisorPower);
    const UInt128Words dw = words(d);

    QVERIFY(native(a << shift) == n << shift);
    QVERIFY(native(a * factor) == n * factor);
    UInt128Words product = a;
    product *= factor;
    QVERIFY(native(product) == n * factor);
    QVERIFY(native(a / dw) == n / d);
    QVERIFY(native(a % dw) == n % d);
    QCOMPARE(a >= dw, n >= d);
    QCOMPARE(dw >= a, d >= n);
    QCOMPARE(a < dw, n < d);
    QCOMPARE(a == dw, n == d);
    QCOMPARE(std::uint64_t(a), std::uint64_t(n));
    QVERIFY(native(Max - a) == ~Native(0) - n);
#else
    QSKIP("no native 128-bit type to compare with");
#endif
}

// The float texts build 10^0 .. 10^38 by repeated multiplication, at compile time.
void TstUInt128::powersOfTen()
{
    constexpr auto table = [] {
        struct Table
        {
            UInt128Words v[39];
        } t {};
        UInt128Words p = 1;
        for (auto &v : t.v) {
            v = p;
            p *= 10;
        }
        return t;
    }();
    // 10^38 = 0x4B3B4CA85A86C47A098A224000000000.
    QCOMPARE(table.v[38].high, std::uint64_t(0x4B3B4CA85A86C47A));
    QCOMPARE(table.v[38].low, std::uint64_t(0x098A224000000000));
    for (int i = 1; i <= 38; ++i) {
        QVERIFY(table.v[i] / table.v[i - 1] == UInt128Words(10));
        QVERIFY(table.v[i] % table.v[i - 1] == UInt128Words(0));
    }
}

QTEST_APPLESS_MAIN(TstUInt128)

#include "tst_uint128.moc"
