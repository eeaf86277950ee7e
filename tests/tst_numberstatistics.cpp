#include "records/NumberStatistics.h"
#include "records/TagValue.h"
#include "records/ValueFormat.h"

#include "support/LogFiles.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

NumberStatistics statisticsOf(const QList<QByteArray> &texts,
                              ValueFormat::DecimalSeparator sep = ValueFormat::DecimalSeparator())
{
    NumberStatistics s(sep);
    for (const QByteArray &t : texts)
        s.add(t);
    return s;
}

// How a column of the grid is made from a record's words.
enum class Column { Unsigned16, Signed16, Signed32, Float32, ScaledTag, ScaledFloatTag };

QByteArray cellText(Column column, const TagFormatter::Words &w, int index)
{
    const ValueFormat::DecimalSeparator sep;
    switch (column) {
    case Column::Unsigned16:
        return ValueFormat::wordText(ValueFormat::Format::Unsigned16, w[index])
            .view()
            .toByteArray();
    case Column::Signed16:
        return ValueFormat::wordText(ValueFormat::Format::Signed16, w[index]).view().toByteArray();
    case Column::Signed32:
    case Column::Float32:
        return ValueFormat::pairText(column == Column::Signed32 ? ValueFormat::Format::Signed32
                                                                : ValueFormat::Format::Float32,
                                     w[index], w[index + 1], sep)
            .view()
            .toByteArray();
    case Column::ScaledTag:
    case Column::ScaledFloatTag:
        break;
    }
    Tag tag;
    const QStringList fields = column == Column::ScaledTag
        ? QStringList {u"*"_s,   QString::number(index),
                       u"T"_s,   {},
                       u"s16"_s, u"-0.01"_s,
                       u"3.5"_s, {},
                       {}}
        : QStringList {u"*"_s, QString::number(index), u"T"_s, {}, u"f32"_s, u"0.5"_s, {}, u"3"_s,
                       {}};
    if (TagSheet::tagFromFields(fields, tag))
        qFatal("bad test tag");
    const TagFormatter f(tag);
    return f.text(f.rawFromWords(w)).toUtf8();
}

} // namespace

Q_DECLARE_METATYPE(Column)

class TestNumberStatistics : public QObject
{
    Q_OBJECT

private slots:
    void exactFigures_data();
    void exactFigures();
    void againstPlainComputationOverCsv_data();
    void againstPlainComputationOverCsv();
    void statisticsCsv();
};

