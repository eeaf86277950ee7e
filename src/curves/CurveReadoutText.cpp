#include "curves/CurveReadoutText.h"

namespace CurveReadoutText {

QString row(const QString &id, const QString &dateTime, bool chinese)
{
    return (chinese ? QStringLiteral("编号 %1  %2") : QStringLiteral("ID %1  %2"))
        .arg(id, dateTime);
}

QString value(int bufferPosition, const QString &value, bool chinese)
{
    return (chinese ? QStringLiteral("缓冲区%1: %2") : QStringLiteral("Buffer%1: %2"))
        .arg(bufferPosition)
        .arg(value);
}

QString markers(const QString &idA, const QString &idB, bool chinese)
{
    return (chinese ? QStringLiteral("A: 编号 %1  B: 编号 %2")
                    : QStringLiteral("A: ID %1  B: ID %2"))
        .arg(idA, idB);
}

QString timeChange(const QString &duration, bool chinese)
{
    return (chinese ? QStringLiteral("B − A 时间: %1") : QStringLiteral("B − A time: %1"))
        .arg(duration);
}

QString valueChange(int bufferPosition, const QString &change, bool chinese)
{
    return (chinese ? QStringLiteral("缓冲区%1 B − A: %2") : QStringLiteral("Buffer%1 B − A: %2"))
        .arg(bufferPosition)
        .arg(change);
}

QString noChange()
{
    return QStringLiteral("—");
}

QString markerA(const QString &idA, bool chinese)
{
    return (chinese ? QStringLiteral("A: 编号 %1 (再单击设置 B)")
                    : QStringLiteral("A: ID %1 (click again for B)"))
        .arg(idA);
}

} // namespace CurveReadoutText
