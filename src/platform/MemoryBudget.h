#pragma once

#include <QtGlobal>

#include <optional>

// Physical memory that the program can still take without pushing other
// programs out: what the system reports as available (or, where it reports
// nothing finer, the physical memory), within the memory limit of the
// process's control group. Empty when the system tells nothing.
std::optional<qint64> availablePhysicalMemory();
