#include "records/ValueFormat.h"

#include <QtTest>

#include <charconv>
#include <cmath>
#include <cstring>

using namespace ValueFormat;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ValueFormat::Format)

namespace {

QByteArray bytes(const Text &t)
{
    return t.view().toByteArray();
}

// The float text by a second, independent route: the exact decimal expansion
// of the value (every float is a double, and 160 fixed decimals print it
// exactly), rounded as a digit string.
QByteArray referenceFloatText(quint32 bits, const QByteArray &sep)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (std::isnan(f))
        return (bits & 0x00400000u) ? "NAN" : "0.0";
    if (std::isinf(f))
        return f < 0 ? "-INF" : "INF";
    char buf[400];
    const auto r
        = std::to_chars(buf, buf + sizeof buf, std::fabs(double(f)), std::chars_format::fixed, 160);
    const QByteArray exact(buf, int(r.ptr - buf));
    const int point = int(exact.indexOf('.'));
    QByteArray digits = exact.left(point) + exact.mid(point + 1);
    const int intDigits = exact.startsWith('0') ? 0 : point;
    // Keep 7 significant digits, or 6 decimals when the value is below 1.
    const int keep = intDigits > 0 ? 7 : point + 6;
    QByteArray head = digits.left(keep);
    int pointPos = point; // digits of head before the point
    if (digits.at(keep) >= '5') {
        int i = int(head.size()) - 1;
        while (i >= 0 && head[i] == '9')
            head[i--] = '0';
        if (i < 0) {
            head.prepend('1');
            ++pointPos;
        } else {
            ++head[i];
        }
    }
    // Drop leading zeros: head is now the rounded number's digits.
    while (head.size() > 1 && head.startsWith('0')) {
        head.remove(0, 1);
        --pointPos;
    }
    if (head.count('0') == head.size())
        return "0" + sep + "000000";
    const QByteArray sign = f < 0 ? "-" : "";
    if (pointPos <= 7) {
        QByteArray whole = pointPos > 0 ? head.left(pointPos) : QByteArray("0");
        while (whole.size() < pointPos)
            whole.append('0');
        QByteArray frac = pointPos >= 0 ? head.mid(pointPos) : QByteArray(-pointPos, '0') + head;
        frac = (frac + "000000").left(6);
        return sign + whole + sep + frac;
    }
    QByteArray rest = head.mid(1);
    while (rest.endsWith('0'))
        rest.chop(1);
    return sign + head.left(1) + (rest.isEmpty() ? QByteArray() : sep + rest) + "E"
        + QByteArray::number(pointPos - 1);
}

} // namespace

class TestValueFormat : public QObject
{
    Q_OBJECT
private slots:
    void recordTexts_data();
    void recordTexts();
    void wordFormats_data();
    void wordFormats();
    void pairFormats_data();
    void pairFormats();
    void floatText_data();
    void floatText();
    void floatSeparator_data();
    void floatSeparator();
    void floatMatchesExactExpansion_data();
    void floatMatchesExactExpansion();
    void parseInt32_data();
    void parseInt32();
    void storedSignedWord_data();
    void storedSignedWord();
    void storedPair_data();
    void storedPair();
    void separatorKeepsWholeCharacters_data();
    void separatorKeepsWholeCharacters();
};

// ID, date, time and alarm time of the binary records.
void TestValueFormat::recordTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("id -1 (FF FF FF FF)") << bytes(decimal(qint32(-1))) << QByteArray("-1");
    QTest::newRow("id 0") << bytes(decimal(0)) << QByteArray("0");
    QTest::newRow("id int32 min") << bytes(decimal(INT32_MIN)) << QByteArray("-2147483648");
    QTest::newRow("id int32 max") << bytes(decimal(INT32_MAX)) << QByteArray("2147483647");
    QTest::newRow("id int64 min") << bytes(decimal(INT64_MIN))
                                  << QByteArray("-9223372036854775808");
    QTest::newRow("two-digit 0") << bytes(twoDigit(0)) << QByteArray("00");
    QTest::newRow("two-digit 7") << bytes(twoDigit(7)) << QByteArray("07");
    QTest::newRow("two-digit 12") << bytes(twoDigit(12)) << QByteArray("12");
    QTest::newRow("two-digit 255") << bytes(twoDigit(255)) << QByteArray("255");
    QTest::newRow("date D5 07 05 07")
        << bytes(recordDate(0x07D5, 5, 7)) << QByteArray("2005-05-07");
    QTest::newRow("date unpadded year, month 13")
        << bytes(recordDate(7, 13, 0)) << QByteArray("7-13-00");
    QTest::newRow("date largest bytes")
        << bytes(recordDate(65535, 255, 255)) << QByteArray("65535-255-255");
    QTest::newRow("time 08 04 3B") << bytes(recordTime(8, 4, 0x3B)) << QByteArray("08:04:59");
    QTest::newRow("time 0 0 0") << bytes(recordTime(0, 0, 0)) << QByteArray("00:00:00");
    QTest::newRow("alarm time") << bytes(alarmTime(2013, 5, 7, 8, 4, 59))
                                << QByteArray("2013-05-07/08:04:59");
    QTest::newRow("alarm time widest") << bytes(alarmTime(65535, 255, 255, 255, 255, 255))
                                       << QByteArray("65535-255-255/255:255:255");
}

