#include "dataaccess/OpenPlan.h"

#include <QDir>
#include <QUrl>

QByteArray fileUri(const QString &path, const QByteArray &query)
{
    // Everything but unreserved characters and '/' is escaped, so '?', '#' and '%' in a name
    // stay part of it.
    QByteArray uri = QByteArrayLiteral("file:");
    const QString native = QDir::fromNativeSeparators(path);
    if (native.startsWith(u'/'))
        uri += "//";
    uri += QUrl::toPercentEncoding(native, "/");
    if (!query.isEmpty())
        uri += '?' + query;
    return uri;
}

ReadOnlyOpenPlan planReadOnlyOpen(const QString &fileName)
{
    return {fileUri(fileName, QByteArrayLiteral("mode=ro"))};
}
