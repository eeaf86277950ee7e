#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Physical memory that the program can still take without pushing other
// programs out: what the system reports as available (or, where it reports
// nothing finer, the physical memory), within the memory limit of the
// process's control group and its own address space and data limits. Empty
// when the system tells nothing.
std::optional<qint64> availablePhysicalMemory();

namespace MemoryBudget {

// The process's limits of address space and of data, empty where there is
// none.
struct ProcessLimits
{
    std::optional<qint64> addressSpace;
    std::optional<qint64> data;
};

// What the memory limits of the process's control groups leave, read from
// the files under `root` ("/" on a running system): "/proc/self/cgroup",
// "/proc/self/mountinfo" and the cgroup files of version 2 (memory.max,
// memory.current) or version 1 (memory.limit_in_bytes,
// memory.usage_in_bytes), at the process's group and each group above it.
// Empty without a limit.
std::optional<qint64> controlGroupRoom(const QString &root);

// What `limits` leave beside what the process already takes, as the text of
// "/proc/self/status" tells (VmSize for the address space, VmData for data).
std::optional<qint64> processLimitRoom(const ProcessLimits &limits, const QByteArray &status);

// MemAvailable of the text of "/proc/meminfo", in bytes.
std::optional<qint64> memAvailable(const QByteArray &meminfo);

// The budget of a Linux system whose files lie under `root`, with `limits`:
// the least of the three above.
std::optional<qint64> linuxBudget(const QString &root, const ProcessLimits &limits);

} // namespace MemoryBudget
