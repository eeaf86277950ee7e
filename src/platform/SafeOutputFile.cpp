#include "platform/SafeOutputFile.h"

#include "platform/NativeName.h"
#include "platform/SameFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
bool isLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

QString linkTargetOf(const QString &path)
{
    return QFileInfo(path).symLinkTarget();
}

// 1: a regular file, 0: absent, -1: something else.
int kindOf(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() ? 0 : info.isFile() ? 1 : -1;
}

bool removeFile(const QString &path)
{
    return QFile::remove(path);
}
#else
// By the name's own bytes throughout: a name need not be text.
bool isLink(const QString &path)
{
    struct stat st;
    return ::lstat(nativeFileName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString linkTargetOf(const QString &path)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(nativeFileName(path).constData(), target.data(), target.size());
    if (n <= 0 || n >= target.size())
        return {};
    target.truncate(n);
    if (target.startsWith('/'))
        return fileNameFromNative(target);
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + fileNameFromNative(target);
}

int kindOf(const QString &path)
{
    struct stat st;
    if (::stat(nativeFileName(path).constData(), &st) != 0)
        return 0;
    return S_ISREG(st.st_mode) ? 1 : -1;
}

bool removeFile(const QString &path)
{
    return ::unlink(nativeFileName(path).constData()) == 0;
}
#endif

QString absoluteName(const QString &name)
{
#ifdef Q_OS_WIN
    // With '/' between folders, as the rest of this file splits names.
    return QFileInfo(QDir::fromNativeSeparators(name)).absoluteFilePath();
#else
    if (QDir::isAbsolutePath(name))
        return name;
    return QDir::currentPath() + QLatin1Char('/') + name;
#endif
}

// The file a chain of symbolic links leads to, or the name itself. Empty for
// a loop.
QString linkTarget(const QString &name)
{
    QString path = absoluteName(name);
    for (int hops = 0; hops < 40; ++hops) {
        if (!isLink(path))
            return path;
        path = linkTargetOf(path);
        if (path.isEmpty())
            return {};
    }
    return {};
}

QString systemError()
{
#ifdef Q_OS_WIN
    return qt_error_string(int(GetLastError()));
#else
    return QString::fromLocal8Bit(std::strerror(errno));
#endif
}

// Makes what was written to `file` durable.
bool syncFile(QFile &file)
{
#ifdef Q_OS_WIN
    return FlushFileBuffers(HANDLE(_get_osfhandle(file.handle())));
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    const QString source = QDir::toNativeSeparators(from);
    const QString target = QDir::toNativeSeparators(to);
    return MoveFileExW(reinterpret_cast<const wchar_t *>(source.utf16()),
                       reinterpret_cast<const wchar_t *>(target.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(nativeFileName(from).constData(), nativeFileName(to).constData()) == 0;
#endif
}

// A second name for the file `from`, made without touching the first.
bool linkFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(
        reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
        reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()), nullptr);
#else
    return ::link(nativeFileName(from).constData(), nativeFileName(to).constData()) == 0;
#endif
}

} // namespace

SafeOutputFile::SafeOutputFile(QString name)
    : m_name(std::move(name))
{ }

SafeOutputFile::~SafeOutputFile()
{
    discard();
}

SafeOutputFile::Target SafeOutputFile::check(const QString &name, const QString &protectedFile)
{
    const QString target = linkTarget(name);
    if (target.isEmpty())
        return Target::NotRegular;
    const int kind = kindOf(target);
    if (kind < 0)
        return Target::NotRegular;
    if (!protectedFile.isEmpty() && kind > 0 && isSameFile(target, protectedFile))
        return Target::Protected;
    return Target::Replaceable;
}

