#pragma once

// Appends text to a caller's fixed buffer, so number texts for millions of
// cells cost no allocation. Bytes beyond the capacity are dropped.

#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstring>

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
        n = std::min(n, qsizetype(m_end - m_pos));
        if (n > 0) {
            std::memcpy(m_pos, s, size_t(n));
            m_pos += n;
        }
    }
    void put(QByteArrayView s) noexcept { put(s.data(), s.size()); }
    void repeat(char c, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            put(c);
    }
    void putUnsigned(std::uint64_t value) noexcept
    {
        // Two digits at a time from the back, straight into place: numbers are most of
        // what is written.
        static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324"
                                        "25262728293031323334353637383940414243444546474849"
                                        "50515253545556575859606162636465666768697071727374"
                                        "75767778798081828384858687888990919293949596979899";
        const int n = digitCount(value);
        char digits[20];
        char *end = (m_end - m_pos >= n ? m_pos : digits) + n;
        char *p = end;
        while (value >= 100) {
            p -= 2;
            std::memcpy(p, Pairs + 2 * (value % 100), 2);
            value /= 100;
        }
        if (value >= 10) {
            p -= 2;
            std::memcpy(p, Pairs + 2 * value, 2);
        } else {
            *--p = char('0' + value);
        }
        if (p == m_pos)
            m_pos = end;
        else
            put(digits, n);
    }
    static int digitCount(std::uint64_t value) noexcept
    {
        int n = 1;
        for (; value >= 10000; value /= 10000)
            n += 4;
        if (value >= 100)
            return n + (value >= 1000 ? 3 : 2);
        return n + (value >= 10 ? 1 : 0);
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
