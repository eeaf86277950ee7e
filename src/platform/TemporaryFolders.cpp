#include "platform/TemporaryFolders.h"

#include <QFile>
#include <QRegularExpression>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace TemporaryFolders {

QString lockFileName()
{
    return QStringLiteral("norvale.lock");
}

#if defined(Q_OS_UNIX)

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The names in the folder `fd`, without "." and "..". False when it cannot be read whole.
bool listNames(int fd, QList<QByteArray> &names)
{
    // fdopendir takes the descriptor over, so it gets a copy.
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    DIR *dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return false;
    }
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
        errno = 0;
    }
    const bool whole = errno == 0;
    ::closedir(dir);
    return whole;
}

QByteArray readAll(int fd)
{
    QByteArray text;
    char buffer[4096];
    while (text.size() < 64 * 1024) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    return text;
}

bool removeFolder(int rootFd, const QByteArray &name,
                  const std::function<bool(const Folder &)> &abandoned)
{
    const Descriptor folderFd(
        ::openat(rootFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st
    { };
    if (folderFd.get() < 0 || ::fstat(folderFd.get(), &st) != 0 || !S_ISDIR(st.st_mode)
        || st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700)
        return false;
    Folder folder;
    folder.name = QFile::decodeName(name);
    folder.modified = qint64(st.st_mtime);

    const QByteArray lockName = QFile::encodeName(lockFileName());
    const Descriptor lockFd(
        ::openat(folderFd.get(), lockName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (lockFd.get() >= 0) {
        struct stat lockSt
        { };
        if (::fstat(lockFd.get(), &lockSt) != 0 || !S_ISREG(lockSt.st_mode)
            || lockSt.st_uid != ::geteuid() || ::flock(lockFd.get(), LOCK_EX | LOCK_NB) != 0)
            return false; // a live folder, or not ours
        folder.locked = true;
        for (const QByteArray &line : readAll(lockFd.get()).split('\n'))
            if (!line.isEmpty())
                folder.recorded.append(QFile::decodeName(line));
    } else if (errno != ENOENT) {
        return false;
    }

    QList<QByteArray> names;
    if (!listNames(folderFd.get(), names))
        return false;
    QList<QByteArray> files;
    for (const QByteArray &entry : std::as_const(names)) {
        if (folder.locked && entry == lockName)
            continue;
        struct stat fileSt
        { };
        if (::fstatat(folderFd.get(), entry.constData(), &fileSt, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(fileSt.st_mode) || fileSt.st_uid != ::geteuid())
            return false;
        folder.files.append({QFile::decodeName(entry), qint64(fileSt.st_mtime)});
        files.append(entry);
    }
    if (!abandoned(folder))
        return false;
    // Never a path: a name relative to the folder opened above, which no one can swap now.
    for (const QByteArray &entry : std::as_const(files))
        if (::unlinkat(folderFd.get(), entry.constData(), 0) != 0)
            return false;
    if (folder.locked && ::unlinkat(folderFd.get(), lockName.constData(), 0) != 0)
        return false;
    return ::unlinkat(rootFd, name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderLock::take(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder + u'/' + lockFileName());
    const int fd = ::open(path.constData(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_APPEND, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::unlink(path.constData());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void FolderLock::record(const QString &name)
{
    if (m_fd < 0 || name.isEmpty() || name.contains(u'/') || name.contains(u'\n'))
        return;
    const QByteArray line = QFile::encodeName(name) + '\n';
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(m_fd, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

int removeFolders(const QString &root, const QRegularExpression &name,
                  const std::function<bool(const Folder &)> &abandoned)
{
    const Descriptor rootFd(
        ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QList<QByteArray> names;
    if (rootFd.get() < 0 || !listNames(rootFd.get(), names))
        return 0;
    int removed = 0;
    for (const QByteArray &entry : std::as_const(names)) {
        const QString decoded = QFile::decodeName(entry);
        const QRegularExpressionMatch match = name.match(decoded);
        // The whole name, not a part of it.
        if (match.hasMatch() && match.capturedStart() == 0
            && match.capturedLength() == decoded.size()
            && removeFolder(rootFd.get(), entry, abandoned))
            ++removed;
    }
    return removed;
}

#elif defined(Q_OS_WIN)

// A lock file held open without sharing writes or deletion stands for the lock: no one can
// open it for writing, or remove it, while this process lives.

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        _close(m_fd);
}

bool FolderLock::take(const QString &folder)
{
    if (m_fd >= 0)
        return true;
    const std::wstring path
        = QDir::toNativeSeparators(folder + u'\\' + lockFileName()).toStdWString();
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYWR, _S_IREAD | _S_IWRITE)
        != 0)
        return false;
    m_fd = fd;
    return true;
}

void FolderLock::record(const QString &name)
{
    if (m_fd < 0 || name.isEmpty() || name.contains(u'/') || name.contains(u'\\')
        || name.contains(u'\n'))
        return;
    const QByteArray line = name.toUtf8() + '\n';
    _write(m_fd, line.constData(), unsigned(line.size()));
}

int removeFolders(const QString &root, const QRegularExpression &name,
                  const std::function<bool(const Folder &)> &abandoned)
{
    int removed = 0;
    const QFileInfoList entries
        = QDir(root).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!name.match(entry.fileName()).hasMatch() || entry.isSymLink() || entry.isJunction())
            continue;
        const QString folderPath = entry.absoluteFilePath();
        Folder folder;
        folder.name = entry.fileName();
        folder.modified = entry.lastModified().toSecsSinceEpoch();
        // Held open by a live run, the lock cannot be opened for writing; holding it so keeps
        // any new run of the same folder out while this one looks.
        const std::wstring lockPath
            = QDir::toNativeSeparators(folderPath + u'\\' + lockFileName()).toStdWString();
        int lock = -1;
        const bool hasLock = QFileInfo::exists(folderPath + u'/' + lockFileName());
        if (hasLock) {
            if (_wsopen_s(&lock, lockPath.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
                          0)
                != 0)
                continue;
            folder.locked = true;
            QByteArray listed;
            char buffer[4096];
            for (int n; (n = _read(lock, buffer, sizeof buffer)) > 0;)
                listed.append(buffer, n);
            for (const QByteArray &line : listed.split('\n'))
                if (!line.isEmpty())
                    folder.recorded << QString::fromUtf8(line);
        }
        bool plain = true;
        const QFileInfoList contents = QDir(folderPath)
                                           .entryInfoList(QDir::AllEntries | QDir::Hidden
                                                          | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &file : contents) {
            if (file.fileName() == lockFileName())
                continue;
            if (!file.isFile() || file.isSymLink()) {
                plain = false;
                break;
            }
            folder.files.append({file.fileName(), file.lastModified().toSecsSinceEpoch()});
        }
        bool gone = false;
        if (plain && abandoned(folder)) {
            bool all = true;
            for (const Folder::File &file : std::as_const(folder.files))
                all = QFile::remove(folderPath + u'/' + file.name) && all;
            if (lock >= 0) {
                _close(lock);
                lock = -1;
                all = QFile::remove(folderPath + u'/' + lockFileName()) && all;
            }
            gone = all && QDir(root).rmdir(folder.name);
        }
        if (lock >= 0)
            _close(lock);
        removed += gone ? 1 : 0;
    }
    return removed;
}

#else

FolderLock::~FolderLock() = default;

bool FolderLock::take(const QString &)
{
    return false;
}

void FolderLock::record(const QString &) { }

int removeFolders(const QString &, const QRegularExpression &,
                  const std::function<bool(const Folder &)> &)
{
    return 0;
}

#endif

} // namespace TemporaryFolders