bool SafeOutputFile::folderExists(const QString &name)
{
    const QString path = absoluteName(name);
    const QString folder = path.left(std::max<qsizetype>(path.lastIndexOf(QLatin1Char('/')), 1));
#ifdef Q_OS_WIN
    return QFileInfo(folder).isDir();
#else
    struct stat st;
    return ::stat(nativeFileName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool SafeOutputFile::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    discard();
    return false;
}

bool SafeOutputFile::open(const QString &protectedFile)
{
    m_protected = protectedFile;
    m_error.clear();
    switch (check(m_name, protectedFile)) {
    case Target::Replaceable:
        break;
    case Target::NotRegular:
        return fail(QStringLiteral("not a regular file"));
    case Target::Protected:
        return fail(QStringLiteral("it is the file shown"));
    }
    m_target = linkTarget(m_name);
    const QString folder = m_target.left(m_target.lastIndexOf(QLatin1Char('/')) + 1);
    const QString base = m_target.mid(folder.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = folder + QLatin1Char('.') + base + QLatin1Char('.')
            + QString::number(QRandomGenerator::global()->generate(), 36) + QLatin1String(".tmp");
#ifdef Q_OS_WIN
        m_file.setFileName(name);
        // Unbuffered: a failed write reports the system's reason at once.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            m_temporary = name;
            // A replaced file keeps its permissions.
            if (QFileInfo::exists(m_target))
                m_file.setPermissions(QFile::permissions(m_target));
            return true;
        }
        // Only a name taken already is worth another try.
        if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(name))
            break;
#else
        const int fd = ::open(nativeFileName(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            // Only a name taken already is worth another try.
            if (errno == EEXIST)
                continue;
            return fail(systemError());
        }
        m_temporary = name;
        // A replaced file keeps its permissions.
        struct stat st;
        if (::stat(nativeFileName(m_target).constData(), &st) == 0)
            ::fchmod(fd, st.st_mode & 07777);
        // Unbuffered: a failed write reports the system's reason at once.
        if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                         QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return fail(m_file.errorString());
        }
        return true;
#endif
    }
    return fail(m_file.errorString());
}

bool SafeOutputFile::write(QByteArrayView bytes)
{
    if (!m_file.isOpen())
        return false;
    // A short write is retried, so that a full disk is reported as such by
    // the write that fails.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = m_file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return fail(m_file.errorString());
        done += n;
    }
    return true;
}

bool SafeOutputFile::finishWriting()
{
    if (m_temporary.isEmpty())
        return false;
    if (!m_file.isOpen())
        return true;
    // A write through device() that failed leaves its error behind.
    if (m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    if (!m_file.flush())
        return fail(m_file.errorString());
    if (!syncFile(m_file))
        return fail(systemError());
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    return true;
}

bool SafeOutputFile::commit()
{
    if (m_temporary.isEmpty() || !m_file.isOpen() || !finishWriting())
        return false;
    // Checked again at the last moment: the name may lead elsewhere by now.
    if (check(m_name, m_protected) != Target::Replaceable)
        return fail(QStringLiteral("the file changed while it was written"));
    if (!replaceFile(m_temporary, m_target))
        return fail(systemError());
    m_temporary.clear();
    return true;
}

bool SafeOutputFile::commitAll(const std::vector<SafeOutputFile *> &files, QString &failure)
{
    // What each rename replaced, kept under a name of its own until all are in place.
    struct Placed
    {
        QString target;
        QString kept; // empty: there was no file
    };
    std::vector<Placed> placed;
    const auto undo = [&placed] {
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
            if (it->kept.isEmpty())
                removeFile(it->target);
            else
                replaceFile(it->kept, it->target);
        }
    };
    for (SafeOutputFile *file : files) {
        if (!file->finishWriting()) {
            failure = file->m_name + QStringLiteral(": ") + file->m_error;
            break;
        }
    }
    for (SafeOutputFile *file : files) {
        if (!failure.isEmpty())
            break;
        const auto refuse = [&](const QString &reason) {
            failure = file->m_name + QStringLiteral(": ") + reason;
        };
        if (check(file->m_name, file->m_protected) != Target::Replaceable) {
            refuse(QStringLiteral("the file changed while it was written"));
            break;
        }
        Placed place {file->m_target, {}};
        if (kindOf(file->m_target) != 0) {
            // A second name for the file about to be replaced, to put it back.
            place.kept = file->m_temporary + QStringLiteral(".old");
            if (!linkFile(file->m_target, place.kept)) {
                refuse(systemError());
                break;
            }
        }
        if (!replaceFile(file->m_temporary, file->m_target)) {
            refuse(systemError());
            if (!place.kept.isEmpty())
                removeFile(place.kept);
            break;
        }
        file->m_temporary.clear();
        placed.push_back(place);
    }
    if (!failure.isEmpty()) {
        undo();
        for (SafeOutputFile *file : files)
            file->discard();
        return false;
    }
    for (const Placed &place : placed)
        if (!place.kept.isEmpty())
            removeFile(place.kept);
    return true;
}

void SafeOutputFile::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_temporary.isEmpty())
        removeFile(m_temporary);
    m_temporary.clear();
}
