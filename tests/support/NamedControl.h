#pragma once

// A control found by its name below a window. A control of a form that the
// window uses several times is found through the name of its instance, the
// names joined by dots: "curveTab1.showKindList".

#include <QObject>
#include <QString>
#include <QStringList>

template<typename T> T *namedControl(const QObject &top, const QString &path)
{
    const QStringList names = path.split(QLatin1Char('.'));
    const QObject *at = &top;
    for (qsizetype i = 0; at && i + 1 < names.size(); ++i)
        at = at->findChild<QObject *>(names.at(i));
    return at ? at->findChild<T *>(names.constLast()) : nullptr;
}