void TestValueFormat::recordTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(text, expected);
}

// Formats 0 and 1 from one raw word.
void TestValueFormat::wordFormats_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("word");
    QTest::addColumn<QByteArray>("expected");
    const auto u = Format::Unsigned16;
    const auto s = Format::Signed16;
    QTest::newRow("0: 0000") << u << 0x0000 << QByteArray("0");
    QTest::newRow("0: 3FC0") << u << 0x3FC0 << QByteArray("16320");
    QTest::newRow("0: 1234 (bytes 34 12)") << u << 0x1234 << QByteArray("4660");
    QTest::newRow("0: FFFF") << u << 0xFFFF << QByteArray("65535");
    QTest::newRow("0: 8000") << u << 0x8000 << QByteArray("32768");
    QTest::newRow("1: 3FC0") << s << 0x3FC0 << QByteArray("16320");
    QTest::newRow("1: 7FFF") << s << 0x7FFF << QByteArray("32767");
    QTest::newRow("1: 8000") << s << 0x8000 << QByteArray("-32768");
    QTest::newRow("1: FFFF") << s << 0xFFFF << QByteArray("-1");
}

void TestValueFormat::wordFormats()
{
    QFETCH(Format, format);
    QFETCH(int, word);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(wordText(format, quint16(word))), expected);
}

// Formats 2 to 4 from a pair of raw words, low word first.
void TestValueFormat::pairFormats_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<QByteArray>("expected");
    const auto i = Format::Signed32;
    const auto h = Format::Hex32;
    const auto f = Format::Float32;
    QTest::newRow("2: 0000 3FC0") << i << 0x0000 << 0x3FC0 << QByteArray("1069547520");
    QTest::newRow("3: 0000 3FC0") << h << 0x0000 << 0x3FC0 << QByteArray("3FC00000");
    QTest::newRow("4: 0000 3FC0") << f << 0x0000 << 0x3FC0 << QByteArray("1.500000");
    QTest::newRow("2: FFFF FFFF") << i << 0xFFFF << 0xFFFF << QByteArray("-1");
    QTest::newRow("3: FFFF FFFF") << h << 0xFFFF << 0xFFFF << QByteArray("FFFFFFFF");
    QTest::newRow("4: FFFF FFFF") << f << 0xFFFF << 0xFFFF << QByteArray("NAN");
    QTest::newRow("2: 0000 8000") << i << 0x0000 << 0x8000 << QByteArray("-2147483648");
    QTest::newRow("3: 0000 8000") << h << 0x0000 << 0x8000 << QByteArray("80000000");
    QTest::newRow("4: 0000 8000") << f << 0x0000 << 0x8000 << QByteArray("0.000000");
    QTest::newRow("2: FFFF 7FFF") << i << 0xFFFF << 0x7FFF << QByteArray("2147483647");
    QTest::newRow("2: low word is low") << i << 0x0001 << 0x0000 << QByteArray("1");
    QTest::newRow("3: leading zeros") << h << 0x00AB << 0x0000 << QByteArray("000000AB");
    QTest::newRow("3: upper case") << h << 0xCDEF << 0x0AB0 << QByteArray("0AB0CDEF");
}

void TestValueFormat::pairFormats()
{
    QFETCH(Format, format);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(pairText(format, quint16(low), quint16(high), DecimalSeparator('.'))), expected);
}

