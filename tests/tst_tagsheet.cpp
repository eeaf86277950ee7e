#include "records/TagSheet.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = TagSheetFault::Kind;

Q_DECLARE_METATYPE(TagSheetFault::Kind)

namespace {

const QByteArray Title = "buffer,word,name,unit,type,gain,offset,decimals,texts\r\n";

QByteArray written(const TagSheet &sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!sheet.write(buffer))
        return {};
    return buffer.data();
}

} // namespace

class TestTagSheet : public QObject
{
    Q_OBJECT

private slots:
    void acceptsSheet_data();
    void acceptsSheet();
    void refusesFaultyWhole_data();
    void refusesFaultyWhole();
    void tagsForBuffer_data();
    void tagsForBuffer();
    void roundTripThroughFile();
    void sampleSheetMatchesSampleWords();
    void faultFromMissingFile();
};

void TestTagSheet::acceptsSheet_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("lastFields"); // the last tag as written back

    QTest::newRow("title only") << Title << 0 << QStringList();
    QTest::newRow("bom, lf, no final newline")
        << QByteArray("\xEF\xBB\xBF"
                      "buffer,word,name,unit,type,gain,offset,decimals,texts\n"
                      "*,0,Speed,rpm,u16,,,,")
        << 1 << QStringList {u"*"_s, u"0"_s, u"Speed"_s, u"rpm"_s, u"u16"_s, {}, {}, {}, {}};
    QTest::newRow("quoted comma, quote and line break in a name")
        << Title + "3,2,\"Press \"\"A\"\",\r\nline\",bar,s16,0.1,-5,2,\r\n"
        << 1 << QStringList {u"3"_s,   u"2"_s,   u"Press \"A\",\r\nline"_s,
                             u"bar"_s, u"s16"_s, u"0.1"_s,
                             u"-5"_s,  u"2"_s,   {}};
    QTest::newRow("enum texts sorted, trailing semicolon")
        << Title + "*,7,Mode,,enum,,,,2=Fault; 0=Stop ;1=Run;\r\n"
        << 1
        << QStringList {
               u"*"_s, u"7"_s, u"Mode"_s, {}, u"enum"_s, {}, {}, {}, u"0=Stop;1=Run;2=Fault"_s};
    QTest::newRow("bits, chinese names")
        << Title + "12,9,状态,,bits,,,,0=运行;3=门开;15=报警\r\n"
        << 1
        << QStringList {
               u"12"_s, u"9"_s, u"状态"_s, {}, u"bits"_s, {}, {}, {}, u"0=运行;3=门开;15=报警"_s};
    QTest::newRow("32-bit at word 8, exponent gain")
        << Title + "*,8,Flow,m3/h,f32,1e-3,,4,\r\n"
        << 1
        << QStringList {u"*"_s, u"8"_s, u"Flow"_s, u"m3/h"_s, u"f32"_s, u"1e-3"_s, {}, u"4"_s, {}};
    QTest::newRow("blank lines and bare commas skipped")
        << Title + "\r\n,,,,,,,,\r\n*,1,A,,hex32,,,,\r\n\r\n"
        << 1 << QStringList {u"*"_s, u"1"_s, u"A"_s, {}, u"hex32"_s, {}, {}, {}, {}};
}

void TestTagSheet::acceptsSheet()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, count);
    QFETCH(QStringList, lastFields);

    const TagSheetReading r = TagSheet::parse(csv);
    QVERIFY2(r.sheet, qPrintable(r.fault.message(Language::English)));
    QCOMPARE(r.sheet->tags.size(), count);
    if (count > 0)
        QCOMPARE(TagSheet::fieldsOf(r.sheet->tags.last()), lastFields);
    // What it writes reads back as the same sheet, and writes the same bytes again.
    const QByteArray bytes = written(*r.sheet);
    const TagSheetReading again = TagSheet::parse(bytes);
    QVERIFY(again.sheet);
    QCOMPARE(*again.sheet, *r.sheet);
    QCOMPARE(written(*again.sheet), bytes);
}

