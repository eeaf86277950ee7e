#pragma once

#include "platform/Language.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// What the logged words of a panel mean, written once by an engineer: a CSV
// file of one row per tag, `buffer,word,name,unit,type,gain,offset,decimals,texts`.
// A sheet is read whole or refused whole; nothing of a faulty sheet is used.

enum class TagType { U16, S16, S32, Hex32, F32, Enum, Bits };

// "u16", "s16", "s32", "hex32", "f32", "enum", "bits".
QByteArrayView tagTypeName(TagType type) noexcept;
std::optional<TagType> tagTypeNamed(QStringView name) noexcept;
// s32, hex32 and f32 take their word and the next one, low word first.
constexpr bool isWideTag(TagType t) noexcept
{
    return t == TagType::S32 || t == TagType::Hex32 || t == TagType::F32;
}
// The types that take gain, offset and decimals.
constexpr bool isScaledTag(TagType t) noexcept
{
    return t == TagType::U16 || t == TagType::S16 || t == TagType::S32 || t == TagType::F32;
}

// A number of the sheet as mantissa * 10^-scale when it is exactly so
// (|mantissa| < 10^18, scale 0 .. 9); gain and offset are exact decimals
// typed by a person, so scaled integers stay exact.
struct ExactDecimal
{
    qint64 mantissa = 0;
    int scale = 0;
    friend bool operator==(const ExactDecimal &, const ExactDecimal &) = default;
};

// The digits after the point a number of the sheet needs written out in
// plain decimal ("0.25" -> 2, "1e-3" -> 3, "2.50" -> 1, "1e3" -> 0), at most
// TagSheet::MaxDecimals; 0 for a text that is no number.
int tagNumberDecimals(const QString &numberText);

// One entry of the texts field: an enum value or a bit number, and its text.
struct TagText
{
    int value = 0;
    QString text;
    friend bool operator==(const TagText &, const TagText &) = default;
};

struct Tag
{
    static constexpr int AnyBuffer = 0; // `*`
    int buffer = AnyBuffer; // 1 .. 12, or AnyBuffer
    int word = 0; // 0 .. 9 (0 .. 8 for the 32-bit types)
    QString name;
    QString unit;
    TagType type = TagType::U16;
    // As typed (trimmed), empty for the defaults 1 and 0; written back as is.
    QString gainText;
    QString offsetText;
    double gain = 1;
    double offset = 0;
    std::optional<ExactDecimal> exactGain = ExactDecimal {1, 0};
    std::optional<ExactDecimal> exactOffset = ExactDecimal {0, 0};
    int decimals = -1; // -1: empty
    QList<TagText> texts; // sorted by value, values unique

    friend bool operator==(const Tag &, const Tag &) = default;
};

// Why a sheet was refused: the line (1 = the title row; the line a quoted
// field starts on) and the column (1 .. 9; 0 when the fault is the line's).
struct TagSheetFault
{
    enum class Kind {
        CannotRead, // the file could not be opened or read (detail: why)
        TooLarge, // larger than TagSheet::MaxBytes
        BadEncoding, // not UTF-8
        BadQuoting, // a quote inside an unquoted field, text after a closing quote, no closing
                    // quote
        BadTitle, // the title row is not the nine column names in order
        FieldCount, // a line with more or fewer than nine fields
        BadBuffer, // not 1 .. 12 or *
        BadWord, // not 0 .. 9, or 9 for a 32-bit type
        EmptyName,
        UnknownType,
        BadNumber, // gain or offset not a finite decimal number
        BadDecimals, // not 0 .. 15
        NotScaled, // gain, offset or decimals for a type that takes none
        BadTexts, // broken texts field, a value out of range or given twice
        TextsNotTaken, // a texts field for a type other than enum and bits
    };
    Kind kind = Kind::CannotRead;
    int line = 0;
    int column = 0;
    QString detail; // the offending field, or the system's reason

    // "Line 3, column 5 (type): unknown type "u17"" in the UI language.
    QString message(Language language) const;
};

struct TagSheetReading;

class TagSheet
{
public:
    static constexpr int ColumnCount = 9;
    static constexpr qint64 MaxBytes = 4 * 1024 * 1024;
    static constexpr int MaxDecimals = 15;
    // The title row's names, in order.
    static const QStringList &columnNames();

    QList<Tag> tags; // in the sheet's order

    // The tags of record buffer 1 .. 12 (its own and those for `*`), in the
    // sheet's order; AnyBuffer (a binary data file) gives only the `*` tags.
    QList<Tag> tagsFor(int buffer) const;

    static TagSheetReading parse(QByteArrayView csv);
    static TagSheetReading read(const QString &path);

    // A tag from one row's nine fields, as the editor checks a row as typed;
    // a fault's line is 0 and its column the field's.
    static std::optional<TagSheetFault> tagFromFields(const QStringList &fields, Tag &tag);
    // The nine fields of a tag as written.
    static QStringList fieldsOf(const Tag &tag);

    // UTF-8 with a byte order mark (spreadsheet applications read Chinese
    // names then), CRLF, RFC 4180 quoting. False when the device did not
    // take it all.
    bool write(QIODevice &out) const;

    friend bool operator==(const TagSheet &, const TagSheet &) = default;
};

// Either a sheet or why there is none.
struct TagSheetReading
{
    std::optional<TagSheet> sheet;
    TagSheetFault fault;
};
