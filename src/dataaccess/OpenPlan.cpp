#include "dataaccess/OpenPlan.h"

#include "platform/FileLocks.h"
#include "platform/NativeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// By the name's bytes: a database's name need not be text.
qint64 sizeOrMissing(const QString &path)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
#else
    struct stat st;
    if (::stat(nativeFileName(path).constData(), &st) != 0)
        return -1;
    return qint64(st.st_size);
#endif
}

// The first `size` bytes of the file, fewer when it is shorter; nothing when
// it cannot be opened.
std::optional<QByteArray> headOf(const QString &path, qsizetype size)
{
#ifdef Q_OS_WIN
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(size);
#else
    const int fd = ::open(nativeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    QByteArray head(size, '\0');
    const ssize_t got = ::read(fd, head.data(), size_t(size));
    ::close(fd);
    head.truncate(std::max<ssize_t>(got, 0));
    return head;
#endif
}

} // namespace

DatabaseFiles peekDatabaseFiles(const QString &fileName)
{
    DatabaseFiles files;
    const std::optional<QByteArray> header = headOf(fileName, 20);
    // No file: nothing beside it matters, and opening it in place fails as it should.
    if (!header)
        return files;
    files.walMode = header->size() == 20 && header->at(19) == 2;
    files.walSize = sizeOrMissing(fileName + QStringLiteral("-wal"));
    return files;
}

DatabaseFiles inspectDatabaseFiles(const QString &fileName)
{
    DatabaseFiles files = peekDatabaseFiles(fileName);
    const QString shm = fileName + QStringLiteral("-shm");
    files.shmExists = sizeOrMissing(shm) >= 0;
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
    uri += nativeFileName(native).toPercentEncoding("/");
    if (!query.isEmpty())
        uri += '?' + query;
    return uri;
}