void TestNumberStatistics::exactFigures_data()
{
    QTest::addColumn<QList<QByteArray>>("texts");
    QTest::addColumn<char>("separator");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("min");
    QTest::addColumn<QByteArray>("max");
    QTest::addColumn<QByteArray>("sum");
    QTest::addColumn<QByteArray>("mean");

    using L = QList<QByteArray>;
    QTest::newRow("nothing") << L {} << '.' << 0 << ""_ba
                             << ""_ba
                             << ""_ba
                             << ""_ba;
    QTest::newRow("beyond 64 bits") << (L(11, "999999999999999999") << "-999999999999999999") << '.'
                                    << 12 << "-999999999999999999"_ba
                                    << "999999999999999999"_ba
                                    << "9999999999999999990"_ba
                                    << "833333333333333332.50"_ba;
    QTest::newRow("19 digits go the floating way")
        << L {"9223372036854775807", "1"} << '.' << 2 << "1"_ba
        << "9223372036854775807"_ba
        << "9223372036854775808"_ba
        << "4611686018427387904.00"_ba;
    QTest::newRow("tenths exact") << L(10, "0.1") << '.' << 10 << "0.1"_ba
                                  << "0.1"_ba
                                  << "1.0"_ba
                                  << "0.100"_ba;
    QTest::newRow("mixed decimals scale up") << L {"1", "0.25", "-3.5"} << '.' << 3 << "-3.5"_ba
                                             << "1"_ba
                                             << "-2.25"_ba
                                             << "-0.7500"_ba;
    QTest::newRow("mean half away from zero")
        << L {"5", "0", "0", "0", "0", "0", "0", "0"} << '.' << 8 << "0"_ba
        << "5"_ba
        << "5"_ba
        << "0.63"_ba;
    QTest::newRow("negative mean half away")
        << L {"-5", "0", "0", "0", "0", "0", "0", "0"} << '.' << 8 << "-5"_ba
        << "0"_ba
        << "-5"_ba
        << "-0.63"_ba;
    QTest::newRow("thirds") << L {"0", "0", "1"} << '.' << 3 << "0"_ba
                            << "1"_ba
                            << "1"_ba
                            << "0.33"_ba;
    QTest::newRow("compensated floating sum") << L {"1E16", "1", "-1E16"} << '.' << 3 << "-1E16"_ba
                                              << "1E16"_ba
                                              << "1"_ba
                                              << "0.33"_ba;
    QTest::newRow("texts kept as shown")
        << L {"1.500000", "-2.000000", "3.25", "-2.0"} << '.' << 4 << "-2.000000"_ba
        << "3.25"_ba
        << "0.750000"_ba
        << "0.18750000"_ba;
    QTest::newRow("no numbers left out")
        << L {"NAN", "INF", "-INF", "abc", "", "1.", "-", ".5", "0x10", "1E", "2", " 3", "4 "}
        << '.' << 1 << "2"_ba
        << "2"_ba
        << "2"_ba
        << "2.00"_ba;
    QTest::newRow("comma separator") << L {"1,5", "2,5", "1.5"} << ',' << 2 << "1,5"_ba
                                     << "2,5"_ba
                                     << "4,0"_ba
                                     << "2,000"_ba;
    QTest::newRow("s16 limits") << L {"-32768", "32767", "-32768", "32767", "-1"} << '.' << 5
                                << "-32768"_ba
                                << "32767"_ba
                                << "-3"_ba
                                << "-0.60"_ba;
}

void TestNumberStatistics::exactFigures()
{
    QFETCH(QList<QByteArray>, texts);
    QFETCH(char, separator);
    QFETCH(int, count);
    QFETCH(QByteArray, min);
    QFETCH(QByteArray, max);
    QFETCH(QByteArray, sum);
    QFETCH(QByteArray, mean);

    const NumberStatistics s = statisticsOf(texts, ValueFormat::DecimalSeparator(separator));
    QCOMPARE(s.count(), count);
    QCOMPARE(s.minText(), min);
    QCOMPARE(s.maxText(), max);
    QCOMPARE(s.sumText(), sum);
    QCOMPARE(s.meanText(), mean);
}

void TestNumberStatistics::againstPlainComputationOverCsv_data()
{
    QTest::addColumn<Column>("column");
    QTest::addColumn<int>("word");

    QTest::newRow("16bit Unsigned, temperature") << Column::Unsigned16 << 0;
    QTest::newRow("16bit Signed, deviation") << Column::Signed16 << 5;
    QTest::newRow("32bit Signed, totaliser") << Column::Signed32 << 6;
    QTest::newRow("32bit Float, flow") << Column::Float32 << 8;
    QTest::newRow("tag s16 * -0.01 + 3.5") << Column::ScaledTag << 5;
    QTest::newRow("tag f32 * 0.5, 3 decimals") << Column::ScaledFloatTag << 8;
}

