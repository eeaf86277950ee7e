#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <iterator>

// The texts of a data record's cells: the ID, date and time of a binary
// record, and the value columns in each of the five display formats, made
// from the raw 16-bit words of a binary data file or from the texts a data
// record database stores.
//
// Every function writes UTF-8 into a small fixed buffer owned by the caller
// and allocates nothing: a format change runs them for millions of cells.
namespace ValueFormat {

// One cell's text, UTF-8, never longer than Capacity bytes.
struct Text
{
    static constexpr int Capacity = 64;
    char data[Capacity];
    int size = 0;

    QByteArrayView view() const noexcept { return QByteArrayView(data, size); }
    QString toString() const { return QString::fromUtf8(data, size); }
};

// The items of the display format list, in list order.
enum class Format : int {
    Unsigned16 = 0, // "16bit Unsigned"
    Signed16 = 1, // "16bit Signed"
    Signed32 = 2, // "32bit Signed"
    Hex32 = 3, // "32bit HEX"
    Float32 = 4, // "32bit Float"
};

// The name of a format in the display format list, the same in both languages.
QString formatName(Format format);

// Every format, in list order.
inline constexpr Format AllFormats[]
    = {Format::Unsigned16, Format::Signed16, Format::Signed32, Format::Hex32, Format::Float32};
inline constexpr int FormatCount = int(std::size(AllFormats));

// Formats 2 to 4 show one value per pair of words (low word first).
constexpr bool isPairFormat(Format f) noexcept
{
    return f == Format::Signed32 || f == Format::Hex32 || f == Format::Float32;
}

// The decimal separator of float texts, kept as UTF-8 (a locale may use a
// non-ASCII character). At most MaxBytes bytes are kept.
class DecimalSeparator
{
public:
    static constexpr int MaxBytes = 8;

    DecimalSeparator() noexcept
        : m_data {'.'}
        , m_size(1)
    { }
    explicit DecimalSeparator(QStringView separator);
    explicit DecimalSeparator(char ascii) noexcept
        : m_data {ascii}
        , m_size(1)
    { }

    // The separator of the system's regional settings (QLocale::system()).
    static DecimalSeparator system();

    QByteArrayView view() const noexcept { return QByteArrayView(m_data, m_size); }

private:
    char m_data[MaxBytes];
    int m_size;
};

// --- Record texts of the binary files ---------------------------------

// Decimal with a "-" for negative numbers, no padding or grouping.
Text decimal(std::int64_t value) noexcept;
// A byte in decimal with a "0" in front of a single digit (7 -> "07",
// 255 -> "255"); no range check.
Text twoDigit(std::uint8_t value) noexcept;
// "2013-05-07": the year without padding, month and day as two-digit texts.
Text recordDate(std::uint16_t year, std::uint8_t month, std::uint8_t day) noexcept;
// "08:04:59".
Text recordTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second) noexcept;
// "2013-05-07/08:04:59".
Text alarmTime(std::uint16_t year, std::uint8_t month, std::uint8_t day, std::uint8_t hour,
               std::uint8_t minute, std::uint8_t second) noexcept;

// --- Values from raw words (binary data file) -------------------------

// Formats 0 and 1: one word as unsigned or two's-complement decimal.
// Any other format is treated as 0.
Text wordText(Format format, std::uint16_t word) noexcept;
// Formats 2, 3 and 4: the pair's value low + 65536 * high as signed decimal,
// 8 upper-case hex digits, or the float text. Any other format is treated
// as 2.
Text pairText(Format format, std::uint16_t low, std::uint16_t high,
              const DecimalSeparator &separator) noexcept;

// The 32-bit pattern's single-precision float text of format 4: "NAN",
// "INF", "-INF", "0.0" for a signalling NaN; otherwise the exact value
// rounded half away from zero to at most 7 significant digits and at most
// 6 decimals, in fixed notation with six decimals below 10^7 (after
// rounding) and in scientific notation ("1.234568E7") from there on.
Text floatText(std::uint32_t bits, const DecimalSeparator &separator) noexcept;

// The number a float text stands for and how the text writes it.
struct FloatValue
{
    // The text's decimal as the nearest double (infinite or NaN for "INF",
    // "-INF" and "NAN").
    double value = 0;
    // Digits after the separator (of the mantissa in scientific notation).
    int decimals = 0;
    bool separator = false;
    // Scientific notation: the characters from the "E" on, else 0.
    int exponentChars = 0;

    friend bool operator==(const FloatValue &, const FloatValue &) = default;
};
// What floatText(bits) shows, as a number, without making the text.
FloatValue floatValue(std::uint32_t bits) noexcept;
Text hexText(std::uint32_t bits) noexcept;

// --- Values from stored texts (data record database) ------------------

// Reads a decimal integer in the signed 32-bit range. Accepted: any number
// of leading spaces, an optional "+" or "-", then one or more ASCII digits
// (leading zeros allowed) up to the end of the text. Everything else fails:
// an empty text, trailing blanks, a decimal point or exponent, a hex
// prefix, any other character, and a value outside -2^31 .. 2^31-1.
bool parseInt32(QByteArrayView text, std::int32_t &value) noexcept;

// Format 1: the low 16 bits of the stored integer as a two's-complement
// number ("65535" and "-1" give "-1", "70000" gives "4464"). False when the
// text is not an integer, and then out is left untouched. Format 0 needs no
// conversion (the stored text is the cell); any other format is treated
// as 1.
bool storedWordText(Format format, QByteArrayView stored, Text &out) noexcept;

// Formats 2 to 4 from the stored low and high texts: H * 65536 + L modulo
// 2^32, L added in full so a negative L borrows from the high half. False
// when a text is not an integer in formats 2 and 3 (out untouched); format 4
// never fails and shows "0.0" instead. Any other format is treated as 2.
bool storedPairText(Format format, QByteArrayView low, QByteArrayView high,
                    const DecimalSeparator &separator, Text &out) noexcept;

// The 32-bit value of a stored pair; false when either text is no integer.
bool storedPairValue(QByteArrayView low, QByteArrayView high, std::uint32_t &value) noexcept;

} // namespace ValueFormat
