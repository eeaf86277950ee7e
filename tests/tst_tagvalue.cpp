#include "records/TagValue.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// One tag from a sheet line, read as a sheet is.
Tag tagOf(const QByteArray &line)
{
    const TagSheetReading r
        = TagSheet::parse("buffer,word,name,unit,type,gain,offset,decimals,texts\n" + line);
    if (!r.sheet || r.sheet->tags.size() != 1)
        qFatal("bad test sheet line: %s", qPrintable(r.fault.message(Language::English)));
    return r.sheet->tags.first();
}

constexpr double NoNumber = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestTagValue : public QObject
{
    Q_OBJECT

private slots:
    void valueOfRaw_data();
    void valueOfRaw();
    void rawFromWords_data();
    void rawFromWords();
    void rawFromStored_data();
    void rawFromStored();
    void title_data();
    void title();
    void separatorOfTheSystem();
};

void TestTagValue::valueOfRaw_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("raw");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number"); // NaN: holds no number
    QTest::addColumn<int>("shownDecimals");

    const auto row = [](const char *name, const char *line, quint32 raw, const QString &text,
                        double number, int decimals) {
        QTest::newRow(name) << QByteArray(line) << raw << text << number << decimals;
    };
    // 16-bit limits, as the display formats show them.
    row("u16 0", "*,0,A,,u16,,,,", 0, u"0"_s, 0, 0);
    row("u16 65535", "*,0,A,,u16,,,,", 0xFFFF, u"65535"_s, 65535, 0);
    row("s16 -32768", "*,0,A,,s16,,,,", 0x8000, u"-32768"_s, -32768, 0);
    row("s16 32767", "*,0,A,,s16,,,,", 0x7FFF, u"32767"_s, 32767, 0);
    row("s16 -1", "*,0,A,,s16,,,,", 0xFFFF, u"-1"_s, -1, 0);
    row("s32 min", "*,0,A,,s32,,,,", 0x80000000u, u"-2147483648"_s, -2147483648.0, 0);
    row("s32 max", "*,0,A,,s32,,,,", 0x7FFFFFFFu, u"2147483647"_s, 2147483647.0, 0);
    row("gain 1 offset 0 is plain", "*,0,A,,u16,1,0,,", 123, u"123"_s, 123, 0);
    // Scaling, exact in decimal.
    row("gain 0.1", "*,0,A,,u16,0.1,,,", 3, u"0.3"_s, 0.3, 1);
    row("gain 0.25 offset 0.5", "*,0,A,,u16,0.25,0.5,,", 3, u"1.25"_s, 1.25, 2);
    row("gain 2 needs no decimals", "*,0,A,,u16,2,,,", 65535, u"131070"_s, 131070, 0);
    row("gain 1e-3", "*,0,A,,u16,1e-3,,,", 65535, u"65.535"_s, 65.535, 3);
    row("trailing zeros need nothing", "*,0,A,,u16,0.50,,,", 3, u"1.5"_s, 1.5, 1);
    row("negative gain on u16 max", "*,0,A,,u16,-0.01,,,", 0xFFFF, u"-655.35"_s, -655.35, 2);
    row("negative gain on s16 min", "*,0,A,,s16,-1,,,", 0x8000, u"32768"_s, 32768, 0);
    row("negative gain on s32 min", "*,0,A,,s32,-1,,,", 0x80000000u, u"2147483648"_s, 2147483648.0,
        0);
    row("offset only", "*,0,A,,s16,,-273.15,,", 0, u"-273.15"_s, -273.15, 2);
    row("explicit decimals pad", "*,0,A,,u16,0.1,,3,", 7, u"0.700"_s, 0.7, 3);
    row("explicit decimals round half away up", "*,0,A,,u16,0.05,,1,", 1, u"0.1"_s, 0.05, 1);
    row("explicit decimals round half away down", "*,0,A,,s16,0.05,,1,", 0xFFFF, u"-0.1"_s, -0.05,
        1);
    row("rounds to zero without sign", "*,0,A,,s16,0.01,,1,", 0xFFFF, u"0.0"_s, -0.01, 1);
    row("decimals on a plain integer", "*,0,A,,u16,,,2,", 5, u"5.00"_s, 5, 2);
    row("large gain stays exact", "*,0,A,,s32,123456789012345678,,,", 0x7FFFFFFFu,
        u"265121435515141624616127666"_s, 2147483647.0 * 123456789012345678.0, 0);
    row("inexact gain 1e-12", "*,0,A,,u16,1e-12,,,", 2, u"0.000000000002"_s, 2e-12, 12);
    // f32: plain is the float text; scaled and with decimals fixed.
    row("f32 1.5", "*,0,A,,f32,,,,", 0x3FC00000u, u"1.500000"_s, 1.5, -1);
    row("f32 10^7 scientific", "*,0,A,,f32,,,,", 0x4B189680u, u"1E7"_s, 1e7, -1);
    row("f32 -0", "*,0,A,,f32,,,,", 0x80000000u, u"0.000000"_s, -0.0, -1);
    row("f32 decimals 2", "*,0,A,,f32,,,2,", 0x40490FDBu, u"3.14"_s, double(3.14159274f), 2);
    row("f32 negative gain", "*,0,A,,f32,-2,,,", 0x3FC00000u, u"-3.000000"_s, -3, 6);
    row("f32 gain needs more than six", "*,0,A,,f32,1e-8,,,", 0x3F800000u, u"0.00000001"_s, 1e-8,
        8);
    row("f32 quiet NaN", "*,0,A,,f32,,,,", 0x7FC00000u, u"NAN"_s, NoNumber, -1);
    row("f32 signalling NaN", "*,0,A,,f32,,,,", 0x7F800001u, u"NAN"_s, NoNumber, -1);
    row("f32 negative NaN scaled", "*,0,A,,f32,3,,2,", 0xFFC00000u, u"NAN"_s, NoNumber, 2);
    row("f32 INF", "*,0,A,,f32,,,,", 0x7F800000u, u"INF"_s, NoNumber, -1);
    row("f32 -INF", "*,0,A,,f32,,,,", 0xFF800000u, u"-INF"_s, NoNumber, -1);
    row("f32 INF under a negative gain", "*,0,A,,f32,-1,,,", 0x7F800000u, u"-INF"_s, NoNumber, 6);
    row("f32 INF times 0 gain", "*,0,A,,f32,0,,,", 0x7F800000u, u"NAN"_s, NoNumber, 6);
    row("f32 max with decimals", "*,0,A,,f32,,,1,", 0x7F7FFFFFu,
        u"340282346638528859811704183484516925440.0"_s, double(std::numeric_limits<float>::max()),
        1);
    // hex32, enum, bits: texts, no numbers.
    row("hex32", "*,0,A,,hex32,,,,", 0x00ABCDEFu, u"00ABCDEF"_s, NoNumber, -1);
    row("hex32 all set", "*,0,A,,hex32,,,,", 0xFFFFFFFFu, u"FFFFFFFF"_s, NoNumber, -1);
    row("enum known", "*,0,A,,enum,,,,0=Stop;1=Run;2=Fault", 1, u"Run"_s, NoNumber, -1);
    row("enum unknown shows its number", "*,0,A,,enum,,,,0=Stop;1=Run;2=Fault", 7, u"7"_s, NoNumber,
        -1);
    row("enum 65535", "*,0,A,,enum,,,,65535=Max", 0xFFFF, u"Max"_s, NoNumber, -1);
    row("enum without texts", "*,0,A,,enum,,,,", 0xFFFF, u"65535"_s, NoNumber, -1);
    row("bits none set", "*,0,A,,bits,,,,0=Run;3=Door open;15=Alarm", 0, QString(), NoNumber, -1);
    row("bits named and unnamed", "*,0,A,,bits,,,,0=Run;3=Door open;15=Alarm", 0x0089,
        u"Run, Door open, bit 7"_s, NoNumber, -1);
    row("bits all set", "*,0,A,,bits,,,,0=Run;3=Door open;15=Alarm", 0xFFFF,
        u"Run, bit 1, bit 2, Door open, bit 4, bit 5, bit 6, bit 7, bit 8, bit 9, bit 10, "
        "bit 11, bit 12, bit 13, bit 14, Alarm"_s,
        NoNumber, -1);
    row("bits of a 16-bit word only", "*,0,A,,bits,,,,15=Alarm", 0xFFFF8000u, u"Alarm"_s, NoNumber,
        -1);
}