void TestNumberStatistics::againstPlainComputationOverCsv()
{
    QFETCH(Column, column);
    QFETCH(int, word);

    QTemporaryDir dir;
    const QString data = dir.filePath(u"Data.bin"_s);
    QVERIFY(logfiles::makeSample({u"data-bin"_s, data, u"--records"_s, u"3000"_s}));
    const QByteArray bytes = logfiles::readFile(data);
    QVERIFY(bytes.size() > 32);

    // The column's cells, as a one-column CSV file.
    NumberStatistics s;
    QByteArray csv;
    for (qsizetype at = 32; at + 32 <= bytes.size(); at += 32) {
        TagFormatter::Words w;
        for (int i = 0; i < 10; ++i)
            w[i] = quint16(uchar(bytes[at + 12 + 2 * i]) | (uchar(bytes[at + 13 + 2 * i]) << 8));
        const QByteArray text = cellText(column, w, word);
        QVERIFY(s.add(text));
        csv += text + "\r\n";
    }
    const QString csvPath = dir.filePath(u"column.csv"_s);
    QVERIFY(logfiles::writeFile(csvPath, csv));

    // The plain way: every line as a long double, summed in order.
    QList<QByteArray> lines = logfiles::readFile(csvPath).split('\n');
    lines.removeAll(QByteArray());
    long double sum = 0;
    double min = HUGE_VAL, max = -HUGE_VAL;
    int decimals = 0;
    for (QByteArray line : lines) {
        line = line.trimmed();
        bool ok = false;
        const double v = line.toDouble(&ok);
        QVERIFY2(ok, line.constData());
        sum += v;
        min = std::min(min, v);
        max = std::max(max, v);
        const qsizetype point = line.indexOf('.');
        if (point >= 0 && !line.contains('E'))
            decimals = std::max(decimals, int(line.size() - point - 1));
    }
    QCOMPARE(s.count(), lines.size());
    QCOMPARE(s.minText().toDouble(), min);
    QCOMPARE(s.maxText().toDouble(), max);
    QCOMPARE(s.firstText(), lines.first().trimmed());
    QCOMPARE(s.lastText(), lines.last().trimmed());
    QCOMPARE(s.decimals(), decimals);
    const long double mean = sum / lines.size();
    const double tolerance = std::pow(10.0, -(decimals + 2)) / 2 + std::fabs(double(mean)) * 1e-15;
    QVERIFY2(std::fabs(s.meanText().toDouble() - double(mean)) <= tolerance,
             s.meanText().constData());
    QVERIFY(std::fabs(s.sum() - double(sum)) <= std::fabs(double(sum)) * 1e-15 + 1e-9);
    const qsizetype meanPoint = s.meanText().indexOf('.');
    QCOMPARE(s.meanText().size() - meanPoint - 1, decimals + 2);
}

void TestNumberStatistics::statisticsCsv()
{
    QList<ColumnStatistics> columns(4);
    columns[0].title = u"ID"_s;
    columns[0].statistics = statisticsOf({"1", "2", "3"});
    columns[1].title = u"Record Date"_s; // no numbers: left out
    columns[1].statistics = statisticsOf({"2013-05-07"});
    columns[2].title = u"Pressure, \"main\" [bar]"_s;
    columns[2].statistics = statisticsOf({"1.5", "-0.5", "2.0"});
    columns[2].shownDecimals = 2; // the tag's decimals, above the texts'
    columns[3].title = u"温度 [°C]"_s;
    columns[3].statistics = statisticsOf({"20"});

    QTemporaryDir dir;
    QFile file(dir.filePath(u"stats.csv"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeStatisticsCsv(columns, file));
    file.close();
    QCOMPARE(logfiles::readFile(file.fileName()),
             "column,count,min,max,mean,first,last\r\n"
             "ID,3,1,3,2.00,1,3\r\n"
             "\"Pressure, \"\"main\"\" [bar]\",3,-0.5,2.0,1.0000,1.5,2.0\r\n"
             "温度 [°C],1,20,20,20.00,20,20\r\n"_ba);

    // A device that takes nothing is no success.
    QBuffer closed;
    QVERIFY(!writeStatisticsCsv(columns, closed));
}

QTEST_GUILESS_MAIN(TestNumberStatistics)
#include "tst_numberstatistics.moc"
