#pragma once

#include "records/DecimalText.h"
#include "records/TagSheet.h"
#include "records/ValueFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// A tag's cell from a record's raw words, made when the cell's text is
// asked for (nothing is kept per record).
//
// Shown value: u16, s16, s32 and f32 show raw * gain + offset. Integer types
// with exact gain and offset are computed exactly in decimal (0.1 * 3 is 0.3).
// Decimals when the sheet leaves them empty:
//   - no gain and no offset (or 1 and 0): as the display format shows the raw
//     value: integers without decimals, f32 as the float text ("1.500000",
//     "1.234568E7");
//   - otherwise the digits after the point that gain and offset need, written
//     out in plain decimal (gain 0.1 -> 1, gain 0.25 and offset 0.5 -> 2,
//     gain 2 -> 0, gain 1e-3 -> 3); for f32 at least six, as its float text.
// Explicit decimals round half away from zero. A value that rounds to zero
// shows no sign. A NaN f32 (quiet or signalling) shows "NAN" and holds no
// number; an infinite one "INF" or "-INF" (after the gain's sign), no number.
// hex32: 8 upper-case hex digits, no number. enum: the value's text, or its
// number when it has none. bits: the texts of the set bits from bit 0 up,
// joined by ", ", an unnamed one as "bit 7"; no bit set gives an empty text.
// enum and bits hold no number.
class TagFormatter
{
public:
    using Words = std::array<std::uint16_t, 10>;

    explicit TagFormatter(const Tag &tag,
                          ValueFormat::DecimalSeparator separator
                          = ValueFormat::DecimalSeparator());

    const Tag &tag() const noexcept { return m_tag; }
    // "name [unit]", or just "name" without a unit.
    QString title() const;
    // Digits after the point the texts show; -1 for texts that vary (f32's
    // float text) or hold no number.
    int shownDecimals() const noexcept { return m_shownDecimals; }
    // Whether the cells hold numbers (not hex32, enum, bits).
    bool holdsNumbers() const noexcept;

    // The raw value: the tag's word (16-bit types) or its word and the next,
    // low word first, as the display formats join pairs.
    std::uint32_t rawFromWords(const Words &words) const noexcept;
    // The same from a database's stored texts (N3 .. N12): 16-bit types take
    // the low 16 bits of the stored integer, 32-bit types join the pair as
    // the display formats do. False when a text is no integer (empty cell).
    bool rawFromStored(const std::array<QByteArrayView, 10> &stored,
                       std::uint32_t &raw) const noexcept;

    // The cell's text into out (replaced, its capacity kept); returns the
    // number the cell shows, if it holds one.
    std::optional<double> write(std::uint32_t raw, QByteArray &out) const;
    QString text(std::uint32_t raw) const;
    // The number write() shows for the integer types (u16, s16, s32) as
    // the exact decimal of its text; none for the other types and for a
    // gain or offset that is no exact decimal (their text tells).
    std::optional<DecimalText::ShownDecimal> shownDecimal(std::uint32_t raw) const noexcept;
    std::optional<double> number(std::uint32_t raw) const;

private:
    // The raw value as a signed integer (u16, s16, s32, enum, bits).
    std::int64_t integerOf(std::uint32_t raw) const noexcept;
    void writeFixed(double value, int decimals, QByteArray &out) const;

    Tag m_tag;
    ValueFormat::DecimalSeparator m_separator;
    bool m_plain = true; // no gain and no offset
    bool m_exact = false; // integer type with exact gain and offset
    int m_exactScale = 0; // the scale of the exact value
    DecimalText::Int128 m_exactGain = 1; // at m_exactScale
    DecimalText::Int128 m_exactOffset = 0; // at m_exactScale
    int m_shownDecimals = 0;
    std::array<QByteArray, 16> m_bitNames;
};
