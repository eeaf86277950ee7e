#pragma once

#include "records/StoredColumn.h"
#include "records/ValueFormat.h"

#include <QByteArrayView>

#include <array>
#include <memory>
#include <optional>

class CellText;
struct CellNumber;

// The data records of a database as the grid keeps them: the ID, the date
// and time texts and the ten stored values of each row, in the width they
// need, with the texts of the grid's cells made when asked for in the
// display format the records were loaded for.
//
// Appending checks each value against the format, so a load learns at once
// whether every cell can be shown; the texts then made are exactly those
// of the stored texts run through the format's rules.
class StoredRecords
{
public:
    static constexpr int Values = 10;

    StoredRecords(ValueFormat::Format format, const ValueFormat::DecimalSeparator &separator);
    StoredRecords(const StoredRecords &) = delete;
    StoredRecords &operator=(const StoredRecords &) = delete;

    // One row's cells, as the database shows them. Texts that are not
    // ASCII come as UTF-8 already. An integer value is given as a number
    // when its text is that number's plain decimal.
    struct Value
    {
        bool isInteger = false;
        qint64 integer = 0;
        QByteArrayView text;
    };
    // Throws std::bad_alloc when memory runs out; returns false when a value
    // cannot be shown in the format (the row is kept all the same).
    bool append(qint64 id, QByteArrayView date, QByteArrayView time,
                const std::array<Value, Values> &values);

    ValueFormat::Format format() const { return m_format; }
    // The grid columns the records fill: ID, date, time and the values.
    int columns() const { return m_columns; }
    qint64 count() const { return qint64(m_ids.size()); }
    void truncate(qint64 count);
    qint64 memoryUse() const;

    // The text of grid column `col` of record `record` (0-based), UTF-8.
    void cell(int col, qint64 record, CellText &out) const;
    // Whether that text is the plain decimal of a number, without making it.
    bool cellIsNumber(int col, qint64 record) const;
    // The number that text shows, without making it; a date or time is
    // read as a text of its own with `separator`.
    std::optional<CellNumber> number(int col, qint64 record, char separator) const;
    // Value v (0 .. 9) of a record as stored: its kept text, or an integer's
    // decimal made in `out`.
    QByteArrayView valueText(int v, qint64 record, ValueFormat::Text &out) const
    {
        return storedText(v, std::size_t(record), out);
    }

private:
    bool showable(int v, std::size_t row) const;
    // A value's stored text: the kept text, or the integer's decimal in `out`.
    QByteArrayView storedText(int v, std::size_t row, ValueFormat::Text &out) const;

    ValueFormat::Format m_format;
    int m_columns;
    ValueFormat::DecimalSeparator m_separator;
    std::unique_ptr<TextStore> m_texts;
    IntegerColumn m_ids;
    TextColumn m_dates;
    TextColumn m_times;
    std::vector<IntegerColumn> m_values;
};
