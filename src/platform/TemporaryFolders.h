#pragma once

// Folders of the program's own in a shared temporary folder: a lock that tells a live folder
// from an abandoned one, and a sweep that removes abandoned ones without ever following a link
// or touching what another user (or the user, by hand) put there.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

QT_BEGIN_NAMESPACE
class QRegularExpression;
QT_END_NAMESPACE

namespace TemporaryFolders {

// The lock file in each such folder. It also lists, a name a line, the files the folder was
// given, so that a sweep knows which ones are the program's own.
QString lockFileName();

// The lock of a folder this process made, held as long as the object lives (or the process).
class FolderLock
{
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Makes the lock file in `folder` and locks it. False where the system has no such locks;
    // the lock file is then not left behind.
    bool take(const QString &folder);
    bool held() const { return m_fd >= 0; }
    // Notes `name` (a plain file name) as one of the folder's own files. A name that cannot be
    // noted only makes a later sweep leave the folder be.
    void record(const QString &name);

private:
    int m_fd = -1;
};

// What a sweep sees of a folder it may remove, with the folder's lock (if it has one) held.
struct Folder
{
    QString name; // in the root
    qint64 modified = 0; // the folder's last change, in seconds since the epoch
    bool locked = false; // it has a lock file, whose lock the sweep now holds
    QStringList recorded; // the names its lock file lists
    struct File
    {
        QString name;
        qint64 modified = 0;
    };
    QList<File> files; // every entry but the lock file; all are regular files of this user
};

// For every folder in `root` whose whole name matches `name`, that is this user's (effective
// user), of mode 0700, not locked by anyone, and holds nothing but regular files of this user:
// when `abandoned` says so, removes its files and then the folder. Everything is done relative
// to descriptors opened without following links. Returns how many folders were removed. On
// Windows (a temporary folder of the user's own) the lock is the lock file held open, and the
// folder's links and junctions are left alone; elsewhere without such calls it does nothing.
int removeFolders(const QString &root, const QRegularExpression &name,
                  const std::function<bool(const Folder &)> &abandoned);

} // namespace TemporaryFolders
