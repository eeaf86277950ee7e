#pragma once

// Storage for a result table's cells and texts that grows in fixed chunks: nothing stored is
// ever copied again, so the peak memory of a large fetch stays at its final size.

#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

template<typename T> class ChunkedVector
{
public:
    void push_back(const T &value)
    {
        if (m_size == m_chunks.size() * kChunk)
            m_chunks.push_back(std::unique_ptr<T[]>(new T[kChunk]));
        m_chunks.back()[m_size % kChunk] = value;
        ++m_size;
    }
    const T &operator[](size_t i) const { return m_chunks[i / kChunk][i % kChunk]; }
    size_t size() const { return m_size; }

private:
    static constexpr size_t kChunk = size_t(1) << 16;
    std::vector<std::unique_ptr<T[]>> m_chunks;
    size_t m_size = 0;
};

// Byte strings kept back to back; each lies whole in one chunk, so a view of it is contiguous.
class TextArena
{
public:
    // Stores `length` bytes and returns where they lie, for view().
    quint64 add(const char *data, qsizetype length)
    {
        if (length == 0)
            return 0;
        if (m_chunks.empty() || m_used + length > m_capacity) {
            m_capacity = std::max(kChunk, length);
            m_chunks.push_back(std::unique_ptr<char[]>(new char[size_t(m_capacity)]));
            m_used = 0;
        }
        std::memcpy(m_chunks.back().get() + m_used, data, size_t(length));
        const quint64 place = (quint64(m_chunks.size() - 1) << 32) | quint64(m_used);
        m_used += length;
        return place;
    }
    QByteArrayView view(quint64 place, qsizetype length) const
    {
        if (length == 0)
            return QByteArrayView("", 0);
        return QByteArrayView(m_chunks[size_t(place >> 32)].get() + (place & 0xffffffffu), length);
    }

private:
    static constexpr qsizetype kChunk = qsizetype(1) << 20;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    qsizetype m_used = 0;
    qsizetype m_capacity = 0;
};
