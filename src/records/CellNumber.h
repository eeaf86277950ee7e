#pragma once

#include "records/ValueFormat.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>

// The number behind a grid cell, and how the cell shows it: a decimal
// integer, the 32-bit pattern of a hexadecimal cell, or a real with the
// shape of its text. Readers that compute with cells take this instead of
// reading the cell's text back.
struct CellNumber
{
    enum class Shown : std::uint8_t { Decimal, Hex, Real };

    Shown shown = Shown::Decimal;
    // Decimal: the value. Hex: the pattern its digits write.
    std::int64_t integer = 0;
    // Real: the value and the shape of its text.
    ValueFormat::FloatValue real;

    static CellNumber decimal(std::int64_t value) { return {Shown::Decimal, value, {}}; }
    static CellNumber hex(std::uint64_t pattern) { return {Shown::Hex, std::int64_t(pattern), {}}; }
    static CellNumber realNumber(const ValueFormat::FloatValue &value)
    {
        return {Shown::Real, 0, value};
    }

    // The number of a cell that holds a text of its own rather than one made
    // from a record: in the "32bit Float" format a decimal real with
    // `separator` (digits, signs, one exponent, at most 64 bytes); in the
    // others the whole text as a decimal integer, and in "32bit HEX" else
    // up to 16 hexadecimal digits.
    static std::optional<CellNumber> read(QByteArrayView text, ValueFormat::Format format,
                                          char separator);

    // A hexadecimal cell's digits read as a decimal number, as a reader of
    // decimals sees them: none when a digit is a letter.
    std::optional<std::int64_t> hexDigitsAsDecimal() const;
    // A decimal cell's digits read as hexadecimal, as a reader of
    // hexadecimals sees them (sign kept); none past 16 digits.
    std::optional<std::int64_t> decimalDigitsAsHex() const;

    friend bool operator==(const CellNumber &, const CellNumber &) = default;
};

// The separator texts of their own are read with: the system's, where it is
// a comma, else a point.
char systemSeparatorForTexts();
