#include "export/WorkbookEngineSheet.h"

#include "export/Automation.h"

#include <QLocale>

#include <algorithm>
#include <cstring>

void CellStyle::overlay(const CellStyle &later)
{
    if (later.fontSize)
        fontSize = later.fontSize;
    if (later.fontName)
        fontName = later.fontName;
    if (later.fontColour)
        fontColour = later.fontColour;
    if (later.border)
        border = later.border;
    if (later.hAlign)
        hAlign = later.hAlign;
    if (later.vAlign)
        vAlign = later.vAlign;
}

namespace {

constexpr std::size_t ChunkSize = 1 << 20;

char *putVarint(char *p, std::uint32_t v)
{
    while (v >= 0x80) {
        *p++ = static_cast<char>((v & 0x7f) | 0x80);
        v >>= 7;
    }
    *p++ = static_cast<char>(v);
    return p;
}

} // namespace

void WorkbookEngineSheet::setCell(int row, int col, const QString &text)
{
    if (row < 0 || row >= MaxRows || col < 0 || col >= MaxCols)
        throw AutomationError("cell outside the worksheet");
    // An apostrophe in front only says that the rest is a text.
    if (text.size() - (text.startsWith(u'\'') ? 1 : 0) > MaxTextChars)
        throw AutomationError("text longer than a cell holds");
    QByteArray utf8 = text.toUtf8();
    // The log is NUL-terminated and a worksheet cannot hold NUL anyway.
    utf8.removeIf([](char c) { return c == '\0'; });
    // With its terminating NUL.
    append(row, col, false, utf8.constData(), static_cast<std::size_t>(utf8.size()) + 1);
}

void WorkbookEngineSheet::setInteger(int row, int col, std::int64_t value)
{
    constexpr std::int64_t Exact = 999'999'999'999'999; // 15 digits
    if (value < -Exact || value > Exact) {
        setCell(row, col, QString::number(value));
        return;
    }
    if (row < 0 || row >= MaxRows || col < 0 || col >= MaxCols)
        throw AutomationError("cell outside the worksheet");
    append(row, col, true, reinterpret_cast<const char *>(&value), sizeof value);
}

void WorkbookEngineSheet::append(int row, int col, bool integer, const char *bytes,
                                 std::size_t size)
{
    const std::size_t need = 2 * 5 + size;
    if (m_chunks.empty() || m_chunks.back().size - m_chunks.back().used < need) {
        Chunk chunk;
        chunk.size = std::max(ChunkSize, need);
        chunk.data = std::make_unique<char[]>(chunk.size);
        m_chunks.push_back(std::move(chunk));
        m_chunkRow = 0;
    }
    Chunk &chunk = m_chunks.back();
    char *p = chunk.data.get() + chunk.used;
    const int delta = row - m_chunkRow;
    p = putVarint(
        p, (static_cast<std::uint32_t>(delta) << 1) ^ static_cast<std::uint32_t>(delta >> 31));
    p = putVarint(p, (static_cast<std::uint32_t>(col) << 1) | (integer ? 1U : 0U));
    std::memcpy(p, bytes, size);
    p += size;
    chunk.used = static_cast<std::size_t>(p - chunk.data.get());
    m_chunkRow = row;

    if (row < m_lastWrittenRow)
        m_rowsInOrder = false;
    m_lastWrittenRow = row;
    m_maxRow = std::max(m_maxRow, row);
    m_maxCol = std::max(m_maxCol, col);
}

std::string WorkbookEngineSheet::systemDecimalSeparator()
{
    return QLocale::system().decimalPoint().toStdString();
}

void WorkbookEngineSheet::setRowHeight(int top, int bottom, double height)
{
    m_heights.push_back({top, bottom, height});
}

void WorkbookEngineSheet::applyStyle(const CellRect &rect, const CellStyle &style)
{
    m_styles.push_back({rect, style});
}

std::optional<double> WorkbookEngineSheet::rowHeight(int row) const
{
    std::optional<double> height;
    for (const HeightOp &op : m_heights)
        if (row >= op.top && row <= op.bottom)
            height = op.height;
    return height;
}

namespace {

// One cell reference from `pos`: optional '$', letters, optional '$', digits.
bool parseCellRef(QStringView text, qsizetype &pos, int &row, int &col)
{
    auto at = [&](qsizetype i) { return i < text.size() ? text[i].unicode() : u'\0'; };
    if (at(pos) == u'$')
        ++pos;
    qint64 c = 0;
    qsizetype letters = 0;
    for (char16_t ch = at(pos); (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
         ch = at(pos)) {
        const int v = (ch >= u'a' ? ch - u'a' : ch - u'A') + 1;
        c = c * 26 + v;
        if (++letters > 3)
            return false;
        ++pos;
    }
    if (letters == 0)
        return false;
    if (at(pos) == u'$')
        ++pos;
    qint64 r = 0;
    qsizetype digits = 0;
    for (char16_t ch = at(pos); ch >= u'0' && ch <= u'9'; ch = at(pos)) {
        r = r * 10 + (ch - u'0');
        if (++digits > 7)
            return false;
        ++pos;
    }
    if (digits == 0 || r < 1 || r > WorkbookEngineSheet::MaxRows
        || c > WorkbookEngineSheet::MaxCols)
        return false;
    row = static_cast<int>(r - 1);
    col = static_cast<int>(c - 1);
    return true;
}

} // namespace

std::optional<CellRect> parseCellRange(QStringView text)
{
    qsizetype pos = 0;
    int r1 = 0, c1 = 0;
    if (!parseCellRef(text, pos, r1, c1))
        return std::nullopt;
    int r2 = r1, c2 = c1;
    if (pos < text.size()) {
        if (text[pos] != u':')
            return std::nullopt;
        ++pos;
        if (!parseCellRef(text, pos, r2, c2) || pos != text.size())
            return std::nullopt;
    }
    return CellRect {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
}
