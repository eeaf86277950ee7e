#include "records/StoredRecords.h"

#include "dataaccess/TextWriter.h"
#include "records/CellNumber.h"
#include "records/CellText.h"

#include <limits>

using namespace ValueFormat;

namespace {

bool inInt32(qint64 v)
{
    return v >= std::numeric_limits<std::int32_t>::min()
        && v <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

StoredRecords::StoredRecords(Format format, const DecimalSeparator &separator)
    : m_format(format)
    , m_columns(3 + (isPairFormat(format) ? Values / 2 : Values))
    , m_separator(separator)
    , m_texts(std::make_unique<TextStore>())
    , m_ids(*m_texts)
    , m_dates(*m_texts)
    , m_times(*m_texts)
{
    m_values.reserve(Values);
    for (int v = 0; v < Values; ++v)
        m_values.emplace_back(*m_texts);
}

bool StoredRecords::append(qint64 id, QByteArrayView date, QByteArrayView time,
                           const std::array<Value, Values> &values)
{
    m_ids.append(id);
    m_dates.append(date);
    m_times.append(time);
    for (int v = 0; v < Values; ++v) {
        const Value &value = values[std::size_t(v)];
        if (value.isInteger)
            m_values[std::size_t(v)].append(value.integer);
        else
            m_values[std::size_t(v)].appendText(value.text);
    }
    // The stored text shows as it is, and a pair of floats shows "0.0" for
    // what it cannot read; the other formats need a 32-bit integer.
    if (m_format == Format::Unsigned16 || m_format == Format::Float32)
        return true;
    const std::size_t row = m_ids.size() - 1;
    for (int v = 0; v < Values; ++v)
        if (!showable(v, row))
            return false;
    return true;
}

bool StoredRecords::showable(int v, std::size_t row) const
{
    qint64 integer = 0;
    if (m_values[std::size_t(v)].integerAt(row, integer))
        return inInt32(integer);
    std::int32_t parsed = 0;
    return parseInt32(m_values[std::size_t(v)].textAt(row), parsed);
}

void StoredRecords::truncate(qint64 count)
{
    if (count >= this->count())
        return;
    const auto size = std::size_t(std::max<qint64>(count, 0));
    m_ids.truncate(size);
    m_dates.truncate(size);
    m_times.truncate(size);
    for (IntegerColumn &c : m_values)
        c.truncate(size);
}

qint64 StoredRecords::memoryUse() const
{
    qint64 bytes
        = m_texts->memoryUse() + m_ids.memoryUse() + m_dates.memoryUse() + m_times.memoryUse();
    for (const IntegerColumn &c : m_values)
        bytes += c.memoryUse();
    return bytes;
}

namespace {

// A number's decimal straight into the cell's own buffer.
void setDecimal(CellText &out, qint64 value)
{
    TextWriter w(out.buffer(), CellText::Capacity);
    w.putSigned(value);
    out.setMade(w.length());
}

} // namespace

QByteArrayView StoredRecords::storedText(int v, std::size_t row, Text &out) const
{
    qint64 integer = 0;
    if (!m_values[std::size_t(v)].integerAt(row, integer))
        return m_values[std::size_t(v)].textAt(row);
    out = decimal(integer);
    return out.view();
}

bool StoredRecords::cellIsNumber(int col, qint64 record) const
{
    if (col < 0 || col >= columns() || record < 0 || record >= count())
        return false;
    if (col == 0)
        return true;
    if (col < 3)
        return false;
    const auto row = std::size_t(record);
    qint64 integer = 0;
    switch (m_format) {
    case Format::Unsigned16:
        return m_values[std::size_t(col - 3)].integerAt(row, integer);
    case Format::Signed16:
        return m_values[std::size_t(col - 3)].integerAt(row, integer) && inInt32(integer);
    case Format::Signed32: {
        const int low = 2 * (col - 3);
        qint64 high = 0;
        return m_values[std::size_t(low)].integerAt(row, integer) && inInt32(integer)
            && m_values[std::size_t(low + 1)].integerAt(row, high) && inInt32(high);
    }
    default:
        return false;
    }
}

void StoredRecords::cell(int col, qint64 record, CellText &out) const
{
    const auto row = std::size_t(record);
    if (col < 0 || col >= columns() || record < 0 || record >= count()) {
        out = CellText();
        return;
    }
    qint64 integer = 0;
    switch (col) {
    case 0:
        m_ids.integerAt(row, integer);
        setDecimal(out, integer);
        return;
    case 1:
        out = CellText(m_dates.at(row));
        return;
    case 2:
        out = CellText(m_times.at(row));
        return;
    default:
        break;
    }
    Text made;
    if (!isPairFormat(m_format)) {
        const int v = col - 3;
        if (m_format == Format::Unsigned16) {
            if (m_values[std::size_t(v)].integerAt(row, integer))
                setDecimal(out, integer);
            else
                out = CellText(m_values[std::size_t(v)].textAt(row));
            return;
        }
        if (m_values[std::size_t(v)].integerAt(row, integer) && inInt32(integer)) {
            setDecimal(out, std::int16_t(std::uint16_t(std::uint32_t(integer))));
            return;
        }
        Text stored;
        if (!storedWordText(m_format, storedText(v, row, stored), made))
            made = Text();
        out.setMade(made);
        return;
    }
    const int low = 2 * (col - 3);
    qint64 l = 0;
    qint64 h = 0;
    if (m_values[std::size_t(low)].integerAt(row, l) && inInt32(l)
        && m_values[std::size_t(low + 1)].integerAt(row, h) && inInt32(h)) {
        // Modulo 2^32: a negative low half borrows from the high half.
        const std::uint32_t bits = std::uint32_t(h) * 65536u + std::uint32_t(l);
        made = pairText(m_format, std::uint16_t(bits), std::uint16_t(bits >> 16), m_separator);
    } else {
        Text lowText;
        Text highText;
        if (!storedPairText(m_format, storedText(low, row, lowText),
                            storedText(low + 1, row, highText), m_separator, made))
            made = Text();
    }
    out.setMade(made);
}

std::optional<CellNumber> StoredRecords::number(int col, qint64 record, char separator) const
{
    if (col < 0 || col >= columns() || record < 0 || record >= count())
        return std::nullopt;
    const auto row = std::size_t(record);
    qint64 integer = 0;
    switch (col) {
    case 0:
        m_ids.integerAt(row, integer);
        return CellNumber::decimal(integer);
    case 1:
        return CellNumber::read(m_dates.at(row), m_format, separator);
    case 2:
        return CellNumber::read(m_times.at(row), m_format, separator);
    default:
        break;
    }
    if (!isPairFormat(m_format)) {
        const int v = col - 3;
        const bool isInteger = m_values[std::size_t(v)].integerAt(row, integer);
        if (m_format == Format::Unsigned16) {
            // The stored text is the cell.
            if (isInteger)
                return CellNumber::decimal(integer);
            return CellNumber::read(m_values[std::size_t(v)].textAt(row), m_format, separator);
        }
        std::int32_t value = 0;
        if (isInteger && inInt32(integer))
            value = std::int32_t(integer);
        else if (isInteger || !parseInt32(m_values[std::size_t(v)].textAt(row), value))
            return std::nullopt;
        return CellNumber::decimal(std::int16_t(std::uint16_t(std::uint32_t(value))));
    }
    const int low = 2 * (col - 3);
    qint64 l = 0;
    qint64 h = 0;
    std::uint32_t bits = 0;
    bool read = false;
    if (m_values[std::size_t(low)].integerAt(row, l) && inInt32(l)
        && m_values[std::size_t(low + 1)].integerAt(row, h) && inInt32(h)) {
        // Modulo 2^32: a negative low half borrows from the high half.
        bits = std::uint32_t(h) * 65536u + std::uint32_t(l);
        read = true;
    } else {
        Text lowText;
        Text highText;
        read = storedPairValue(storedText(low, row, lowText), storedText(low + 1, row, highText),
                               bits);
    }
    if (!read) {
        if (m_format != Format::Float32)
            return std::nullopt;
        FloatValue zero; // "0.0"
        zero.decimals = 1;
        zero.separator = true;
        return CellNumber::realNumber(zero);
    }
    switch (m_format) {
    case Format::Hex32:
        return CellNumber::hex(bits);
    case Format::Float32:
        return CellNumber::realNumber(floatValue(bits));
    default:
        return CellNumber::decimal(std::int32_t(bits));
    }
}
