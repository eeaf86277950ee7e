#include "platform/FileLocks.h"

#include "platform/NativeName.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace FileLocks {

#if defined(Q_OS_UNIX)

namespace {

// Locks owned by the open file rather than the process: closing another descriptor of the same
// file does not drop them, and they meet this process's own connections as any other's.
#if defined(F_OFD_GETLK)
constexpr int kGetLock = F_OFD_GETLK;
constexpr int kSetLock = F_OFD_SETLK;
#else
constexpr int kGetLock = F_GETLK;
constexpr int kSetLock = F_SETLK;
#endif

struct flock range(short type, qint64 offset, qint64 length)
{
    struct flock lock
    { };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(offset);
    lock.l_len = off_t(length);
    lock.l_pid = 0; // required by the open-file kind
    return lock;
}

int openForReading(const QString &path)
{
    int fd = -1;
    do
        fd = ::open(nativeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

Holder lockHolder(const QString &path, qint64 offset, qint64 length)
{
    const int fd = openForReading(path);
    if (fd < 0)
        return Holder::Unknown;
    struct flock lock = range(F_WRLCK, offset, length);
    const int result = ::fcntl(fd, kGetLock, &lock);
    ::close(fd);
    if (result != 0)
        return Holder::Unknown;
    return lock.l_type == F_UNLCK ? Holder::Nobody : Holder::Someone;
}

bool SharedLock::acquire(const QString &path, qint64 offset, qint64 length, int waitMs)
{
    release();
    const int fd = openForReading(path);
    if (fd < 0)
        return false;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        struct flock lock = range(F_RDLCK, offset, length);
        if (::fcntl(fd, kSetLock, &lock) == 0) {
            m_fd = fd;
            return true;
        }
        const bool busy = errno == EAGAIN || errno == EACCES || errno == EINTR;
        if (!busy || deadline.hasExpired())
            break;
        QThread::msleep(10);
    }
    ::close(fd);
    return false;
}

void SharedLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock with the open file
    m_fd = -1;
}

#else

Holder lockHolder(const QString &, qint64, qint64)
{
    return Holder::Unknown;
}

bool SharedLock::acquire(const QString &, qint64, qint64, int)
{
    return false;
}

void SharedLock::release() { }

#endif

SharedLock::~SharedLock()
{
    release();
}

} // namespace FileLocks