// The float text, one row per example and boundary.
void TestValueFormat::floatText_data()
{
    QTest::addColumn<quint32>("bits");
    QTest::addColumn<QByteArray>("expected");
    const struct
    {
        const char *name;
        quint32 bits;
        const char *text;
    } rows[] = {
        {"1.5", 0x3FC00000, "1.500000"},
        {"pi", 0x40490FDB, "3.141593"},
        {"123.456", 0x42F6E979, "123.456000"},
        {"0.1", 0x3DCCCCCD, "0.100000"},
        {"about 0.000001", 0x358637BD, "0.000001"},
        {"-1", 0xBF800000, "-1.000000"},
        {"9999999", 0x4B18967F, "9999999.000000"},
        {"10^7", 0x4B189680, "1E7"},
        {"-10^7", 0xCB189680, "-1E7"},
        {"12345678", 0x4B3C614E, "1.234568E7"},
        {"+0", 0x00000000, "0.000000"},
        {"-0", 0x80000000, "0.000000"},
        {"+inf", 0x7F800000, "INF"},
        {"-inf", 0xFF800000, "-INF"},
        {"quiet nan", 0x7FC00000, "NAN"},
        {"quiet nan, sign set", 0xFFC00001, "NAN"},
        {"signalling nan", 0x7F800001, "0.0"},
        {"signalling nan, sign set", 0xFFBFFFFF, "0.0"},
        {"largest finite", 0x7F7FFFFF, "3.402823E38"},
        {"largest finite, negative", 0xFF7FFFFF, "-3.402823E38"},
        {"smallest denormal", 0x00000001, "0.000000"},
        {"smallest denormal, negative", 0x80000001, "0.000000"},
        {"largest denormal", 0x007FFFFF, "0.000000"},
        {"smallest normal", 0x00800000, "0.000000"},
        // 5e-7 lies between two floats; the one below rounds down, the next up.
        {"float below 0.0000005", 0x350637BD, "0.000000"},
        {"float above 0.0000005", 0x350637BE, "0.000001"},
        {"negative below 0.0000005", 0xB50637BD, "0.000000"},
        {"negative above 0.0000005", 0xB50637BE, "-0.000001"},
        // Shortest texts that end in a 5 where the exact value lies below: no double rounding.
        {"0.0000105, exact below", 0x37302928, "0.000010"},
        {"12.345665, exact below", 0x414587D8, "12.345660"},
        {"float below 0.0000025", 0x3627C5AC, "0.000002"},
        {"float above 0.0000025", 0x3627C5AD, "0.000003"},
        // Exact halves at the 7th significant digit go away from zero, not to even.
        {"1234566.5", 0x4996B434, "1234567.000000"},
        {"1234567.5", 0x4996B43C, "1234568.000000"},
        {"-1234566.5", 0xC996B434, "-1234567.000000"},
        {"12345665 (half at 8th digit)", 0x4B3C6141, "1.234567E7"},
        {"12345675", 0x4B3C614B, "1.234568E7"},
        {"4999999.5 carries", 0x4A98967F, "5000000.000000"},
        {"999999.9375", 0x497423FF, "999999.900000"},
        {"999999.96875 carries to 7 digits", 0x49742400, "1000000.000000"},
        {"0.5", 0x3F000000, "0.500000"},
        {"0.9999999 carries to 1", 0x3F7FFFFE, "1.000000"},
        {"16777216", 0x4B800000, "1.677722E7"},
        {"10^8 exactly, no mantissa digits", 0x4CBEBC20, "1E8"},
        {"1.5E10", 0x505F8476, "1.5E10"},
        {"2^100", 0x71800000, "1.267651E30"},
        {"99999992, last float below 10^8", 0x4CBEBC1F, "9.999999E7"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.bits << QByteArray(r.text);
}

void TestValueFormat::floatText()
{
    QFETCH(quint32, bits);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(ValueFormat::floatText(bits, DecimalSeparator('.'))), expected);
    QCOMPARE(
        bytes(pairText(Format::Float32, quint16(bits), quint16(bits >> 16), DecimalSeparator('.'))),
        expected);
}

// The decimal separator is the locale's, any character, in every notation.
void TestValueFormat::floatSeparator_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<quint32>("bits");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma, fixed") << u","_s << 0x3FC00000u << u"1,500000"_s;
    QTest::newRow("comma, zero") << u","_s << 0x80000000u << u"0,000000"_s;
    QTest::newRow("comma, scientific") << u","_s << 0x4B3C614Eu << u"1,234568E7"_s;
    QTest::newRow("comma, scientific one digit") << u","_s << 0x4B189680u << u"1E7"_s;
    QTest::newRow("comma, signalling nan keeps 0.0") << u","_s << 0x7F800001u << u"0.0"_s;
    QTest::newRow("arabic separator") << u"\u066B"_s << 0xBF800000u << u"-1\u066B000000"_s;
    QTest::newRow("arabic, scientific") << u"\u066B"_s << 0x7F7FFFFFu << u"3\u066B402823E38"_s;
}

void TestValueFormat::floatSeparator()
{
    QFETCH(QString, separator);
    QFETCH(quint32, bits);
    QFETCH(QString, expected);
    QCOMPARE(ValueFormat::floatText(bits, DecimalSeparator(separator)).toString(), expected);
}

