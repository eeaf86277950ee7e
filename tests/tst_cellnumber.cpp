#include "curves/CurveData.h"
#include "curves/CurveReadout.h"
#include "records/CellNumber.h"
#include "records/RecordGridModel.h"
#include "records/StoredRecords.h"

#include <QtEndian>
#include <QtTest>

#include <array>
#include <charconv>
#include <cstring>

using namespace Qt::StringLiterals;
using Format = ValueFormat::Format;

namespace {

// Word pairs (low, high) that reach every branch of the formats: signs,
// hex digits with and without letters, floats in fixed and scientific
// notation, rounding carries, zeros, infinities, NaNs, denormals and the
// largest float.
const std::array<std::uint32_t, 20> Patterns
    = {0x00000000u, 0x80000000u, 0x3FC00000u, 0x40490FDBu, 0x42F6E979u, 0x358637BDu, 0xBF800000u,
       0x4B18967Fu, 0x4B189680u, 0x4B3C614Eu, 0x7F800000u, 0xFF800000u, 0x7FC00000u, 0x7F800001u,
       0x7F7FFFFFu, 0x00000001u, 0x5F000000u, 0x00000100u, 0x12345678u, 0xFFFF8000u};

std::unique_ptr<RecordGridModel> binaryGrid(Format format)
{
    auto grid = std::make_unique<RecordGridModel>();
    grid->setCols(13);
    grid->beginRawRecords(RecordGridModel::RawKind::Data, format, ValueFormat::DecimalSeparator());
    const int records = int(Patterns.size()) / 5 * 2;
    grid->setRows(records + 1);
    char *bytes = grid->rawRecords(1, records);
    std::memset(bytes, 0, std::size_t(records) * 32);
    // Each record holds five pairs; record r + 1 repeats record r's pairs
    // swapped word by word, so the 16-bit formats see every word.
    for (int r = 0; r < records; ++r) {
        char *record = bytes + r * 32;
        qToLittleEndian<qint32>(r - 3, record);
        for (int p = 0; p < 5; ++p) {
            std::uint32_t bits = Patterns[std::size_t((r / 2) * 5 + p)];
            if (r % 2)
                bits = bits << 16 | bits >> 16;
            qToLittleEndian<std::uint32_t>(bits, record + 12 + 4 * p);
        }
    }
    grid->rawRecordsWritten(1, records);
    return grid;
}

// Stored values as a database gives them: integers, texts that are plain
// decimals or not, and texts that are no numbers at all.
std::unique_ptr<RecordGridModel> databaseGrid(Format format)
{
    static const QList<QByteArray> texts
        = {"12",    "-7",  "007",    " 12",        "+5",          "abc",         "",
           "1.5",   "1E3", "70000",  "-1",         "65535",       "99999999999", "0x10",
           "16320", "0",   "-32768", "2147483647", "-2147483648", "4294967296"};
    auto records = std::make_unique<StoredRecords>(format, ValueFormat::DecimalSeparator());
    std::array<StoredRecords::Value, StoredRecords::Values> values;
    for (int r = 0; r < texts.size(); ++r) {
        for (int v = 0; v < StoredRecords::Values; ++v) {
            const QByteArray &t = texts[(r + v * 3) % texts.size()];
            bool plain = false;
            const qint64 n = t.toLongLong(&plain);
            plain = plain && QByteArray::number(n) == t;
            // Every other plain decimal comes as an integer, the others as texts.
            values[std::size_t(v)] = plain && (r + v) % 2 ? StoredRecords::Value {true, n, {}}
                                                          : StoredRecords::Value {false, 0, t};
        }
        records->append(r + 1, "2024-03-01", "10:00:05", values);
    }
    auto grid = std::make_unique<RecordGridModel>();
    grid->setCols(13);
    grid->setRows(2);
    grid->setStoredRecords(std::move(records));
    return grid;
}

// The double a real text reads as, separator and all.
bool textReal(const QByteArray &text, double &value)
{
    const auto [end, ec] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    return ec == std::errc() && end == text.constData() + text.size();
}

} // namespace

class TestCellNumber : public QObject
{
    Q_OBJECT
private slots:
    void numbersMatchTheirTexts_data();
    void numbersMatchTheirTexts();
    void textsOfTheirOwnAreRead_data();
    void textsOfTheirOwnAreRead();
    void digitsReadInTheOtherBase_data();
    void digitsReadInTheOtherBase();
};

void TestCellNumber::numbersMatchTheirTexts_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<int>("format");
    for (bool database : {false, true})
        for (int f = 0; f <= 4; ++f)
            QTest::addRow("%s, format %d", database ? "database" : "binary", f) << database << f;
}

