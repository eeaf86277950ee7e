#pragma once

// How a database file is opened for reading only, so that nothing is created next to it and
// nothing in it or beside it changes.
//
// The library looks for a "-wal" log whenever header byte 19 is 2, or a "-wal" lies beside the
// file, and a read-only connection then creates the "-wal" and "-shm" files when they are
// missing and rewrites a "-shm" that no open connection holds. So:
//  - Plain: opened read-only in place: a database that uses no log, or one whose "-wal" and
//    "-shm" a live connection holds (they are shared with it; while we read, a lock of ours on
//    the database keeps that writer from removing them should it close);
//  - Immutable: a log database with an empty or no "-wal" and no live writer: its file holds
//    everything, and it is read with no locks and no companion files;
//  - Snapshot: a log database whose "-wal" holds pages but has no live writer (copied, or left
//    by a writer that died): the database and its "-wal" are copied to a private folder and
//    read there.
// A rollback journal left by a writer that died cannot be rolled back read-only: the query
// fails, which the caller reports, rather than showing half-written pages.

#include <QByteArray>
#include <QString>

enum class ReadOnlyWay { Plain, Immutable, Snapshot };

// What lies next to the database, as far as the choice depends on it.
struct DatabaseFiles
{
    bool walMode = false; // header byte 19 is 2 (byte 18 only makes a file read-only)
    qint64 walSize = -1; // size of "-wal", -1 when missing
    bool shmExists = false; // "-shm" is there
    bool writerLive = false; // an open connection holds the "-shm"
    // The library looks for a log: what the choice is about.
    bool usesLog() const { return walMode || walSize >= 0; }
};

// The header and the "-wal" only: whether the files beside matter at all.
DatabaseFiles peekDatabaseFiles(const QString &fileName);
// Everything, including whether a live connection holds the "-shm".
DatabaseFiles inspectDatabaseFiles(const QString &fileName);
// `filesKept`: a lock of ours keeps a closing writer from removing its "-wal" and "-shm".
ReadOnlyWay chooseReadOnlyWay(const DatabaseFiles &files, bool filesKept);

// The byte ranges the library locks. Every connection to a log database holds a shared lock on
// the database's shared range while it is open, and one on the "-shm"'s dead-man switch.
inline constexpr qint64 kSharedLockFirst = 0x40000000 + 2;
inline constexpr qint64 kSharedLockSize = 510;
inline constexpr qint64 kShmDeadManSwitch = 128;

// A `file:` URI naming `path` exactly, with its query (for example "mode=ro").
QByteArray fileUri(const QString &path, const QByteArray &query);
