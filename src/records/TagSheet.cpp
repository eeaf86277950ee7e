#include "records/TagSheet.h"

#include "texts/Translations.h"

#include <QFile>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char *Context = "TagSheet";

QString tr(Language language, const char *source)
{
    return Translations::text(language, Context, source);
}

constexpr int MaxMantissaDigits = 18;
constexpr int MaxExactScale = 9;

// One record of the CSV with the line it starts on.
struct CsvRecord
{
    int line = 0;
    QList<QByteArray> fields;
};

// RFC 4180: fields separated by commas, records by CRLF or LF; a quoted
// field may hold commas, line breaks and doubled quotes.
std::optional<TagSheetFault> splitRecords(QByteArrayView csv, QList<CsvRecord> &records)
{
    qsizetype i = 0;
    const qsizetype n = csv.size();
    int line = 1;
    while (i < n) {
        CsvRecord record;
        record.line = line;
        for (;;) {
            QByteArray field;
            const int column = int(record.fields.size()) + 1;
            if (i < n && csv[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= n)
                        return TagSheetFault {TagSheetFault::Kind::BadQuoting, record.line, column,
                                              QString::fromUtf8(field.left(40))};
                    const char c = csv[i++];
                    if (c == '"') {
                        if (i < n && csv[i] == '"') {
                            field.append('"');
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field.append(c);
                }
                if (i < n && csv[i] != ',' && csv[i] != '\n' && csv[i] != '\r')
                    return TagSheetFault {TagSheetFault::Kind::BadQuoting, line, column,
                                          QString::fromUtf8(field.left(40))};
            } else {
                while (i < n && csv[i] != ',' && csv[i] != '\n' && csv[i] != '\r') {
                    if (csv[i] == '"')
                        return TagSheetFault {TagSheetFault::Kind::BadQuoting, line, column,
                                              QString::fromUtf8(field.left(40))};
                    field.append(csv[i++]);
                }
            }
            record.fields.append(field);
            if (i < n && csv[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && csv[i] == '\r')
            ++i;
        if (i < n && csv[i] == '\n') {
            ++i;
            ++line;
        } else if (i < n) {
            // A lone CR ends nothing in RFC 4180: refuse it rather than guess.
            return TagSheetFault {TagSheetFault::Kind::BadQuoting, line, int(record.fields.size()),
                                  QStringLiteral("\\r")};
        }
        records.append(std::move(record));
    }
    return std::nullopt;
}

// A decimal number: sign, digits with an optional point, optional exponent.
struct ParsedNumber
{
    double value = 0;
    std::optional<ExactDecimal> exact;
    int neededDecimals = 0;
};

std::optional<ParsedNumber> parseNumber(const QString &text)
{
    const QByteArray s = text.toLatin1();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    QByteArray digits;
    int fraction = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!(digits.isEmpty() && c == '0'))
                digits.append(c);
            if (point)
                ++fraction;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    int exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            expNegative = s[i++] == '-';
        if (i >= s.size())
            return std::nullopt;
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9' || exponent > 10000)
                return std::nullopt;
            exponent = exponent * 10 + (s[i] - '0');
        }
        if (expNegative)
            exponent = -exponent;
    }
    if (i != s.size())
        return std::nullopt;
    bool ok = false;
    ParsedNumber r;
    r.value = text.toDouble(&ok); // C locale
    if (!ok || !std::isfinite(r.value))
        return std::nullopt;

    // digits * 10^-scale, trailing zeros dropped.
    int scale = fraction - exponent;
    while (digits.size() > 0 && digits.endsWith('0') && scale > 0) {
        digits.chop(1);
        --scale;
    }
    if (digits.isEmpty())
        scale = 0;
    r.neededDecimals = std::clamp(scale, 0, TagSheet::MaxDecimals);
    while (scale < 0 && digits.size() <= MaxMantissaDigits) {
        digits.append('0');
        ++scale;
    }
    if (scale >= 0 && scale <= MaxExactScale && digits.size() <= MaxMantissaDigits) {
        const qint64 m = digits.isEmpty() ? 0 : digits.toLongLong();
        r.exact = ExactDecimal {negative ? -m : m, scale};
    }
    return r;
}

