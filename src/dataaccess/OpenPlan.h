#pragma once

// How a database file is opened for reading only, so that nothing is created next to it and
// nothing in it changes.
//
// A read-only connection still creates the "-wal" and "-shm" files of a database in WAL mode
// when they are missing. So:
//  - Plain: opened read-only (a rollback-journal database, or a WAL database whose writer's
//    "-wal" and "-shm" are both there to be shared);
//  - Immutable: a WAL database with no logged pages and no writer: its file holds everything,
//    and it is read with no locks and no companion files;
//  - Snapshot: a WAL database whose "-wal" has no "-shm" beside it (copied without it, or left
//    by a writer that died): the two files are copied to a private folder and read there.
// A rollback journal left by a writer that died cannot be rolled back read-only: the query
// fails, which the caller reports, rather than showing half-written pages.

#include <QByteArray>
#include <QString>

enum class ReadOnlyWay { Plain, Immutable, Snapshot };

// What lies next to the database, as far as the choice depends on it.
struct DatabaseFiles
{
    bool walMode = false; // header bytes 18 and 19 are both 2
    qint64 walSize = -1; // size of "-wal", -1 when missing
    bool shmExists = false; // "-shm" is there
};

DatabaseFiles inspectDatabaseFiles(const QString &fileName);
ReadOnlyWay chooseReadOnlyWay(const DatabaseFiles &files);

// A `file:` URI naming `path` exactly, with its query (for example "mode=ro").
QByteArray fileUri(const QString &path, const QByteArray &query);