void TestTagSheet::refusesFaultyWhole_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");

    const QByteArray good = "*,0,Good,,u16,,,,\r\n";
    QTest::newRow("empty file") << QByteArray() << Kind::BadTitle << 1 << 1;
    QTest::newRow("title misspelt") << QByteArray("buffer,word,name,unit,typ,gain,offset,"
                                                  "decimals,texts\r\n")
                                    << Kind::BadTitle << 1 << 5;
    QTest::newRow("title with a tenth column")
        << QByteArray("buffer,word,name,unit,type,gain,offset,decimals,texts,x\r\n")
        << Kind::FieldCount << 1 << 0;
    QTest::newRow("eight fields") << Title + good + "*,0,A,,u16,,,\r\n"
                                  << Kind::FieldCount << 3 << 0;
    QTest::newRow("buffer 0") << Title + good + "0,0,A,,u16,,,,\r\n" << Kind::BadBuffer << 3 << 1;
    QTest::newRow("buffer 13") << Title + "13,0,A,,u16,,,,\r\n" << Kind::BadBuffer << 2 << 1;
    QTest::newRow("word 10") << Title + "*,10,A,,u16,,,,\r\n" << Kind::BadWord << 2 << 2;
    QTest::newRow("word -1") << Title + "*,-1,A,,u16,,,,\r\n" << Kind::BadWord << 2 << 2;
    QTest::newRow("32-bit at word 9") << Title + "*,9,A,,s32,,,,\r\n" << Kind::BadWord << 2 << 2;
    QTest::newRow("empty name") << Title + "*,0, ,,u16,,,,\r\n" << Kind::EmptyName << 2 << 3;
    QTest::newRow("unknown type") << Title + good + good + "*,0,A,,u17,,,,\r\n"
                                  << Kind::UnknownType << 4 << 5;
    QTest::newRow("type in capitals") << Title + "*,0,A,,U16,,,,\r\n"
                                      << Kind::UnknownType << 2 << 5;
    QTest::newRow("gain not a number") << Title + "*,0,A,,u16,x,,,\r\n"
                                       << Kind::BadNumber << 2 << 6;
    QTest::newRow("gain with comma") << Title + "*,0,A,,u16,\"0,1\",,,\r\n"
                                     << Kind::BadNumber << 2 << 6;
    QTest::newRow("offset infinite") << Title + "*,0,A,,u16,,1e999,,\r\n"
                                     << Kind::BadNumber << 2 << 7;
    QTest::newRow("decimals 16") << Title + "*,0,A,,u16,,,16,\r\n" << Kind::BadDecimals << 2 << 8;
    QTest::newRow("gain on enum") << Title + "*,0,A,,enum,2,,,0=a\r\n" << Kind::NotScaled << 2 << 6;
    QTest::newRow("decimals on hex32") << Title + "*,0,A,,hex32,,,1,\r\n"
                                       << Kind::NotScaled << 2 << 8;
    QTest::newRow("texts on u16") << Title + "*,0,A,,u16,,,,0=a\r\n"
                                  << Kind::TextsNotTaken << 2 << 9;
    QTest::newRow("texts without =") << Title + "*,0,A,,enum,,,,0=Stop;Run\r\n"
                                     << Kind::BadTexts << 2 << 9;
    QTest::newRow("texts value twice") << Title + "*,0,A,,enum,,,,1=a;1=b\r\n"
                                       << Kind::BadTexts << 2 << 9;
    QTest::newRow("texts empty text") << Title + "*,0,A,,enum,,,,1=\r\n"
                                      << Kind::BadTexts << 2 << 9;
    QTest::newRow("enum value 65536") << Title + "*,0,A,,enum,,,,65536=a\r\n"
                                      << Kind::BadTexts << 2 << 9;
    QTest::newRow("bit 16") << Title + "*,0,A,,bits,,,,16=a\r\n" << Kind::BadTexts << 2 << 9;
    QTest::newRow("quote inside a field") << Title + "*,0,A\"B,,u16,,,,\r\n"
                                          << Kind::BadQuoting << 2 << 3;
    QTest::newRow("text after a closing quote") << Title + "*,0,\"A\"B,,u16,,,,\r\n"
                                                << Kind::BadQuoting << 2 << 3;
    QTest::newRow("quote never closed, named where it opens") << Title + good + "*,0,\"A\r\n\r\n"
                                                              << Kind::BadQuoting << 3 << 3;
    QTest::newRow("not UTF-8") << Title + "*,0,\xC3\x28,,u16,,,,\r\n"
                               << Kind::BadEncoding << 2 << 3;
    QTest::newRow("fault after a quoted line break counts lines")
        << Title + "*,0,\"two\nlines\",,u16,,,,\r\n*,0,A,,bad,,,,\r\n"
        << Kind::UnknownType << 4 << 5;
}