void TestTagValue::valueOfRaw()
{
    QFETCH(QByteArray, line);
    QFETCH(quint32, raw);
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(int, shownDecimals);

    const TagFormatter f(tagOf(line));
    QCOMPARE(f.text(raw), text);
    QCOMPARE(f.shownDecimals(), shownDecimals);
    const std::optional<double> got = f.number(raw);
    if (std::isnan(number)) {
        QVERIFY(!got);
    } else {
        QVERIFY(got);
        QCOMPARE(*got, number);
    }
    QCOMPARE(f.holdsNumbers(), !std::isnan(number) || line.contains("f32"));
}

void TestTagValue::rawFromWords_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");

    // Words 0 .. 9: 0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 1, 2, 3, 0x4049
    QTest::newRow("u16 word 1") << QByteArray("*,1,A,,u16,,,,") << u"16320"_s;
    QTest::newRow("s16 word 5") << QByteArray("*,5,A,,s16,,,,") << u"-32768"_s;
    QTest::newRow("f32 low word first") << QByteArray("*,0,A,,f32,,,,") << u"1.500000"_s;
    QTest::newRow("s32 -1") << QByteArray("*,2,A,,s32,,,,") << u"-1"_s;
    QTest::newRow("s32 min") << QByteArray("*,4,A,,s32,,,,") << u"-2147483648"_s;
    QTest::newRow("hex32 words 6 and 7") << QByteArray("*,6,A,,hex32,,,,") << u"00020001"_s;
    QTest::newRow("hex32 at word 8") << QByteArray("*,8,A,,hex32,,,,") << u"40490003"_s;
    QTest::newRow("u16 word 9") << QByteArray("*,9,A,,u16,,,,") << u"16457"_s;
}