std::optional<int> parseSmallInt(const QString &text, int low, int high)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int v = text.toInt();
    if (v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<QList<TagText>> parseTexts(const QString &field, int maxValue)
{
    QList<TagText> texts;
    for (const QString &entry : field.split(u';')) {
        if (entry.trimmed().isEmpty())
            continue; // a trailing ";"
        const qsizetype eq = entry.indexOf(u'=');
        if (eq < 0)
            return std::nullopt;
        const auto value = parseSmallInt(entry.left(eq).trimmed(), 0, maxValue);
        const QString text = entry.mid(eq + 1).trimmed();
        if (!value || text.isEmpty())
            return std::nullopt;
        texts.append(TagText {*value, text});
    }
    std::stable_sort(texts.begin(), texts.end(),
                     [](const TagText &a, const TagText &b) { return a.value < b.value; });
    for (qsizetype k = 1; k < texts.size(); ++k)
        if (texts[k].value == texts[k - 1].value)
            return std::nullopt;
    return texts;
}

QByteArray quoted(const QString &field)
{
    QByteArray utf8 = field.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') && !utf8.contains('\n'))
        return utf8;
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

} // namespace

int tagNumberDecimals(const QString &numberText)
{
    const auto n = parseNumber(numberText);
    return n ? n->neededDecimals : 0;
}

QByteArrayView tagTypeName(TagType type) noexcept
{
    switch (type) {
    case TagType::U16:
        return "u16";
    case TagType::S16:
        return "s16";
    case TagType::S32:
        return "s32";
    case TagType::Hex32:
        return "hex32";
    case TagType::F32:
        return "f32";
    case TagType::Enum:
        return "enum";
    case TagType::Bits:
        return "bits";
    }
    return "u16";
}

std::optional<TagType> tagTypeNamed(QStringView name) noexcept
{
    for (TagType t : {TagType::U16, TagType::S16, TagType::S32, TagType::Hex32, TagType::F32,
                      TagType::Enum, TagType::Bits})
        if (name == QLatin1StringView(tagTypeName(t)))
            return t;
    return std::nullopt;
}

QString TagSheetFault::message(Language language) const
{
    using K = Kind;
    const char *why = nullptr;
    switch (kind) {
    case K::CannotRead:
        why = QT_TRANSLATE_NOOP("TagSheet", "cannot read the tag sheet");
        break;
    case K::TooLarge:
        why = QT_TRANSLATE_NOOP("TagSheet", "the tag sheet is too large");
        break;
    case K::BadEncoding:
        why = QT_TRANSLATE_NOOP("TagSheet", "not UTF-8 text");
        break;
    case K::BadQuoting:
        why = QT_TRANSLATE_NOOP("TagSheet", "broken quotes");
        break;
    case K::BadTitle:
        why = QT_TRANSLATE_NOOP("TagSheet",
                                "the title row must be buffer,word,name,unit,type,gain,offset,"
                                "decimals,texts");
        break;
    case K::FieldCount:
        why = QT_TRANSLATE_NOOP("TagSheet", "a line needs nine fields");
        break;
    case K::BadBuffer:
        why = QT_TRANSLATE_NOOP("TagSheet", "the buffer must be 1 to 12 or *");
        break;
    case K::BadWord:
        why = QT_TRANSLATE_NOOP("TagSheet",
                                "the word must be 0 to 9, and 0 to 8 for a 32-bit type");
        break;
    case K::EmptyName:
        why = QT_TRANSLATE_NOOP("TagSheet", "the name is empty");
        break;
    case K::UnknownType:
        why = QT_TRANSLATE_NOOP("TagSheet",
                                "unknown type (u16, s16, s32, hex32, f32, enum or bits)");
        break;
    case K::BadNumber:
        why = QT_TRANSLATE_NOOP("TagSheet", "not a number");
        break;
    case K::BadDecimals:
        why = QT_TRANSLATE_NOOP("TagSheet", "the decimals must be 0 to 15");
        break;
    case K::NotScaled:
        why = QT_TRANSLATE_NOOP("TagSheet",
                                "gain, offset and decimals are only for u16, s16, s32 and f32");
        break;
    case K::BadTexts:
        why = QT_TRANSLATE_NOOP("TagSheet",
                                "broken texts: value=text;value=text, each value once "
                                "(0 to 65535 for enum, 0 to 15 for bits)");
        break;
    case K::TextsNotTaken:
        why = QT_TRANSLATE_NOOP("TagSheet", "texts are only for enum and bits");
        break;
    }
    QString where;
    if (line > 0 && column > 0)
        where = tr(language, QT_TRANSLATE_NOOP("TagSheet", "Line %1, column %2 (%3): "))
                    .arg(line)
                    .arg(column)
                    .arg(TagSheet::columnNames().value(column - 1));
    else if (line > 0)
        where = tr(language, QT_TRANSLATE_NOOP("TagSheet", "Line %1: ")).arg(line);
    QString text = where + tr(language, why);
    if (!detail.isEmpty())
        text += QStringLiteral(" \"") + detail + QStringLiteral("\"");
    return text;
}

const QStringList &TagSheet::columnNames()
{
    static const QStringList names {
        QStringLiteral("buffer"), QStringLiteral("word"),     QStringLiteral("name"),
        QStringLiteral("unit"),   QStringLiteral("type"),     QStringLiteral("gain"),
        QStringLiteral("offset"), QStringLiteral("decimals"), QStringLiteral("texts")};
    return names;
}

QList<Tag> TagSheet::tagsFor(int buffer) const
{
    QList<Tag> out;
    for (const Tag &t : tags)
        if (t.buffer == Tag::AnyBuffer || (buffer != Tag::AnyBuffer && t.buffer == buffer))
            out.append(t);
    return out;
}

std::optional<TagSheetFault> TagSheet::tagFromFields(const QStringList &fields, Tag &tag)
{
    using K = TagSheetFault::Kind;
    const auto fault = [&](K kind, int column) {
        return TagSheetFault {kind, 0, column, fields.value(column - 1)};
    };
    if (fields.size() != ColumnCount)
        return TagSheetFault {K::FieldCount, 0, 0, {}};
    Tag t;
    const QString buffer = fields[0].trimmed();
    if (buffer == u"*") {
        t.buffer = Tag::AnyBuffer;
    } else if (const auto b = parseSmallInt(buffer, 1, 12)) {
        t.buffer = *b;
    } else {
        return fault(K::BadBuffer, 1);
    }
    const auto type = tagTypeNamed(fields[4].trimmed());
    if (!type)
        return fault(K::UnknownType, 5);
    t.type = *type;
    const auto word = parseSmallInt(fields[1].trimmed(), 0, isWideTag(t.type) ? 8 : 9);
    if (!word)
        return fault(K::BadWord, 2);
    t.word = *word;
    t.name = fields[2];
    if (t.name.trimmed().isEmpty())
        return fault(K::EmptyName, 3);
    t.unit = fields[3];

    t.gainText = fields[5].trimmed();
    t.offsetText = fields[6].trimmed();
    const QString decimals = fields[7].trimmed();
    if (!isScaledTag(t.type)) {
        for (int c : {6, 7, 8})
            if (!fields[c - 1].trimmed().isEmpty())
                return fault(K::NotScaled, c);
    }
    if (!t.gainText.isEmpty()) {
        const auto g = parseNumber(t.gainText);
        if (!g)
            return fault(K::BadNumber, 6);
        t.gain = g->value;
        t.exactGain = g->exact;
    }
    if (!t.offsetText.isEmpty()) {
        const auto o = parseNumber(t.offsetText);
        if (!o)
            return fault(K::BadNumber, 7);
        t.offset = o->value;
        t.exactOffset = o->exact;
    }
    if (!decimals.isEmpty()) {
        const auto d = parseSmallInt(decimals, 0, MaxDecimals);
        if (!d)
            return fault(K::BadDecimals, 8);
        t.decimals = *d;
    }
    const QString texts = fields[8].trimmed();
    if (t.type == TagType::Enum || t.type == TagType::Bits) {
        const auto parsed = parseTexts(texts, t.type == TagType::Enum ? 65535 : 15);
        if (!parsed)
            return fault(K::BadTexts, 9);
        t.texts = *parsed;
    } else if (!texts.isEmpty()) {
        return fault(K::TextsNotTaken, 9);
    }
    tag = std::move(t);
    return std::nullopt;
}

QStringList TagSheet::fieldsOf(const Tag &tag)
{
    QStringList texts;
    for (const TagText &t : tag.texts)
        texts.append(QString::number(t.value) + u'=' + t.text);
    return {tag.buffer == Tag::AnyBuffer ? QStringLiteral("*") : QString::number(tag.buffer),
            QString::number(tag.word),
            tag.name,
            tag.unit,
            QString::fromLatin1(tagTypeName(tag.type)),
            tag.gainText,
            tag.offsetText,
            tag.decimals < 0 ? QString() : QString::number(tag.decimals),
            texts.join(u';')};
}

TagSheetReading TagSheet::parse(QByteArrayView csv)
{
    using K = TagSheetFault::Kind;
    TagSheetReading result;
    if (csv.size() > MaxBytes) {
        result.fault = {K::TooLarge, 0, 0, {}};
        return result;
    }
    if (csv.startsWith("\xEF\xBB\xBF"))
        csv = csv.sliced(3);
    QList<CsvRecord> records;
    if (const auto fault = splitRecords(csv, records)) {
        result.fault = *fault;
        return result;
    }
    TagSheet sheet;
    bool titleSeen = false;
    for (const CsvRecord &record : records) {
        QStringList fields;
        bool blank = true;
        for (qsizetype c = 0; c < record.fields.size(); ++c) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString field = utf8.decode(record.fields[c]);
            if (utf8.hasError()) {
                result.fault = {K::BadEncoding, record.line, int(c) + 1, {}};
                return result;
            }
            blank = blank && field.trimmed().isEmpty();
            fields.append(std::move(field));
        }
        if (!titleSeen) {
            titleSeen = true;
            for (int c = 0; c < ColumnCount; ++c) {
                if (c >= fields.size() || fields[c].trimmed() != columnNames()[c]) {
                    result.fault = {K::BadTitle, record.line, c + 1, fields.value(c)};
                    return result;
                }
            }
            if (fields.size() != ColumnCount) {
                result.fault = {K::FieldCount, record.line, 0, {}};
                return result;
            }
            continue;
        }
        // Spreadsheets leave empty lines and lines of bare commas behind.
        if (blank)
            continue;
        Tag tag;
        if (auto fault = tagFromFields(fields, tag)) {
            fault->line = record.line;
            result.fault = *fault;
            return result;
        }
        sheet.tags.append(std::move(tag));
    }
    if (!titleSeen) {
        result.fault = {K::BadTitle, 1, 1, {}};
        return result;
    }
    result.sheet = std::move(sheet);
    return result;
}

TagSheetReading TagSheet::read(const QString &path)
{
    using K = TagSheetFault::Kind;
    TagSheetReading result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = {K::CannotRead, 0, 0, file.errorString()};
        return result;
    }
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.fault = {K::CannotRead, 0, 0, file.errorString()};
        return result;
    }
    if (bytes.size() > MaxBytes) {
        result.fault = {K::TooLarge, 0, 0, {}};
        return result;
    }
    return parse(bytes);
}

bool TagSheet::write(QIODevice &out) const
{
    QByteArray bytes("\xEF\xBB\xBF");
    const auto line = [&](const QStringList &fields) {
        for (qsizetype c = 0; c < fields.size(); ++c) {
            if (c > 0)
                bytes.append(',');
            bytes.append(quoted(fields[c]));
        }
        bytes.append("\r\n");
    };
    line(columnNames());
    for (const Tag &tag : tags)
        line(fieldsOf(tag));
    return out.write(bytes) == bytes.size();
}