void TestTagSheet::refusesFaultyWhole()
{
    QFETCH(QByteArray, csv);
    QFETCH(Kind, kind);
    QFETCH(int, line);
    QFETCH(int, column);

    const TagSheetReading r = TagSheet::parse(csv);
    QVERIFY(!r.sheet);
    QCOMPARE(r.fault.kind, kind);
    QCOMPARE(r.fault.line, line);
    QCOMPARE(r.fault.column, column);
    const QString message = r.fault.message(Language::English);
    if (column > 0)
        QVERIFY2(message.startsWith(u"Line %1, column %2 ("_s.arg(line).arg(column)),
                 qPrintable(message));
    else
        QVERIFY2(message.startsWith(u"Line %1: "_s.arg(line)), qPrintable(message));
}

void TestTagSheet::tagsForBuffer_data()
{
    QTest::addColumn<int>("buffer");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("binary file: * only") << int(Tag::AnyBuffer) << QStringList {u"A"_s, u"C"_s};
    QTest::newRow("buffer 3") << 3 << QStringList {u"A"_s, u"B3"_s, u"C"_s, u"D3"_s};
    QTest::newRow("buffer 4") << 4 << QStringList {u"A"_s, u"C"_s, u"E4"_s};
    QTest::newRow("buffer 12") << 12 << QStringList {u"A"_s, u"C"_s};
}

void TestTagSheet::tagsForBuffer()
{
    QFETCH(int, buffer);
    QFETCH(QStringList, names);

    const TagSheetReading r = TagSheet::parse(Title
                                              + "*,0,A,,u16,,,,\r\n"
                                                "3,1,B3,,u16,,,,\r\n"
                                                "*,2,C,,u16,,,,\r\n"
                                                "3,3,D3,,u16,,,,\r\n"
                                                "4,3,E4,,u16,,,,\r\n");
    QVERIFY(r.sheet);
    QStringList got;
    for (const Tag &t : r.sheet->tagsFor(buffer))
        got.append(t.name);
    QCOMPARE(got, names);
}

void TestTagSheet::roundTripThroughFile()
{
    TagSheet sheet;
    Tag a;
    a.buffer = 5;
    a.word = 8;
    a.name = u" Flow, \"main\" "_s;
    a.unit = u"m³/h"_s;
    a.type = TagType::F32;
    QVERIFY(!TagSheet::tagFromFields(TagSheet::fieldsOf(a), a));
    Tag b;
    QVERIFY(!TagSheet::tagFromFields(
        {u"*"_s, u"7"_s, u"Door"_s, {}, u"bits"_s, {}, {}, {}, u"15=Alarm;0=Run;3=Door open"_s},
        b));
    sheet.tags = {a, b};

    QTemporaryDir dir;
    const QString path = dir.filePath(u"tags.csv"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(sheet.write(file));
    file.close();

    const TagSheetReading r = TagSheet::read(path);
    QVERIFY2(r.sheet, qPrintable(r.fault.message(Language::English)));
    QCOMPARE(*r.sheet, sheet);
    QCOMPARE(r.sheet->tags[1].texts.first().text, u"Run"_s);
    QFile back(path);
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QByteArray bytes = back.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"
                             "buffer,"));
    QVERIFY(bytes.contains("\r\n5,8,\" Flow, \"\"main\"\" \",m³/h,f32,,,,\r\n"));
}

void TestTagSheet::sampleSheetMatchesSampleWords()
{
    const TagSheetReading r = TagSheet::read(QStringLiteral(NORVALE_SAMPLE_TAGS));
    QVERIFY2(r.sheet, qPrintable(r.fault.message(Language::English)));
    // Every word of the sample logs is named for every buffer, and buffer 3 has one more.
    QSet<int> words;
    for (const Tag &t : r.sheet->tagsFor(Tag::AnyBuffer)) {
        words.insert(t.word);
        if (isWideTag(t.type))
            words.insert(t.word + 1);
    }
    QCOMPARE(words.size(), 10);
    QCOMPARE(r.sheet->tagsFor(3).size(), r.sheet->tagsFor(1).size() + 1);
}

void TestTagSheet::faultFromMissingFile()
{
    QTemporaryDir dir;
    const TagSheetReading r = TagSheet::read(dir.filePath(u"none.csv"_s));
    QVERIFY(!r.sheet);
    QCOMPARE(r.fault.kind, Kind::CannotRead);
    QVERIFY(!r.fault.detail.isEmpty());
}

QTEST_GUILESS_MAIN(TestTagSheet)
#include "tst_tagsheet.moc"
