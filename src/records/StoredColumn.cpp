#include "records/StoredColumn.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

// --- IntegerColumn ------------------------------------------------------

namespace {

// The number `text` is the plain decimal of, as std::to_chars writes it:
// no sign but a leading "-", no leading zero, no "-0".
bool plainDecimal(QByteArrayView text, qint64 &value)
{
    const char *begin = text.data();
    const char *end = begin + text.size();
    if (text.isEmpty() || text.size() > 20)
        return false;
    const char *digits = *begin == '-' ? begin + 1 : begin;
    if (digits == end || (*digits == '0' && (end - digits > 1 || digits != begin)))
        return false;
    const auto [ptr, error] = std::from_chars(begin, end, value);
    return error == std::errc() && ptr == end;
}

} // namespace

int IntegerColumn::bytesPerValue() const
{
    return bytesOf(m_width);
}

IntegerColumn::Width IntegerColumn::widthFor(qint64 min, qint64 max)
{
    const auto within = [&](qint64 lo, qint64 hi) { return min >= lo && max <= hi; };
    if (within(INT8_MIN, INT8_MAX))
        return Width::I8;
    if (within(0, UINT8_MAX))
        return Width::U8;
    if (within(INT16_MIN, INT16_MAX))
        return Width::I16;
    if (within(0, UINT16_MAX))
        return Width::U16;
    if (within(INT32_MIN, INT32_MAX))
        return Width::I32;
    if (within(0, UINT32_MAX))
        return Width::U32;
    return Width::I64;
}

void IntegerColumn::widen(Width to)
{
    // Chunk by chunk, so the column never exists twice over; each new chunk is
    // had before the old one goes, and a failure leaves the old width whole.
    std::vector<std::unique_ptr<char[]>> wider;
    wider.reserve(m_chunks.size());
    for (std::size_t c = 0; c < m_chunks.size(); ++c) {
        auto chunk = std::make_unique_for_overwrite<char[]>(Chunk * std::size_t(bytesOf(to)));
        const std::size_t count = std::min(Chunk, m_size - c * Chunk);
        for (std::size_t i = 0; i < count; ++i)
            writeAt(to, chunk.get(), i, readAt(m_width, m_chunks[c].get(), i));
        wider.push_back(std::move(chunk));
    }
    m_chunks.swap(wider);
    m_width = to;
}

void IntegerColumn::store(qint64 value)
{
    // A new chunk is not cleared: only the places below m_size are read.
    if ((m_size & ChunkMask) == 0 && m_size / Chunk == m_chunks.size()) {
        m_chunks.reserve(m_chunks.size() + 1);
        m_chunks.push_back(
            std::make_unique_for_overwrite<char[]>(Chunk * std::size_t(bytesOf(m_width))));
    }
    writeAt(m_width, m_chunks[m_size >> ChunkBits].get(), m_size & ChunkMask, value);
    ++m_size;
}

void IntegerColumn::append(qint64 value)
{
    if (m_width == Width::None) {
        m_min = m_max = value;
        m_width = widthFor(value, value);
    } else if (value < m_min || value > m_max) {
        const qint64 min = std::min(m_min, value);
        const qint64 max = std::max(m_max, value);
        const Width to = widthFor(min, max);
        if (to != m_width)
            widen(to);
        m_min = min;
        m_max = max;
    }
    store(value);
}

void IntegerColumn::appendText(QByteArrayView text)
{
    qint64 value = 0;
    if (plainDecimal(text, value)) {
        append(value);
        return;
    }
    // The row keeps a place in the integers too, so rows stay aligned.
    const TextStore::Span span = m_texts->add(text);
    m_textRows.reserve(m_textRows.size() + 1);
    m_textSpans.reserve(m_textSpans.size() + 1);
    if (m_width == Width::None) {
        m_width = Width::I8;
        m_min = m_max = 0;
    }
    store(0);
    m_textRows.push_back(m_size - 1);
    m_textSpans.push_back(span);
}

bool IntegerColumn::isTextRow(std::size_t row) const
{
    return std::binary_search(m_textRows.begin(), m_textRows.end(), std::uint64_t(row));
}

QByteArrayView IntegerColumn::textAt(std::size_t row) const
{
    const auto it = std::lower_bound(m_textRows.begin(), m_textRows.end(), std::uint64_t(row));
    if (it == m_textRows.end() || *it != row)
        return {};
    return m_texts->view(m_textSpans[std::size_t(it - m_textRows.begin())]);
}

void IntegerColumn::truncate(std::size_t size)
{
    if (size >= m_size)
        return;
    m_size = size;
    m_chunks.resize((size + Chunk - 1) / Chunk);
    const auto keep = std::lower_bound(m_textRows.begin(), m_textRows.end(), std::uint64_t(size));
    const std::size_t kept = std::size_t(keep - m_textRows.begin());
    m_textRows.resize(kept);
    m_textSpans.resize(kept);
}

qint64 IntegerColumn::memoryUse() const
{
    return qint64(m_chunks.size() * Chunk) * bytesOf(m_width)
        + qint64(m_textRows.capacity() * sizeof(std::uint64_t))
        + qint64(m_textSpans.capacity() * sizeof(TextStore::Span));
}

// --- TextColumn ---------------------------------------------------------

void TextColumn::append(QByteArrayView text)
{
    // Dates and panel texts repeat from row to row: keep the run's text once.
    if (!m_haveLast || m_texts->view(m_last) != text) {
        m_last = m_texts->add(text);
        m_haveLast = true;
    }
    m_spans.push_back(m_last);
}
