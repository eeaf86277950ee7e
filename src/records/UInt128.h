#pragma once

#include <cstdint>

// An unsigned 128-bit integer with the few operations the float texts need:
// the compiler's own type where it has one, two 64-bit words elsewhere.
namespace Wide {

// Two 64-bit words; also built on compilers with a native type, so the tests
// can check it against that type.
struct UInt128Words
{
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    constexpr UInt128Words() noexcept = default;
    constexpr UInt128Words(std::uint64_t value) noexcept
        : low(value)
    { }
    constexpr UInt128Words(std::uint64_t h, std::uint64_t l) noexcept
        : high(h)
        , low(l)
    { }

    // The low 64 bits.
    constexpr explicit operator std::uint64_t() const noexcept { return low; }

    friend constexpr bool operator==(UInt128Words a, UInt128Words b) noexcept
    {
        return a.high == b.high && a.low == b.low;
    }
    friend constexpr bool operator<(UInt128Words a, UInt128Words b) noexcept
    {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    }
    friend constexpr bool operator>=(UInt128Words a, UInt128Words b) noexcept { return !(a < b); }

    friend constexpr UInt128Words operator<<(UInt128Words a, int shift) noexcept
    {
        if (shift <= 0)
            return a;
        if (shift >= 128)
            return {};
        if (shift >= 64)
            return {a.low << (shift - 64), 0};
        return {(a.high << shift) | (a.low >> (64 - shift)), a.low << shift};
    }
    friend constexpr UInt128Words operator-(UInt128Words a, UInt128Words b) noexcept
    {
        return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
    }
    // Modulo 2^128, as the native type.
    friend constexpr UInt128Words operator*(UInt128Words a, std::uint64_t b) noexcept
    {
        // The low words' full product from 32-bit halves, then the high word's share.
        const std::uint64_t a0 = a.low & 0xFFFFFFFFu, a1 = a.low >> 32;
        const std::uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
        const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
        const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
        const std::uint64_t low = (middle << 32) | (p00 & 0xFFFFFFFFu);
        const std::uint64_t high = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32) + a.high * b;
        return {high, low};
    }
    constexpr UInt128Words &operator*=(std::uint64_t b) noexcept { return *this = *this * b; }

    // Quotient and remainder by shift and subtract; divisor must not be 0.
    static constexpr void divide(UInt128Words n, UInt128Words d, UInt128Words &quotient,
                                 UInt128Words &remainder) noexcept
    {
        quotient = {};
        remainder = {};
        for (int bit = 127; bit >= 0; --bit) {
            const std::uint64_t word = bit >= 64 ? n.high : n.low;
            remainder = (remainder << 1) | UInt128Words((word >> (bit % 64)) & 1);
            if (remainder >= d) {
                remainder = remainder - d;
                if (bit >= 64)
                    quotient.high |= std::uint64_t(1) << (bit - 64);
                else
                    quotient.low |= std::uint64_t(1) << bit;
            }
        }
    }
    friend constexpr UInt128Words operator|(UInt128Words a, UInt128Words b) noexcept
    {
        return {a.high | b.high, a.low | b.low};
    }
    friend constexpr UInt128Words operator/(UInt128Words n, UInt128Words d) noexcept
    {
        UInt128Words q, r;
        divide(n, d, q, r);
        return q;
    }
    friend constexpr UInt128Words operator%(UInt128Words n, UInt128Words d) noexcept
    {
        UInt128Words q, r;
        divide(n, d, q, r);
        return r;
    }
};

#if defined(__SIZEOF_INT128__) && !defined(NORVALE_PORTABLE_UINT128)
__extension__ typedef unsigned __int128 UInt128;
#else
using UInt128 = UInt128Words;
#endif

} // namespace Wide
