#pragma once

#include <QString>

// The texts of the curve readout, in both UI languages.
namespace CurveReadoutText {

// "ID 123  2024-03-01 10:00:05"
QString row(const QString &id, const QString &dateTime, bool chinese);
// "Buffer 3: 1234"
QString value(int bufferPosition, const QString &value, bool chinese);
// "A: ID 100  B: ID 123"
QString markers(const QString &idA, const QString &idB, bool chinese);
// "B - A: 00:01:05"
QString timeChange(const QString &duration, bool chinese);
// "Buffer 3 B - A: +12"
QString valueChange(int bufferPosition, const QString &change, bool chinese);
// Shown for a change that cannot be computed.
QString noChange();
// "A: ID 100" while only A is set, with the hint to click again.
QString markerA(const QString &idA, bool chinese);

} // namespace CurveReadoutText
