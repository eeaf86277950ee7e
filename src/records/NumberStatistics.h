#pragma once

#include "records/DecimalText.h"
#include "records/ValueFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstring>

class QIODevice;

// Count, minimum, maximum, mean and sum of cells as they are shown, exact:
// plain decimal texts ("-12", "3.25", up to 18 digits and 9 decimals) are
// summed as scaled 128-bit integers, so no sum overflows or loses a digit;
// other numbers (scientific "1.234568E7", longer texts) go into a
// compensated (Neumaier) floating sum. Texts that are no number ("NAN",
// "INF", dates, names) are left out; a hex text of digits only would count,
// so feed it only the columns that hold numbers.
class NumberStatistics
{
public:
    explicit NumberStatistics(ValueFormat::DecimalSeparator separator
                              = ValueFormat::DecimalSeparator()) noexcept;

    // A cell's text; false when it holds no number (not counted).
    bool add(QByteArrayView text);
    // A cell that shows `number` as its plain decimal text (appendScaled
    // with its own decimals): the same as add() of that text, without
    // making it unless it is asked for.
    void add(const DecimalText::ShownDecimal &number);

    // Plain decimals of one scale in a row, summed apart and taken in at
    // once: the same as adding each, for readers of many cells.
    struct DecimalRun
    {
        int decimals = 0;
        qint64 count = 0;
        DecimalText::Int128 sum = 0;
        DecimalText::ShownDecimal first, last, min, max;
        // False when `number` does not fit the run (another scale, or past
        // the exact range): add the run and start again.
        bool take(const DecimalText::ShownDecimal &number) noexcept
        {
            constexpr DecimalText::Int128 Limit = 1000000000000000000LL;
            if (number.mantissa >= Limit || number.mantissa <= -Limit)
                return false;
            if (count == 0) {
                if (number.decimals > 9)
                    return false;
                decimals = number.decimals;
                first = min = max = number;
            } else if (number.decimals != decimals) {
                return false;
            } else if (number.mantissa < min.mantissa) {
                min = number;
            } else if (number.mantissa > max.mantissa) {
                max = number;
            }
            sum += number.mantissa;
            last = number;
            ++count;
            return true;
        }
    };
    void add(const DecimalRun &run);

    qint64 count() const noexcept { return m_count; }
    // The most digits after the separator among the fixed-notation texts.
    int decimals() const noexcept { return m_decimals; }
    // The cells' own texts; empty while nothing is counted.
    QByteArray minText() const { return m_min.text.bytes(m_separator.view()); }
    QByteArray maxText() const { return m_max.text.bytes(m_separator.view()); }
    QByteArray firstText() const { return m_first.bytes(m_separator.view()); }
    QByteArray lastText() const { return m_last.bytes(m_separator.view()); }
    // With decimals() digits, and decimals() + 2 for the mean (or the given
    // decimals + 2 when shownDecimals >= 0); rounded half away from zero.
    QByteArray sumText() const;
    QByteArray meanText(int shownDecimals = -1) const;
    double sum() const noexcept;
    double mean() const noexcept;

private:
    using Int128 = DecimalText::Int128;

    // A number's text; texts of numbers are short (longer ones are refused).
    // A plain decimal's text is made only when asked for.
    struct ShortText
    {
        static constexpr int Capacity = 128;
        char data[Capacity];
        int size = 0;
        bool pending = false;
        DecimalText::ShownDecimal number;
        void set(QByteArrayView t) noexcept
        {
            pending = false;
            size = int(t.size());
            std::memcpy(data, t.data(), std::size_t(size));
        }
        void set(const DecimalText::ShownDecimal &n) noexcept
        {
            pending = true;
            number = n;
        }
        QByteArray bytes(QByteArrayView separator) const
        {
            if (!pending)
                return QByteArray(data, size);
            QByteArray out;
            DecimalText::appendScaled(number.mantissa, number.decimals, number.decimals, separator,
                                      out);
            return out;
        }
    };
    struct Extreme
    {
        bool exact = true;
        Int128 mantissa = 0;
        int scale = 0;
        double value = 0;
        ShortText text;
    };
    // Which of two numbers is smaller, exactly when both are exact.
    static int compare(bool exactA, Int128 a, int scaleA, double valueA, const Extreme &b) noexcept;
    template<typename Text>
    static void keep(Extreme &e, bool exact, Int128 mantissa, int scale, double value,
                     const Text &text)
    {
        e.exact = exact;
        e.mantissa = mantissa;
        e.scale = scale;
        e.value = value;
        e.text.set(text);
    }
    void addExact(Int128 mantissa, int scale) noexcept;
    bool hasFloating() const noexcept { return m_floatingCount > 0; }
    double floatingTotal() const noexcept;

    ValueFormat::DecimalSeparator m_separator;
    qint64 m_count = 0;
    int m_decimals = 0;
    // Exact part: m_exactSum * 10^-m_exactScale.
    Int128 m_exactSum = 0;
    int m_exactScale = 0;
    // Floating part, Neumaier's running sum and compensation.
    qint64 m_floatingCount = 0;
    double m_floatingSum = 0;
    double m_compensation = 0;
    Extreme m_min;
    Extreme m_max;
    ShortText m_first;
    ShortText m_last;
};

// One column's statistics under its title in the grid.
struct ColumnStatistics
{
    QString title;
    NumberStatistics statistics;
    int shownDecimals = -1; // the column's decimals when known (a tag's), else from the texts
};

// CSV `column,count,min,max,mean,first,last`, one row per column that holds
// at least one number, in the given order; min, max, first and last as the
// cells show them, the mean with the column's decimals plus two. UTF-8
// without BOM, CRLF, RFC 4180 quoting. False when the device did not take it all.
bool writeStatisticsCsv(const QList<ColumnStatistics> &columns, QIODevice &out);
