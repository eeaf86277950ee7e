#pragma once

// Storage for cells and texts that grows in fixed chunks: nothing stored is ever copied
// again, so the peak memory of a large fetch or load stays at its final size.

#include <QByteArrayView>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

template<typename T> class ChunkedVector
{
    // A chunk's room is left as it comes: only the places below size() are
    // read, and each is written first. A small result then touches only the
    // memory it fills.
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    struct alignas(T) Room
    {
        unsigned char bytes[sizeof(T)];
    };

public:
    void push_back(const T &value)
    {
        if (m_size == m_chunks.size() * kChunk)
            m_chunks.push_back(std::make_unique_for_overwrite<Room[]>(kChunk));
        ::new (static_cast<void *>(&m_chunks.back()[m_size % kChunk])) T(value);
        ++m_size;
    }
    const T &operator[](size_t i) const
    {
        return *std::launder(reinterpret_cast<const T *>(&m_chunks[i / kChunk][i % kChunk]));
    }
    size_t size() const { return m_size; }
    void truncate(size_t size)
    {
        if (size >= m_size)
            return;
        m_size = size;
        m_chunks.resize((size + kChunk - 1) / kChunk);
    }
    qint64 memoryUse() const { return qint64(m_chunks.size() * kChunk * sizeof(T)); }

private:
    static constexpr size_t kChunk = size_t(1) << 16;
    std::vector<std::unique_ptr<Room[]>> m_chunks;
    size_t m_size = 0;
};

// Byte strings kept in chunks of a megabyte; each lies whole in one chunk,
// and a longer one gets a chunk of its own. A text's place is 40 bits.
class TextStore
{
public:
    // Where a text lies: 40 bits of place and 24 of length (a text of
    // LongLength bytes or more fills its own chunk, which says how long).
    struct Span
    {
        static constexpr std::uint64_t LongLength = (std::uint64_t(1) << 24) - 1;
        std::uint64_t bits = 0;
    };
    static_assert(sizeof(Span) == 8);

    // Throws std::bad_alloc, with nothing stored, when memory runs out.
    Span add(QByteArrayView text);
    QByteArrayView view(Span s) const;
    qint64 memoryUse() const { return m_bytes; }

private:
    static constexpr int ChunkBits = 20;
    static constexpr qsizetype ChunkSize = qsizetype(1) << ChunkBits;

    struct Chunk
    {
        std::unique_ptr<char[]> data;
        qsizetype size = 0;
    };
    std::vector<Chunk> m_chunks;
    qsizetype m_used = ChunkSize;
    qint64 m_bytes = 0;
};