// Every cell's number gives the curves, the readout's changes and the real
// values exactly what reading the cell's text gives.
void TestCellNumber::numbersMatchTheirTexts()
{
    QFETCH(bool, database);
    QFETCH(int, format);
    const auto f = Format(format);
    const auto grid = database ? databaseGrid(f) : binaryGrid(f);
    const bool real = f == Format::Float32;
    int numbers = 0;
    for (int row = 1; row < grid->rows(); ++row) {
        for (int col = 0; col < grid->cols(); ++col) {
            const QByteArray text = grid->cellUtf8(col, row).toByteArray();
            const auto n = grid->cellNumber(col, row, f);
            numbers += n.has_value();
            QCOMPARE(CurveData::curveValue(n, real), CurveData::cellNumber(text, real));
            if (n && n->shown == CellNumber::Shown::Real && std::isfinite(n->real.value)) {
                double parsed = 0;
                QVERIFY2(textReal(text, parsed), text.constData());
                QCOMPARE(std::bit_cast<std::uint64_t>(n->real.value),
                         std::bit_cast<std::uint64_t>(parsed));
            }
            if (col < 3)
                continue;
            // Every pair of rows, as the readout's markers pick them.
            for (int other = 1; other < grid->rows(); ++other) {
                const QString a = grid->cell(col, row);
                const QString b = grid->cell(col, other);
                // A stored text with a blank or a plus sign in front is no
                // number for the curves, and now for the readout either.
                const bool curvesOnlyRule = format == 0
                    && (a.startsWith(u' ') || a.startsWith(u'+') || b.startsWith(u' ')
                        || b.startsWith(u'+'));
                QCOMPARE(CurveReadout::valueChange(n, grid->cellNumber(col, other, f), f),
                         curvesOnlyRule ? std::nullopt : CurveReadout::valueChange(a, b, f));
            }
        }
    }
    QVERIFY(numbers > grid->rows());
}

void TestCellNumber::textsOfTheirOwnAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("hasNumber");
    QTest::addColumn<int>("shown");
    QTest::addColumn<qint64>("integer");

    const int dec = int(CellNumber::Shown::Decimal);
    const int hex = int(CellNumber::Shown::Hex);
    const int real = int(CellNumber::Shown::Real);
    QTest::newRow("decimal") << u"-123"_s << 0 << true << dec << qint64(-123);
    QTest::newRow("leading zeros") << u"007"_s << 2 << true << dec << qint64(7);
    QTest::newRow("empty") << QString() << 0 << false << dec << qint64(0);
    QTest::newRow("space in front") << u" 12"_s << 1 << false << dec << qint64(0);
    QTest::newRow("plus sign") << u"+5"_s << 0 << false << dec << qint64(0);
    QTest::newRow("real in a decimal format") << u"1.5"_s << 2 << false << dec << qint64(0);
    QTest::newRow("hex letters in a decimal format") << u"1A"_s << 0 << false << dec << qint64(0);
    QTest::newRow("hex digits only") << u"00000100"_s << 3 << true << dec << qint64(100);
    QTest::newRow("hex letters") << u"0000ABCD"_s << 3 << true << hex << qint64(0xABCD);
    QTest::newRow("hex past 16 digits") << u"ABCDEF0123456789A"_s << 3 << false << hex << qint64(0);
    QTest::newRow("real") << u"1.500000"_s << 4 << true << real << qint64(0);
    QTest::newRow("real infinity text") << u"INF"_s << 4 << false << real << qint64(0);
    QTest::newRow("real with letters") << u"1.5x"_s << 4 << false << real << qint64(0);
}

void TestCellNumber::textsOfTheirOwnAreRead()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(bool, hasNumber);
    QFETCH(int, shown);
    QFETCH(qint64, integer);
    // A grid of texts, and the same text set over a binary record.
    RecordGridModel texts;
    texts.setCols(4);
    texts.setRows(2);
    texts.setCell(3, 1, text);
    auto binary = binaryGrid(Format(format));
    binary->setCell(3, 1, text);
    for (const RecordGridModel *grid : {static_cast<const RecordGridModel *>(&texts),
                                        static_cast<const RecordGridModel *>(binary.get())}) {
        const auto n = grid->cellNumber(3, 1, Format(format));
        QCOMPARE(n.has_value(), hasNumber);
        if (!n)
            continue;
        QCOMPARE(int(n->shown), shown);
        if (n->shown != CellNumber::Shown::Real)
            QCOMPARE(n->integer, integer);
    }
}

void TestCellNumber::digitsReadInTheOtherBase_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<bool>("hasNumber");
    QTest::addColumn<qint64>("read");
    const int dec = int(CellNumber::Shown::Decimal);
    const int hex = int(CellNumber::Shown::Hex);
    QTest::newRow("hex digits") << hex << qint64(0x100) << true << qint64(100);
    QTest::newRow("hex zero") << hex << qint64(0) << true << qint64(0);
    QTest::newRow("hex letter") << hex << qint64(0x1A) << false << qint64(0);
    QTest::newRow("hex 16 nines") << hex << qint64(0x0999999999999999) << true
                                  << qint64(999999999999999);
    QTest::newRow("decimal") << dec << qint64(123) << true << qint64(0x123);
    QTest::newRow("negative decimal") << dec << qint64(-10) << true << qint64(-0x10);
    QTest::newRow("decimal past 16 digits")
        << dec << qint64(12345678901234567) << false << qint64(0);
}

void TestCellNumber::digitsReadInTheOtherBase()
{
    QFETCH(int, shown);
    QFETCH(qint64, integer);
    QFETCH(bool, hasNumber);
    QFETCH(qint64, read);
    CellNumber n;
    n.shown = CellNumber::Shown(shown);
    n.integer = integer;
    const auto v
        = n.shown == CellNumber::Shown::Hex ? n.hexDigitsAsDecimal() : n.decimalDigitsAsHex();
    QCOMPARE(v.has_value(), hasNumber);
    if (v)
        QCOMPARE(*v, read);
}

QTEST_GUILESS_MAIN(TestCellNumber)
#include "tst_cellnumber.moc"