void TestTagValue::rawFromWords()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);

    const TagFormatter::Words words {0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000,
                                     0x8000, 1,      2,      3,      0x4049};
    const TagFormatter f(tagOf(line));
    QCOMPARE(f.text(f.rawFromWords(words)), text);
}

void TestTagValue::rawFromStored_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("low");
    QTest::addColumn<QByteArray>("high");
    QTest::addColumn<QString>("text"); // empty: the texts hold no integer

    QTest::newRow("u16 65535") << QByteArray("*,0,A,,u16,,,,") << "65535"_ba
                               << "0"_ba << u"65535"_s;
    QTest::newRow("u16 of -1 is its low 16 bits") << QByteArray("*,0,A,,u16,,,,") << "-1"_ba
                                                  << "0"_ba << u"65535"_s;
    QTest::newRow("s16 of 40000") << QByteArray("*,0,A,,s16,,,,") << "40000"_ba
                                  << "0"_ba << u"-25536"_s;
    QTest::newRow("s32 borrows like the pair formats") << QByteArray("*,0,A,,s32,,,,") << "-1"_ba
                                                       << "1"_ba << u"65535"_s;
    QTest::newRow("f32 pair") << QByteArray("*,0,A,,f32,,,,") << "0"_ba
                              << "16320"_ba << u"1.500000"_s;
    QTest::newRow("empty text") << QByteArray("*,0,A,,u16,,,,") << QByteArray() << "0"_ba
                                << QString();
    QTest::newRow("real number in the high half") << QByteArray("*,0,A,,s32,,,,") << "1"_ba
                                                  << "1.5"_ba << QString();
}

void TestTagValue::rawFromStored()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, low);
    QFETCH(QByteArray, high);
    QFETCH(QString, text);

    std::array<QByteArrayView, 10> stored;
    stored.fill("0");
    stored[0] = low;
    stored[1] = high;
    const TagFormatter f(tagOf(line));
    std::uint32_t raw = 0;
    const bool ok = f.rawFromStored(stored, raw);
    QCOMPARE(ok, !text.isEmpty());
    if (ok)
        QCOMPARE(f.text(raw), text);
}

void TestTagValue::title_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("title");

    QTest::newRow("with unit") << QByteArray("*,0,Pressure,bar,u16,,,,") << u"Pressure [bar]"_s;
    QTest::newRow("without unit") << QByteArray("*,0,Mode,,enum,,,,") << u"Mode"_s;
    QTest::newRow("chinese") << QByteArray("*,0,温度,°C,s16,,,,") << u"温度 [°C]"_s;
}

void TestTagValue::title()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, title);
    QCOMPARE(TagFormatter(tagOf(line)).title(), title);
}

void TestTagValue::separatorOfTheSystem()
{
    const TagFormatter f(tagOf("*,0,A,,s16,0.25,,,"), ValueFormat::DecimalSeparator(','));
    QCOMPARE(f.text(0xFFFF), u"-0,25"_s);
    const TagFormatter plain(tagOf("*,0,A,,f32,,,,"), ValueFormat::DecimalSeparator(','));
    QCOMPARE(plain.text(0x3FC00000u), u"1,500000"_s);
}

QTEST_GUILESS_MAIN(TestTagValue)
#include "tst_tagvalue.moc"
