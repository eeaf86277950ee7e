#pragma once

// Byte-range locks as SQLite's connections use them, so that a reader can tell the files of a
// live connection from those a dead one left behind, and keep them from being removed while it
// reads. Where the system offers no such locks (or they cannot be taken) the answers say so, and
// the reader takes the way that needs none.

#include <QString>

namespace FileLocks {

enum class Holder {
    Nobody, // no lock on the range
    Someone, // an open file somewhere holds a lock on it, this process's own included
    Unknown, // the file cannot be opened or the system cannot tell
};

// Who holds a lock over `length` bytes at `offset` of `path`. The file is opened for reading only
// and nothing is locked.
Holder lockHolder(const QString &path, qint64 offset, qint64 length);

// A shared (read) lock on a byte range, held as long as the object lives. It conflicts with the
// exclusive locks of every other open file, this process's own included.
class SharedLock
{
public:
    SharedLock() = default;
    ~SharedLock();
    SharedLock(const SharedLock &) = delete;
    SharedLock &operator=(const SharedLock &) = delete;

    // Tries to take the lock, again and again for up to `waitMs` while someone holds the range
    // exclusively. False when it could not be taken or the system has no such locks.
    bool acquire(const QString &path, qint64 offset, qint64 length, int waitMs);
    bool held() const { return m_fd >= 0; }
    void release();

private:
    int m_fd = -1;
};

} // namespace FileLocks
