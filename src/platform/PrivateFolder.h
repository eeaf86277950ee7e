#pragma once

// A folder of this process's own for private copies of files, which only the user can read. It
// is removed when the object dies, and also when the process ends by SIGINT or SIGTERM. Its name
// carries the process id, so that a folder left by a run that was killed outright can be
// recognised and removed by a later run (removeAbandoned).

#include <QString>

#include <memory>

QT_BEGIN_NAMESPACE
class QTemporaryDir;
QT_END_NAMESPACE

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

    // Removes the folders of runs whose process is gone; other processes' live folders and
    // anything not recognisably ours stay.
    static void removeAbandoned();

    // The start of every such folder's name, followed by the process id and '-'.
    static QString namePrefix();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_slot = -1; // place in the table the signal handler empties
    int m_names = 0;
};
