#include "platform/SafeOutputFile.h"

#include "platform/SameFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The file a chain of symbolic links leads to, or the name itself. Empty for
// a loop.
QString linkTarget(const QString &name)
{
    QString path = QFileInfo(name).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return path;
        path = info.symLinkTarget();
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
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
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
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return Target::NotRegular;
    if (!protectedFile.isEmpty() && info.exists() && isSameFile(target, protectedFile))
        return Target::Protected;
    return Target::Replaceable;
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
    const QFileInfo target(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = target.absolutePath() + QLatin1String("/.") + target.fileName()
            + QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36)
            + QLatin1String(".tmp");
        m_file.setFileName(name);
        // Unbuffered: a failed write reports the system's reason at once.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            m_temporary = name;
            // A replaced file keeps its permissions.
            if (target.exists())
                m_file.setPermissions(QFile::permissions(m_target));
            return true;
        }
        // Only a name taken already is worth another try.
        if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(name))
            break;
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

bool SafeOutputFile::commit()
{
    if (m_temporary.isEmpty() || !m_file.isOpen())
        return false;
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
    // Checked again at the last moment: the name may lead elsewhere by now.
    if (check(m_name, m_protected) != Target::Replaceable)
        return fail(QStringLiteral("the file changed while it was written"));
    if (!replaceFile(m_temporary, m_target))
        return fail(systemError());
    m_temporary.clear();
    return true;
}

void SafeOutputFile::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}
