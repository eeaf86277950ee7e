#include "curves/CurveData.h"

#include "records/RecordGridModel.h"

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

ValueFormat::Format textsIn(bool realCells)
{
    return realCells ? ValueFormat::Format::Float32 : ValueFormat::Format::Signed32;
}

} // namespace

std::optional<std::int64_t> curveValue(const std::optional<CellNumber> &number, bool realCells)
{
    if (!number)
        return std::nullopt;
    switch (number->shown) {
    case CellNumber::Shown::Decimal:
        if (realCells) // read as a real, like any decimal text
            return curveValue(CellNumber::realNumber({double(number->integer)}), true);
        return number->integer;
    case CellNumber::Shown::Hex:
        return number->hexDigitsAsDecimal();
    case CellNumber::Shown::Real:
        break;
    }
    if (!realCells || !std::isfinite(number->real.value))
        return std::nullopt;
    const double r = std::nearbyint(number->real.value);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (r >= 9223372036854775808.0 || r < -9223372036854775808.0)
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::optional<std::int64_t> cellNumber(QByteArrayView utf8, bool realCells)
{
    return curveValue(CellNumber::read(utf8, textsIn(realCells), systemSeparatorForTexts()),
                      realCells);
}

std::optional<std::int64_t> GridReader::point(int bufferPos, int pos, int i) const
{
    const qint64 row = qint64(pos) + 1 + i;
    if (row > std::numeric_limits<int>::max())
        return std::nullopt;
    return curveValue(m_grid.cellNumber(bufferPos + 3, static_cast<int>(row), textsIn(m_realCells)),
                      m_realCells);
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
    const auto n = m_grid.cellNumber(0, 1, ValueFormat::Format::Signed32);
    const auto v
        = n && n->shown == CellNumber::Shown::Decimal ? std::optional(n->integer) : std::nullopt;
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(*v);
}

} // namespace CurveData
