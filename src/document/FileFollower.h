#pragma once

#include "platform/SameFile.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// Watches a log file (and a database's -wal beside it) and says when to read
// it again: once changes have settled, and at most once a second. Its folder
// is watched as well, since a watch goes with a deleted or renamed file: a
// file that vanishes is reported gone, and the file that then has the name (a
// rotated log's successor) is reported as a replacement, to be read whole.
class FileFollower : public QObject
{
    Q_OBJECT
public:
    static constexpr int SettleMs = 250;
    static constexpr int MinimumGapMs = 1000;

    explicit FileFollower(QObject *parent = nullptr);

    void follow(const QString &path, bool database);
    void stop();
    QString path() const { return m_path; }
    // No file has the followed name now.
    bool fileGone() const { return !m_path.isEmpty() && !m_identity; }
    // A read has just been made: the next one waits the minimum gap.
    void readDone();

signals:
    // The file followed was written.
    void changed();
    // Another file has the name now.
    void replaced();
    // No file has the name any more.
    void gone();

private:
    void watch();
    void fileNoticed(const QString &path);
    void folderNoticed();
    void noticed();
    void settled();

    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    QElapsedTimer m_sinceRead;
    QElapsedTimer m_pending;
    QString m_path;
    bool m_database = false;
    // The file the name led to when last looked at; none while it is gone.
    std::optional<FileIdentity> m_identity;
    // The file's watch went with it (deleted or renamed away): what has the
    // name next is another file, even when it got the same inode number.
    bool m_lostWatch = false;
};
