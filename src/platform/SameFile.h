#pragma once

#include <QString>

// Whether two names lead to one file, by identity (device and inode, or the
// volume and file index on Windows), links followed: a hard link or a link to
// a file is that file. Names of which one does not exist are one file only
// when their absolute names are equal.
bool isSameFile(const QString &a, const QString &b);

// Why `path` cannot be read as a log file (missing, unreadable, a folder, a
// FIFO, a device, a loop of links), or empty when it can. Never blocks and
// changes nothing.
QString inputFileProblem(const QString &path);
