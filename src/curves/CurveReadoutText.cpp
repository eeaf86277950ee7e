#include "curves/CurveReadoutText.h"

#include "texts/Translations.h"

#include <QtGlobal>

namespace CurveReadoutText {

namespace {
// The readout's texts, with the curve window's in the translation file.
QString tr(Language language, const char *source)
{
    return Translations::text(language, "CurveWindow", source);
}
} // namespace

QString row(const QString &id, const QString &dateTime, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "ID %1  %2")).arg(id, dateTime);
}

QString value(int bufferPosition, const QString &value, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "Buffer%1: %2"))
        .arg(bufferPosition)
        .arg(value);
}

QString markers(const QString &idA, const QString &idB, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "A: ID %1  B: ID %2")).arg(idA, idB);
}

QString timeChange(const QString &duration, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "B − A time: %1")).arg(duration);
}

QString valueChange(int bufferPosition, const QString &change, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "Buffer%1 B − A: %2"))
        .arg(bufferPosition)
        .arg(change);
}

QString noChange()
{
    return QStringLiteral("—");
}

QString markerA(const QString &idA, Language language)
{
    return tr(language, QT_TRANSLATE_NOOP("CurveWindow", "A: ID %1 (click again for B)")).arg(idA);
}

} // namespace CurveReadoutText
