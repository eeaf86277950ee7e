#pragma once

#include "platform/Language.h"

#include <QString>

// The texts of the curve readout, in both UI languages.
namespace CurveReadoutText {

// "ID 123  2024-03-01 10:00:05"
QString row(const QString &id, const QString &dateTime, Language language);
// "Buffer 3: 1234"
QString value(int bufferPosition, const QString &value, Language language);
// "A: ID 100  B: ID 123"
QString markers(const QString &idA, const QString &idB, Language language);
// "B - A: 00:01:05"
QString timeChange(const QString &duration, Language language);
// "Buffer 3 B - A: +12"
QString valueChange(int bufferPosition, const QString &change, Language language);
// Shown for a change that cannot be computed.
QString noChange();
// "A: ID 100" while only A is set, with the hint to click again.
QString markerA(const QString &idA, Language language);

} // namespace CurveReadoutText
