#include "dataaccess/OpenPlan.h"

#include "platform/FileLocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

qint64 sizeOrMissing(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

} // namespace

DatabaseFiles peekDatabaseFiles(const QString &fileName)
{
    DatabaseFiles files;
    QFile file(fileName);
    // No file: nothing beside it matters, and opening it in place fails as it should.
    if (!file.open(QIODevice::ReadOnly))
        return files;
    const QByteArray header = file.read(20);
    files.walMode = header.size() == 20 && header[19] == 2;
    files.walSize = sizeOrMissing(fileName + QStringLiteral("-wal"));
    return files;
}

DatabaseFiles inspectDatabaseFiles(const QString &fileName)
{
    DatabaseFiles files = peekDatabaseFiles(fileName);
    const QString shm = fileName + QStringLiteral("-shm");
    files.shmExists = QFileInfo::exists(shm);
    files.writerLive = files.shmExists
        && FileLocks::lockHolder(shm, kShmDeadManSwitch, 1) == FileLocks::Holder::Someone;
    return files;
}

ReadOnlyWay chooseReadOnlyWay(const DatabaseFiles &files, bool filesKept)
{
    if (!files.usesLog())
        return ReadOnlyWay::Plain;
    // A live writer's log and index are shared, as long as they cannot vanish under the open.
    if (files.writerLive && filesKept && files.walSize >= 0 && files.shmExists)
        return ReadOnlyWay::Plain;
    return files.walSize > 0 ? ReadOnlyWay::Snapshot : ReadOnlyWay::Immutable;
}

QByteArray fileUri(const QString &path, const QByteArray &query)
{
    // Everything but unreserved characters and '/' is escaped, so '?', '#' and '%' in a name
    // stay part of it.
    QByteArray uri = QByteArrayLiteral("file:");
    const QString native = QDir::fromNativeSeparators(path);
    if (native.startsWith(u'/'))
        uri += "//";
    else if (QDir::isAbsolutePath(native))
        uri += "///"; // a drive letter
    uri += QUrl::toPercentEncoding(native, "/");
    if (!query.isEmpty())
        uri += '?' + query;
    return uri;
}
