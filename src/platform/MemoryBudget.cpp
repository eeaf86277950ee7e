#include "platform/MemoryBudget.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(256 * 1024);
}

// Version 1 writes its "no limit" as the largest count of whole pages; any
// value this large is no limit at all.
constexpr qint64 NoLimitAbove = qint64(1) << 62;

std::optional<qint64> lesser(std::optional<qint64> a, std::optional<qint64> b)
{
    if (a && b)
        return std::min(*a, *b);
    return a ? a : b;
}

// "Name:   12345 kB" of a /proc text, in bytes.
std::optional<qint64> kibibytesOf(const QByteArray &text, const QByteArray &name)
{
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith(name + ':'))
            continue;
        const QList<QByteArray> words = line.mid(name.size() + 1).simplified().split(' ');
        bool ok = false;
        const qint64 kib = words.value(0).toLongLong(&ok);
        if (ok && kib >= 0 && kib < NoLimitAbove / 1024)
            return kib * 1024;
    }
    return std::nullopt;
}

// A path of /proc/self/mountinfo, whose blanks and backslashes are written
// as octal escapes.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0'
            && field[i + 1] <= '3') {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

struct Mount
{
    QByteArray root; // the part of the hierarchy mounted
    QByteArray point; // where
};

// The mount of the cgroup hierarchy of file system type `type` ("cgroup2",
// or "cgroup" with `option` among its options).
std::optional<Mount> cgroupMount(const QByteArray &mountinfo, const QByteArray &type,
                                 const QByteArray &option)
{
    for (const QByteArray &line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 3 >= fields.size() || fields[dash + 1] != type)
            continue;
        if (!option.isEmpty() && !fields[dash + 3].split(',').contains(option))
            continue;
        return Mount {unescaped(fields[3]), unescaped(fields[4])};
    }
    return std::nullopt;
}

// The least room that `limitFile` less `usageFile` leave in the group
// `group` under `mount` and in every group above it.
std::optional<qint64> roomUpFrom(const QString &root, const Mount &mount, QByteArray group,
                                 const QString &limitFile, const QString &usageFile)
{
    // A mount of part of the hierarchy (as in a container) shows the groups
    // under that part only.
    if (mount.root != "/" && group.startsWith(mount.root)
        && (group.size() == mount.root.size() || group[mount.root.size()] == '/'))
        group = group.mid(mount.root.size());
    std::optional<qint64> room;
    while (true) {
        const QString dir = root + QFile::decodeName(mount.point + group);
        bool ok = false;
        const qint64 limit = readSmallFile(dir + u'/' + limitFile).trimmed().toLongLong(&ok);
        // "max", nothing to read, or the "no limit" value: no limit here.
        if (ok && limit >= 0 && limit < NoLimitAbove) {
            const qint64 usage = readSmallFile(dir + u'/' + usageFile).trimmed().toLongLong(&ok);
            room = lesser(room, ok ? std::max<qint64>(limit - usage, 0) : limit);
        }
        while (group.endsWith('/'))
            group.chop(1);
        if (group.isEmpty())
            break;
        group.truncate(group.lastIndexOf('/') + 1);
    }
    return room;
}

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

#if defined(Q_OS_UNIX)
std::optional<qint64> limitOf(int resource)
{
    struct rlimit limit
    { };
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY
        || limit.rlim_cur >= rlim_t(NoLimitAbove))
        return std::nullopt;
    return qint64(limit.rlim_cur);
}
#endif

} // namespace

namespace MemoryBudget {

std::optional<qint64> memAvailable(const QByteArray &meminfo)
{
    return kibibytesOf(meminfo, "MemAvailable");
}

std::optional<qint64> controlGroupRoom(const QString &root)
{
    const QByteArray groups = readSmallFile(root + QStringLiteral("/proc/self/cgroup"));
    const QByteArray mountinfo = readSmallFile(root + QStringLiteral("/proc/self/mountinfo"));
    std::optional<qint64> room;
    for (const QByteArray &line : groups.split('\n')) {
        // "hierarchy:controllers:path"; the path may hold colons of its own.
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray hierarchy = line.left(first);
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QByteArray group = line.mid(second + 1);
        if (!group.startsWith('/'))
            continue;
        if (hierarchy == "0" && controllers.isEmpty()) {
            const Mount mount
                = cgroupMount(mountinfo, "cgroup2", {}).value_or(Mount {"/", "/sys/fs/cgroup"});
            room = lesser(room,
                          roomUpFrom(root, mount, group, QStringLiteral("memory.max"),
                                     QStringLiteral("memory.current")));
        } else if (controllers.split(',').contains("memory")) {
            const Mount mount = cgroupMount(mountinfo, "cgroup", "memory")
                                    .value_or(Mount {"/", "/sys/fs/cgroup/memory"});
            room = lesser(room,
                          roomUpFrom(root, mount, group, QStringLiteral("memory.limit_in_bytes"),
                                     QStringLiteral("memory.usage_in_bytes")));
        }
    }
    return room;
}

std::optional<qint64> processLimitRoom(const ProcessLimits &limits, const QByteArray &status)
{
    std::optional<qint64> room;
    const auto leave = [&](std::optional<qint64> limit, const QByteArray &used) {
        if (!limit)
            return;
        // Without the figure of what is taken, the limit itself is all there is to go by.
        const qint64 taken = kibibytesOf(status, used).value_or(0);
        room = lesser(room, std::max<qint64>(*limit - taken, 0));
    };
    leave(limits.addressSpace, "VmSize");
    leave(limits.data, "VmData");
    return room;
}

std::optional<qint64> linuxBudget(const QString &root, const ProcessLimits &limits)
{
    std::optional<qint64> budget
        = memAvailable(readSmallFile(root + QStringLiteral("/proc/meminfo")));
    budget = lesser(budget, controlGroupRoom(root));
    return lesser(
        budget,
        processLimitRoom(limits, readSmallFile(root + QStringLiteral("/proc/self/status"))));
}

} // namespace MemoryBudget

std::optional<qint64> availablePhysicalMemory()
{
#if defined(Q_OS_LINUX)
    const MemoryBudget::ProcessLimits limits {limitOf(RLIMIT_AS), limitOf(RLIMIT_DATA)};
    std::optional<qint64> budget = MemoryBudget::linuxBudget(QString(), limits);
    // Without /proc's figure, the system's own count of free pages.
    if (!MemoryBudget::memAvailable(readSmallFile(QStringLiteral("/proc/meminfo"))))
        budget = lesser(budget, systemAvailable());
    return budget;
#elif defined(Q_OS_UNIX)
    std::optional<qint64> budget = systemAvailable();
#if defined(RLIMIT_AS)
    budget = lesser(budget, limitOf(RLIMIT_AS));
#endif
    return lesser(budget, limitOf(RLIMIT_DATA));
#elif defined(Q_OS_WIN)
    return lesser(systemAvailable(), jobObjectRoom());
#else
    return systemAvailable();
#endif
}
