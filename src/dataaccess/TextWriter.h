#pragma once

// Appends text to a caller's fixed buffer, so number texts for millions of
// cells cost no allocation. Bytes beyond the capacity are dropped.

#include <QByteArrayView>
#include <QtGlobal>

#include <cstdint>

class TextWriter
{
public:
    TextWriter(char *out, qsizetype capacity) noexcept
        : m_out(out)
        , m_end(out + capacity)
        , m_pos(out)
    { }

    void put(char c) noexcept
    {
        if (m_pos < m_end)
            *m_pos++ = c;
    }
    void put(const char *s, qsizetype n) noexcept
    {
        for (qsizetype i = 0; i < n; ++i)
            put(s[i]);
    }
    void put(QByteArrayView s) noexcept { put(s.data(), s.size()); }
    void repeat(char c, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            put(c);
    }
    void putUnsigned(std::uint64_t value) noexcept
    {
        char digits[20];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0)
            put(digits[--n]);
    }
    void putSigned(std::int64_t value) noexcept
    {
        if (value < 0) {
            put('-');
            // Negate in unsigned arithmetic so the most negative value survives.
            putUnsigned(0 - std::uint64_t(value));
        } else {
            putUnsigned(std::uint64_t(value));
        }
    }
    // A "0" in front of a single digit: 7 -> "07".
    void putTwoDigit(std::uint8_t value) noexcept
    {
        if (value < 10)
            put('0');
        putUnsigned(value);
    }

    qsizetype length() const noexcept { return m_pos - m_out; }

private:
    char *m_out;
    char *m_end;
    char *m_pos;
};
