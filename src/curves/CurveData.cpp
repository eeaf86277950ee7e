#include "curves/CurveData.h"

#include "records/RecordGridModel.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace CurveData {

std::int64_t nearest(double x)
{
    // The default rounding mode rounds halves to even.
    return static_cast<std::int64_t>(std::nearbyint(x));
}

namespace {

std::optional<std::int64_t> decimalInteger(const char *b, const char *e)
{
    if (b == e)
        return std::nullopt;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(b, e, v, 10);
    if (ec != std::errc() || end != e)
        return std::nullopt;
    return v;
}

char decimalSeparator()
{
    static const char sep = [] {
        const QString p = QLocale::system().decimalPoint();
        return p == QStringLiteral(",") ? ',' : '.';
    }();
    return sep;
}

std::optional<std::int64_t> decimalReal(const char *b, const char *e)
{
    if (b == e || e - b > 64)
        return std::nullopt;
    char buf[64];
    int n = 0;
    const char sep = decimalSeparator();
    for (const char *p = b; p != e; ++p) {
        char c = *p;
        // Only digits, one sign, the separator and an exponent make a real
        // here; from_chars would also take "inf", "nan" and hex digits.
        if (c == sep)
            c = '.';
        else if (c == '.' && sep != '.')
            return std::nullopt;
        else if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return std::nullopt;
        buf[n++] = c;
    }
    double x = 0;
    const auto [end, ec] = std::from_chars(buf, buf + n, x, std::chars_format::general);
    if (ec != std::errc() || end != buf + n || !std::isfinite(x))
        return std::nullopt;
    const double r = std::nearbyint(x);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (r >= 9223372036854775808.0 || r < -9223372036854775808.0)
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

} // namespace

std::optional<std::int64_t> cellNumber(QByteArrayView utf8, bool realCells)
{
    const char *b = utf8.data();
    const char *e = b + utf8.size();
    return realCells ? decimalReal(b, e) : decimalInteger(b, e);
}

std::optional<std::int64_t> GridReader::point(int bufferPos, int pos, int i) const
{
    const qint64 row = qint64(pos) + 1 + i;
    if (row > std::numeric_limits<int>::max())
        return std::nullopt;
    return cellNumber(m_grid.cellUtf8(bufferPos + 3, static_cast<int>(row)), m_realCells);
}

QString shownCell(const RecordGridModel &grid, int col, int row, int maxChars)
{
    const CellText cell = grid.cellUtf8(col, row);
    maxChars = std::max(maxChars, 0);
    // A character takes at most four bytes; the cut goes back to a character's first byte.
    qsizetype size = std::min<qsizetype>(cell.size(), qsizetype(maxChars) * 4);
    if (size < cell.size())
        while (size > 0 && (static_cast<unsigned char>(cell.data()[size]) & 0xc0) == 0x80)
            --size;
    QString text = QString::fromUtf8(cell.data(), size);
    if (text.size() > maxChars) {
        qsizetype cut = maxChars;
        if (cut > 0 && text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    return text;
}

QString GridReader::xInfoText(int pos, int scrollMax, int maxChars) const
{
    const int row = pos + 1;
    return shownCell(m_grid, 1, row, maxChars) + QStringLiteral(" / ")
        + shownCell(m_grid, 2, row, maxChars) + QStringLiteral(" (")
        + QString::number(qint64(pos) + 1) + QStringLiteral("/")
        + QString::number(qint64(scrollMax) + 1) + QStringLiteral(")");
}

QString GridReader::dateTime(int row) const
{
    // A field shows far less than this.
    constexpr int FieldChars = 1024;
    return shownCell(m_grid, 1, row, FieldChars) + QStringLiteral(" ")
        + shownCell(m_grid, 2, row, FieldChars);
}

int GridReader::firstDataId() const
{
    const CellText t = m_grid.cellUtf8(0, 1);
    const auto v = decimalInteger(t.data(), t.data() + t.size());
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(*v);
}

} // namespace CurveData
