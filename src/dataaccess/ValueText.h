#pragma once

// Texts of numeric cell values, written into a caller's buffer so a million rows can be read
// without an allocation per value.

#include <QByteArrayView>
#include <QtGlobal>

// Room enough for any text below, with a separator of up to 8 bytes.
inline constexpr qsizetype kValueTextCapacity = 64;

// Decimal text of `value`, a minus sign for negative values. Returns the length written.
qsizetype formatInteger(qint64 value, char *out, qsizetype capacity);

// General format with at most 15 significant digits: no trailing zeros, `decimalPoint` only when
// there is a fraction, fixed notation for magnitudes from 0.00001 up to 15 integer digits,
// otherwise mantissa, "E", "-" for a negative exponent and the exponent's digits (1E20,
// 1.5E-7). Infinities and NaN read INF, -INF and NAN. Returns the length written.
qsizetype formatGeneralFloat(double value, QByteArrayView decimalPoint, char *out,
                             qsizetype capacity);

// `value` truncated toward zero; NaN gives 0 and values beyond the 64-bit range the nearest end.
qint64 truncateToInt64(double value);