// Sweeps of bit patterns across every range of magnitudes, checked against
// the exact decimal expansion.
void TestValueFormat::floatMatchesExactExpansion_data()
{
    QTest::addColumn<quint32>("first");
    QTest::addColumn<quint32>("last");
    QTest::addColumn<quint32>("step");
    QTest::newRow("denormals") << 0x00000000u << 0x007FFFFFu << 997u;
    QTest::newRow("tiny normals") << 0x00800000u << 0x34FFFFFFu << 60013u;
    QTest::newRow("around 0.0000005") << 0x35000000u << 0x35100000u << 7u;
    QTest::newRow("0.000001 to 1") << 0x35800000u << 0x3F800000u << 1013u;
    QTest::newRow("1 to 10^7") << 0x3F800000u << 0x4B189680u << 997u;
    QTest::newRow("around 10^7") << 0x4B189600u << 0x4B189700u << 1u;
    QTest::newRow("10^7 to the largest") << 0x4B189680u << 0x7F7FFFFFu << 1009u;
    QTest::newRow("negative, all magnitudes") << 0x80000000u << 0xFFFFFFFFu << 8191u;
}

void TestValueFormat::floatMatchesExactExpansion()
{
    QFETCH(quint32, first);
    QFETCH(quint32, last);
    QFETCH(quint32, step);
    int checked = 0;
    for (quint64 b = first; b <= last; b += step) {
        const auto bits = quint32(b);
        const QByteArray got = bytes(ValueFormat::floatText(bits, DecimalSeparator(',')));
        const QByteArray want = referenceFloatText(bits, ",");
        if (got != want)
            QFAIL(qPrintable(u"%1: got %2, want %3"_s.arg(bits, 8, 16, QChar(u'0'))
                                 .arg(QString::fromLatin1(got), QString::fromLatin1(want))));
        ++checked;
    }
    QVERIFY(checked > 100);
}

// The reading of stored texts as signed 32-bit decimal integers.
void TestValueFormat::parseInt32_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("123") << true << 123;
    QTest::newRow("negative") << QByteArray("-1") << true << -1;
    QTest::newRow("plus sign") << QByteArray("+7") << true << 7;
    QTest::newRow("leading zeros") << QByteArray("-007") << true << -7;
    QTest::newRow("minus zero") << QByteArray("-0") << true << 0;
    QTest::newRow("leading spaces") << QByteArray("  42") << true << 42;
    QTest::newRow("int32 max") << QByteArray("2147483647") << true << INT32_MAX;
    QTest::newRow("int32 min") << QByteArray("-2147483648") << true << INT32_MIN;
    QTest::newRow("many zeros then max")
        << QByteArray("0000000000002147483647") << true << INT32_MAX;
    QTest::newRow("max + 1") << QByteArray("2147483648") << false << 0;
    QTest::newRow("min - 1") << QByteArray("-2147483649") << false << 0;
    QTest::newRow("far beyond 64 bits") << QByteArray("99999999999999999999999") << false << 0;
    QTest::newRow("empty (NULL)") << QByteArray() << false << 0;
    QTest::newRow("blanks only") << QByteArray("  ") << false << 0;
    QTest::newRow("sign only") << QByteArray("-") << false << 0;
    QTest::newRow("trailing space") << QByteArray("12 ") << false << 0;
    QTest::newRow("space after sign") << QByteArray("- 5") << false << 0;
    QTest::newRow("tab in front") << QByteArray("\t5") << false << 0;
    QTest::newRow("real number") << QByteArray("1.5") << false << 0;
    QTest::newRow("real, integral") << QByteArray("65535.0") << false << 0;
    QTest::newRow("exponent") << QByteArray("1E3") << false << 0;
    QTest::newRow("letters") << QByteArray("abc") << false << 0;
    QTest::newRow("hex dollar") << QByteArray("$FF") << false << 0;
    QTest::newRow("hex 0x") << QByteArray("0x10") << false << 0;
    QTest::newRow("two signs") << QByteArray("--1") << false << 0;
    QTest::newRow("embedded NUL") << QByteArray("1\0002", 3) << false << 0;
    QTest::newRow("full-width digit") << QByteArray("\xEF\xBC\x91") << false << 0;
}

void TestValueFormat::parseInt32()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    std::int32_t got = 12345;
    QCOMPARE(ValueFormat::parseInt32(text, got), ok);
    if (ok)
        QCOMPARE(got, value);
}

