#pragma once

// A folder of this process's own for private copies of files, which only the user can read. It
// is removed when the object dies, and also when the process ends by SIGINT or SIGTERM. While it
// lives it holds a lock, so that a folder left by a run that was killed outright can be told from
// a live one, in whatever process namespace, and removed by a later run (removeAbandoned).

#include <QString>

#include <chrono>
#include <memory>

QT_BEGIN_NAMESPACE
class QTemporaryDir;
QT_END_NAMESPACE

namespace TemporaryFolders {
class FolderLock;
}

class PrivateFolder
{
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    bool isValid() const;
    QString errorString() const;
    QString path() const;

    // The path of `name` in the folder. Only files named this way are removed on a signal, so
    // name every file that may come to lie in the folder, including the ones a library adds.
    QString filePath(const QString &name);

    // Removes the abandoned folders in the temporary folder; other processes' live folders and
    // anything not recognisably ours stay.
    static void removeAbandoned();
    // The same in `root`, for folders unchanged for `minimumAge` at least (a folder just made
    // has not taken its lock yet). Returns how many were removed.
    static int removeAbandoned(const QString &root, std::chrono::seconds minimumAge);

    // The start of every such folder's name, followed by the process id and '-'.
    static QString namePrefix();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TemporaryFolders::FolderLock> m_lock;
    int m_slot = -1; // place in the table the signal handler empties
    int m_names = 0;
};
