#pragma once

// The input of a fuzz target as a file, for readers that take a file name.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace fuzzinput {

// A folder for the input files, in memory where the system has such a
// folder: a file written on disk for every input would cost more than
// reading it.
inline QString folder()
{
    static const QTemporaryDir dir = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        return QTemporaryDir(base + QStringLiteral("/norvale-fuzz-XXXXXX"));
    }();
    return dir.path();
}

// Writes the input to the file `path`; false when it could not be.
inline bool write(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

} // namespace fuzzinput