// Format 1 from a stored text: the low 16 bits, signed.
void TestValueFormat::storedSignedWord_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("65535") << QByteArray("65535") << true << QByteArray("-1");
    QTest::newRow("-1") << QByteArray("-1") << true << QByteArray("-1");
    QTest::newRow("40000") << QByteArray("40000") << true << QByteArray("-25536");
    QTest::newRow("70000") << QByteArray("70000") << true << QByteArray("4464");
    QTest::newRow("16320") << QByteArray("16320") << true << QByteArray("16320");
    QTest::newRow("32768") << QByteArray("32768") << true << QByteArray("-32768");
    QTest::newRow("int32 min") << QByteArray("-2147483648") << true << QByteArray("0");
    QTest::newRow("int32 max") << QByteArray("2147483647") << true << QByteArray("-1");
    QTest::newRow("empty fails") << QByteArray() << false << QByteArray();
    QTest::newRow("real fails") << QByteArray("2.5") << false << QByteArray();
    QTest::newRow("out of range fails") << QByteArray("4294967295") << false << QByteArray();
}

void TestValueFormat::storedSignedWord()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, ok);
    QFETCH(QByteArray, expected);
    Text out = decimal(777);
    QCOMPARE(storedWordText(Format::Signed16, stored, out), ok);
    QCOMPARE(bytes(out), ok ? expected : QByteArray("777"));
}

// Formats 2 to 4 from stored low and high texts.
void TestValueFormat::storedPair_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("low");
    QTest::addColumn<QByteArray>("high");
    QTest::addColumn<QByteArray>("expected"); // null: the reading fails
    const auto i = Format::Signed32;
    const auto h = Format::Hex32;
    const auto f = Format::Float32;
    const struct
    {
        const char *name;
        Format format;
        const char *low, *high, *text;
    } rows[] = {
        {"2: -1, 1 borrows", i, "-1", "1", "65535"},
        {"2: -1, 0", i, "-1", "0", "-1"},
        {"3: -1, 0", h, "-1", "0", "FFFFFFFF"},
        {"2: words 0, 16320", i, "0", "16320", "1069547520"},
        {"4: words 0, 16320", f, "0", "16320", "1.500000"},
        {"2: words 65535, 65535", i, "65535", "65535", "-1"},
        {"2: high 32768", i, "0", "32768", "-2147483648"},
        {"2: low not cut to 16 bits", i, "70000", "0", "70000"},
        {"2: wraps modulo 2^32", i, "0", "2147483647", "-65536"},
        {"3: low int32 min", h, "-2147483648", "0", "80000000"},
        {"3: both extremes", h, "-2147483648", "-2147483648", "80000000"},
        {"4: stored signalling nan", f, "1", "32640", "0.0"},
        {"4: -1, -1 is nan", f, "-1", "-1", "NAN"},
        {"2: empty low fails", i, "", "1", nullptr},
        {"3: real high fails", h, "1", "0.5", nullptr},
        {"2: out of range fails", i, "4294967296", "0", nullptr},
        {"4: empty low shows 0.0", f, "", "16320", "0.0"},
        {"4: letters show 0.0", f, "0", "x", "0.0"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.format << QByteArray(r.low) << QByteArray(r.high)
                              << QByteArray(r.text);
}

void TestValueFormat::storedPair()
{
    QFETCH(Format, format);
    QFETCH(QByteArray, low);
    QFETCH(QByteArray, high);
    QFETCH(QByteArray, expected);
    Text out = decimal(777);
    QCOMPARE(storedPairText(format, low, high, DecimalSeparator('.'), out), !expected.isNull());
    QCOMPARE(bytes(out), expected.isNull() ? QByteArray("777") : expected);
}

// A separator longer than the buffer keeps whole characters only.
void TestValueFormat::separatorKeepsWholeCharacters_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("ascii") << u"."_s << QByteArray(".");
    QTest::newRow("two-byte") << u"\u00B7"_s << QByteArray("\xC2\xB7");
    QTest::newRow("three three-byte chars")
        << u"\u066B\u066B\u066B"_s << QByteArray("\xD9\xAB\xD9\xAB\xD9\xAB");
    QTest::newRow("cut before a split character")
        << u"\u4E00\u4E00\u4E00"_s << QByteArray("\xE4\xB8\x80\xE4\xB8\x80");
    QTest::newRow("empty falls back to a point") << QString() << QByteArray(".");
}

void TestValueFormat::separatorKeepsWholeCharacters()
{
    QFETCH(QString, separator);
    QFETCH(QByteArray, kept);
    QCOMPARE(DecimalSeparator(separator).view().toByteArray(), kept);
}

QTEST_GUILESS_MAIN(TestValueFormat)
#include "tst_valueformat.moc"
