#include "platform/MemoryBudget.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_LINUX)
QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

// "MemAvailable:   12345 kB" of /proc/meminfo, in bytes.
std::optional<qint64> memAvailable()
{
    const QByteArray info = readSmallFile(QStringLiteral("/proc/meminfo"));
    for (const QByteArray &line : info.split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> words = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 kib = words.value(0).toLongLong(&ok);
        if (ok && kib >= 0)
            return kib * 1024;
    }
    return std::nullopt;
}

// What the cgroup v2 limit leaves: memory.max less memory.current of the
// group named in /proc/self/cgroup ("0::/path"). Empty without a limit.
std::optional<qint64> cgroupRoom()
{
    const QByteArray groups = readSmallFile(QStringLiteral("/proc/self/cgroup"));
    for (const QByteArray &line : groups.split('\n')) {
        if (!line.startsWith("0::"))
            continue;
        const QString dir = QStringLiteral("/sys/fs/cgroup") + QString::fromUtf8(line.mid(3));
        bool ok = false;
        const qint64 max
            = readSmallFile(dir + QStringLiteral("/memory.max")).trimmed().toLongLong(&ok);
        if (!ok)
            return std::nullopt; // "max" or nothing to read: no limit
        const qint64 current
            = readSmallFile(dir + QStringLiteral("/memory.current")).trimmed().toLongLong(&ok);
        return ok ? std::max<qint64>(max - current, 0) : max;
    }
    return std::nullopt;
}
#endif

#if defined(Q_OS_WIN)
// What a job object's memory limit leaves, for a process in a job with one:
// the limit less the most the process (or the job) has used so far.
std::optional<qint64> jobObjectRoom()
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info {};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &info, sizeof info,
                                   nullptr))
        return std::nullopt;
    const DWORD flags = info.BasicLimitInformation.LimitFlags;
    std::optional<qint64> room;
    const auto take = [&room](SIZE_T limit, SIZE_T used) {
        const qint64 left = limit > used ? qint64(limit - used) : 0;
        room = room ? std::min(*room, left) : left;
    };
    if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
        take(info.ProcessMemoryLimit, info.PeakProcessMemoryUsed);
    if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
        take(info.JobMemoryLimit, info.PeakJobMemoryUsed);
    return room;
}
#endif

std::optional<qint64> systemAvailable()
{
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status))
        return qint64(std::min<DWORDLONG>(status.ullAvailPhys, DWORDLONG(LLONG_MAX)));
    return std::nullopt;
#else
#if defined(Q_OS_LINUX)
    if (const auto available = memAvailable())
        return available;
#endif
#if defined(Q_OS_UNIX) && defined(_SC_PAGESIZE)
    const long page = sysconf(_SC_PAGESIZE);
#if defined(_SC_AVPHYS_PAGES)
    const long pages = sysconf(_SC_AVPHYS_PAGES);
#elif defined(_SC_PHYS_PAGES)
    const long pages = sysconf(_SC_PHYS_PAGES);
#else
    const long pages = -1;
#endif
    if (page > 0 && pages > 0)
        return qint64(page) * qint64(pages);
#endif
    return std::nullopt;
#endif
}

} // namespace

std::optional<qint64> availablePhysicalMemory()
{
    std::optional<qint64> budget = systemAvailable();
#if defined(Q_OS_LINUX)
    if (const auto room = cgroupRoom())
        budget = budget ? std::min(*budget, *room) : *room;
#endif
#if defined(Q_OS_WIN)
    if (const auto room = jobObjectRoom())
        budget = budget ? std::min(*budget, *room) : *room;
#endif
    return budget;
}
