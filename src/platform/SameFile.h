#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Which file a name leads to now: its device and inode (the volume and file
// index on Windows), links followed.
struct FileIdentity
{
    quint64 device = 0;
    quint64 file = 0;
    bool operator==(const FileIdentity &) const = default;
};

// The identity of the file `path` leads to, none when there is no such file.
std::optional<FileIdentity> fileIdentity(const QString &path);

// Whether two names lead to one file, by identity (device and inode, or the
// volume and file index on Windows), links followed: a hard link or a link to
// a file is that file. Names of which one does not exist are one file only
// when their absolute names are equal.
bool isSameFile(const QString &a, const QString &b);

// Why `path` cannot be read as a log file (missing, unreadable, a folder, a
// FIFO, a device, a loop of links), or empty when it can. Never blocks and
// changes nothing.
QString inputFileProblem(const QString &path);
