#pragma once

// Columns of a database result as the grid keeps them, appended row by row
// and read back by row. Nothing once stored is moved again except when an
// integer column widens, so a large load peaks near its final size.

#include "dataaccess/CellStorage.h"

#include <QByteArrayView>
#include <QtGlobal>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// Integers kept in the narrowest of 1, 2, 4 or 8 bytes (signed or unsigned)
// that holds every value so far; a value outside the width widens the whole
// column, chunk by chunk. A cell may instead hold a text (an empty cell, or
// a number not written the plain decimal way): those are kept aside, by row.
class IntegerColumn
{
public:
    explicit IntegerColumn(TextStore &texts)
        : m_texts(&texts)
    { }
    IntegerColumn(IntegerColumn &&) noexcept = default;
    IntegerColumn &operator=(IntegerColumn &&) noexcept = default;

    void append(qint64 value);
    // A stored text: kept as its number when it is that number's plain
    // decimal (as std::to_chars writes it), else as the text.
    void appendText(QByteArrayView text);
    std::size_t size() const { return m_size; }
    void truncate(std::size_t size);

    // The integer in `row`, or false when the row holds a text.
    bool integerAt(std::size_t row, qint64 &value) const
    {
        if (!m_textRows.empty() && isTextRow(row))
            return false;
        value = read(row);
        return true;
    }
    // The text a row holds instead of an integer (empty for an integer).
    QByteArrayView textAt(std::size_t row) const;
    int bytesPerValue() const;

    qint64 memoryUse() const;

private:
    enum class Width : std::uint8_t { None, I8, U8, I16, U16, I32, U32, I64 };
    static Width widthFor(qint64 min, qint64 max);
    // Calls f with a value of the width's type; every choice of type is made here.
    template<typename F> static auto withType(Width w, F &&f)
    {
        switch (w) {
        case Width::U8:
            return f(std::uint8_t());
        case Width::I16:
            return f(std::int16_t());
        case Width::U16:
            return f(std::uint16_t());
        case Width::I32:
            return f(std::int32_t());
        case Width::U32:
            return f(std::uint32_t());
        case Width::I64:
            return f(std::int64_t());
        case Width::None:
        case Width::I8:
            break;
        }
        return f(std::int8_t());
    }
    static int bytesOf(Width w)
    {
        return w == Width::None ? 0 : withType(w, [](auto t) { return int(sizeof t); });
    }
    qint64 read(std::size_t row) const
    {
        return readAt(m_width, m_chunks[row >> ChunkBits].get(), row & ChunkMask);
    }
    // Inline: every cell the grid shows from this column is read here.
    static qint64 readAt(Width w, const char *chunk, std::size_t i)
    {
        return withType(w, [&](auto t) {
            std::memcpy(&t, chunk + i * sizeof t, sizeof t);
            return qint64(t);
        });
    }
    static void writeAt(Width w, char *chunk, std::size_t i, qint64 value)
    {
        withType(w, [&](auto t) {
            t = decltype(t)(value);
            std::memcpy(chunk + i * sizeof t, &t, sizeof t);
        });
    }
    void widen(Width to);
    void store(qint64 value);
    bool isTextRow(std::size_t row) const;

    static constexpr int ChunkBits = 16;
    static constexpr std::size_t Chunk = std::size_t(1) << ChunkBits;
    static constexpr std::size_t ChunkMask = Chunk - 1;

    TextStore *m_texts;
    Width m_width = Width::None;
    qint64 m_min = 0;
    qint64 m_max = 0;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::size_t m_size = 0;
    // Rows that hold a text, ascending, with their texts.
    std::vector<std::uint64_t> m_textRows;
    std::vector<TextStore::Span> m_textSpans;
};

// Texts, one per row; a text equal to the row before's is kept once.
class TextColumn
{
public:
    explicit TextColumn(TextStore &texts)
        : m_texts(&texts)
    { }
    TextColumn(TextColumn &&) noexcept = default;
    TextColumn &operator=(TextColumn &&) noexcept = default;

    void append(QByteArrayView text);
    QByteArrayView at(std::size_t row) const { return m_texts->view(m_spans[row]); }
    std::size_t size() const { return m_spans.size(); }
    void truncate(std::size_t size) { m_spans.truncate(size); }
    qint64 memoryUse() const { return m_spans.memoryUse(); }

private:
    TextStore *m_texts;
    ChunkedVector<TextStore::Span> m_spans;
    TextStore::Span m_last;
    bool m_haveLast = false;
};
