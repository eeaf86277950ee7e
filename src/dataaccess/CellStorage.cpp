#include "dataaccess/CellStorage.h"

#include <algorithm>
#include <cstring>
#include <new>

TextStore::Span TextStore::add(QByteArrayView text)
{
    const qsizetype length = text.size();
    if (length == 0)
        return {};
    // 20 bits of chunk index: a terabyte of texts.
    constexpr std::size_t MaxChunks = std::size_t(1) << 20;
    if (length >= qsizetype(Span::LongLength) || length > ChunkSize - m_used) {
        if (m_chunks.size() >= MaxChunks)
            throw std::bad_alloc();
        const qsizetype size = std::max(length, ChunkSize);
        m_chunks.reserve(m_chunks.size() + 1);
        m_chunks.push_back({std::unique_ptr<char[]>(new char[std::size_t(size)]), size});
        m_bytes += size;
        // A long text fills its chunk; the next text starts a new one.
        m_used = length >= qsizetype(Span::LongLength) ? ChunkSize : 0;
        if (length >= qsizetype(Span::LongLength)) {
            m_chunks.back().size = length;
            std::memcpy(m_chunks.back().data.get(), text.data(), std::size_t(length));
            const std::uint64_t place = std::uint64_t(m_chunks.size() - 1) << ChunkBits;
            return {place << 24 | Span::LongLength};
        }
    }
    const std::uint64_t place
        = std::uint64_t(m_chunks.size() - 1) << ChunkBits | std::uint64_t(m_used);
    std::memcpy(m_chunks.back().data.get() + m_used, text.data(), std::size_t(length));
    m_used += length;
    return {place << 24 | std::uint64_t(length)};
}

QByteArrayView TextStore::view(Span s) const
{
    const std::uint64_t length = s.bits & Span::LongLength;
    if (length == 0)
        return {};
    const std::uint64_t place = s.bits >> 24;
    const Chunk &chunk = m_chunks[std::size_t(place >> ChunkBits)];
    if (length == Span::LongLength)
        return QByteArrayView(chunk.data.get(), chunk.size);
    return QByteArrayView(chunk.data.get() + (place & (ChunkSize - 1)), qsizetype(length));
}
