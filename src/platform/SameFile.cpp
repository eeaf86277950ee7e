#include "platform/SameFile.h"

#include "platform/NativeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
std::optional<FileIdentity> fileIdentity(const QString &path)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    return FileIdentity {info.dwVolumeSerialNumber,
                         (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
#else
std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat st;
    if (::stat(nativeFileName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity {quint64(st.st_dev), quint64(st.st_ino)};
}
#endif

bool isSameFile(const QString &a, const QString &b)
{
    const auto x = fileIdentity(a);
    const auto y = fileIdentity(b);
    if (x && y)
        return *x == *y;
    if (x || y)
        return false;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

#ifdef Q_OS_WIN
QString inputFileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("No such file or directory");
    if (info.isDir())
        return QStringLiteral("Is a directory");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}
#else
QString inputFileProblem(const QString &path)
{
    const QByteArray name = nativeFileName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    // Opened without blocking, in case the name was swapped for a FIFO.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return {};
}
#endif
