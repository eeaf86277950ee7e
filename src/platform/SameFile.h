#pragma once

#include <QFileInfo>
#include <QString>

// Whether two names lead to one file: by the real paths when both exist,
// else by the absolute names.
inline bool isSameFile(const QString &a, const QString &b)
{
    const QFileInfo x(a);
    const QFileInfo y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return x.absoluteFilePath() == y.absoluteFilePath();
}
