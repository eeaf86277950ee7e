#include "curves/CurveReadout.h"

#include "curves/CurveData.h"
#include "curves/CurveReadoutText.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

#include <cmath>

namespace CurveReadout {

namespace {

constexpr int PointSpacing = 10;

std::optional<QDateTime> recordDateTime(const QString &date, const QString &time)
{
    QString d = date.trimmed();
    d.replace(QLatin1Char('/'), QLatin1Char('-'));
    const QDate day = QDate::fromString(d, QStringLiteral("yyyy-M-d"));
    const QTime at = QTime::fromString(time.trimmed(), QStringLiteral("H:m:s"));
    if (!day.isValid() || !at.isValid())
        return std::nullopt;
    // Panel clocks keep no time zone: count plain wall-clock seconds.
    return QDateTime(day, at, QTimeZone::utc());
}

QString signedText(qint64 v, int base)
{
    const QString digits
        = QString::number(v < 0 ? -static_cast<quint64>(v) : quint64(v), base).toUpper();
    return (v < 0 ? QStringLiteral("-") : QStringLiteral("+")) + digits;
}

int decimalsOf(const QString &t)
{
    const qsizetype dot
        = std::max(t.lastIndexOf(QLatin1Char('.')), t.lastIndexOf(QLatin1Char(',')));
    return dot < 0 ? 0 : static_cast<int>(t.size() - dot - 1);
}

// A real as its text reads, with the count of characters after the
// separator (an exponent included) that the change is shown with.
std::optional<std::pair<double, int>> realOf(const CellNumber &n)
{
    switch (n.shown) {
    case CellNumber::Shown::Real:
        return std::pair(n.real.value,
                         n.real.separator ? n.real.decimals + n.real.exponentChars : 0);
    case CellNumber::Shown::Decimal:
        return std::pair(double(n.integer), 0);
    case CellNumber::Shown::Hex:
        if (const auto v = n.hexDigitsAsDecimal())
            return std::pair(double(*v), 0);
        break;
    }
    return std::nullopt;
}

// An integer as the format's reader takes it: digits shown in the other base
// are read in this one.
std::optional<qint64> integerOf(const CellNumber &n, int base)
{
    switch (n.shown) {
    case CellNumber::Shown::Decimal:
        return base == 16 ? n.decimalDigitsAsHex() : std::optional(n.integer);
    case CellNumber::Shown::Hex:
        return base == 16 ? std::optional(n.integer) : n.hexDigitsAsDecimal();
    case CellNumber::Shown::Real:
        break;
    }
    return std::nullopt;
}

bool hasRow(const RecordGridModel &grid, int row)
{
    return row >= 1 && row < grid.rows() && !grid.cellUtf8(0, row).isEmpty();
}

} // namespace

std::optional<int> pointAt(const CurveGeometry::Layout &l, int x)
{
    if (l.points < 1 || x < l.bandWidth || x > l.pictureWidth - 2)
        return std::nullopt;
    const int i = (x - l.bandWidth + PointSpacing / 2) / PointSpacing;
    if (i >= l.points)
        return std::nullopt;
    return i;
}

int markerX(const CurveGeometry::Layout &l, int i)
{
    return l.bandWidth + PointSpacing * i;
}

std::optional<qint64> secondsBetween(const QString &dateA, const QString &timeA,
                                     const QString &dateB, const QString &timeB)
{
    const auto a = recordDateTime(dateA, timeA);
    const auto b = recordDateTime(dateB, timeB);
    if (!a || !b)
        return std::nullopt;
    return a->secsTo(*b);
}

std::optional<QString> valueChange(const QString &a, const QString &b, ValueFormat::Format format)
{
    bool okA = false;
    bool okB = false;
    if (format == ValueFormat::Format::Float32) {
        QString ta = a.trimmed();
        QString tb = b.trimmed();
        const int decimals = std::max(decimalsOf(ta), decimalsOf(tb));
        ta.replace(QLatin1Char(','), QLatin1Char('.'));
        tb.replace(QLatin1Char(','), QLatin1Char('.'));
        const double va = ta.toDouble(&okA);
        const double vb = tb.toDouble(&okB);
        if (!okA || !okB || !std::isfinite(vb - va))
            return std::nullopt;
        const double d = vb - va;
        return (d < 0 ? QString() : QStringLiteral("+")) + QString::number(d, 'f', decimals);
    }
    const int base = format == ValueFormat::Format::Hex32 ? 16 : 10;
    QString ta = a.trimmed();
    QString tb = b.trimmed();
    if (base == 16) {
        for (QString *t : {&ta, &tb})
            if (t->startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
                t->remove(0, 2);
    }
    const qint64 va = ta.toLongLong(&okA, base);
    const qint64 vb = tb.toLongLong(&okB, base);
    if (!okA || !okB)
        return std::nullopt;
    return signedText(vb - va, base);
}

std::optional<QString> valueChange(const std::optional<CellNumber> &a,
                                   const std::optional<CellNumber> &b, ValueFormat::Format format)
{
    if (!a || !b)
        return std::nullopt;
    if (format == ValueFormat::Format::Float32) {
        const auto ra = realOf(*a);
        const auto rb = realOf(*b);
        if (!ra || !rb || !std::isfinite(rb->first - ra->first))
            return std::nullopt;
        const double d = rb->first - ra->first;
        return (d < 0 ? QString() : QStringLiteral("+"))
            + QString::number(d, 'f', std::max(ra->second, rb->second));
    }
    const int base = format == ValueFormat::Format::Hex32 ? 16 : 10;
    const auto va = integerOf(*a, base);
    const auto vb = integerOf(*b, base);
    if (!va || !vb)
        return std::nullopt;
    return signedText(*vb - *va, base);
}

QList<Line> readout(const CurveSettings &s, const Source &src, int row, std::optional<int> markerA,
                    std::optional<int> markerB)
{
    QList<Line> lines;
    if (!src.grid || !hasRow(*src.grid, row))
        return lines;
    const RecordGridModel &g = *src.grid;
    const Language language = src.language;
    // The readout lies over the picture: no line shows more than its width.
    const int shown = s.width + 2;
    const auto cell = [&](int col, int r) { return CurveData::shownCell(g, col, r, shown); };
    lines.append(
        Line {std::nullopt,
              CurveReadoutText::row(cell(0, row), cell(1, row) + QLatin1Char(' ') + cell(2, row),
                                    language)});
    for (const CurveSpec &c : s.curves) {
        if (c.showKind == static_cast<int>(ShowKind::NotUsed))
            continue;
        const int col = c.bufferPos + 3;
        // A tag sheet's column is named by its title rather than by its place.
        lines.append(Line {
            c.colour,
            g.tagColumns() ? cell(col, 0) + QStringLiteral(": ") + cell(col, row)
                           : CurveReadoutText::value(c.bufferPos + 1, cell(col, row), language)});
    }
    const bool haveA = markerA && hasRow(g, *markerA);
    const bool haveB = markerB && hasRow(g, *markerB);
    if (haveA && !haveB) {
        lines.append(Line {std::nullopt, CurveReadoutText::markerA(cell(0, *markerA), language)});
    } else if (haveA && haveB) {
        const int a = *markerA;
        const int b = *markerB;
        lines.append(
            Line {std::nullopt, CurveReadoutText::markers(cell(0, a), cell(0, b), language)});
        const auto secs = secondsBetween(cell(1, a), cell(2, a), cell(1, b), cell(2, b));
        lines.append(Line {std::nullopt,
                           CurveReadoutText::timeChange(secs ? RecordTime::durationText(*secs)
                                                             : CurveReadoutText::noChange(),
                                                        language)});
        for (const CurveSpec &c : s.curves) {
            if (c.showKind == static_cast<int>(ShowKind::NotUsed))
                continue;
            const auto change
                = valueChange(g.cellNumber(c.bufferPos + 3, a, src.format),
                              g.cellNumber(c.bufferPos + 3, b, src.format), src.format);
            const QString changeText = change.value_or(CurveReadoutText::noChange());
            lines.append(
                Line {c.colour,
                      g.tagColumns()
                          ? cell(c.bufferPos + 3, 0) + QStringLiteral(" B − A: ") + changeText
                          : CurveReadoutText::valueChange(c.bufferPos + 1, changeText, language)});
        }
    }
    return lines;
}

QString plainText(const QList<Line> &lines)
{
    QStringList texts;
    for (const Line &l : lines)
        texts << l.text;
    return texts.join(QLatin1Char('\n'));
}

} // namespace CurveReadout
