#include "document/FileFollower.h"

#include <QFileInfo>

#include <algorithm>

FileFollower::FileFollower(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::fileNoticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::folderNoticed);
    connect(&m_timer, &QTimer::timeout, this, &FileFollower::settled);
}

void FileFollower::follow(const QString &path, bool database)
{
    stop();
    m_path = path;
    m_database = database;
    m_identity = fileIdentity(path);
    m_lostWatch = false;
    watch();
}

void FileFollower::stop()
{
    m_timer.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path.clear();
    m_identity.reset();
    m_lostWatch = false;
}

void FileFollower::watch()
{
    if (m_path.isEmpty())
        return;
    QStringList paths {m_path, QFileInfo(m_path).absolutePath()};
    // The folder also tells when a -wal appears; the -wal when it is written.
    if (m_database)
        paths << m_path + QStringLiteral("-wal");
    for (const QString &p : std::as_const(paths))
        if (QFileInfo::exists(p) && !m_watcher.files().contains(p)
            && !m_watcher.directories().contains(p))
            m_watcher.addPath(p);
}

void FileFollower::readDone()
{
    m_sinceRead.start();
}

void FileFollower::fileNoticed(const QString &path)
{
    if (path == m_path && !m_watcher.files().contains(m_path))
        m_lostWatch = true;
    noticed();
}

void FileFollower::folderNoticed()
{
    // Other files of the folder are no concern of a log file's; a database's
    // -wal and journal come and go there.
    if (!m_database && !m_lostWatch && fileIdentity(m_path) == m_identity)
        return;
    noticed();
}

void FileFollower::noticed()
{
    watch();
    // Settling waits for a pause in the writes, but never more than a gap
    // past the first change: a file written without a pause is still read.
    if (!m_timer.isActive())
        m_pending.start();
    else if (m_pending.elapsed() > MinimumGapMs)
        return;
    int wait = SettleMs;
    if (m_sinceRead.isValid())
        wait = std::max<qint64>(wait, MinimumGapMs - m_sinceRead.elapsed());
    m_timer.start(wait);
}

void FileFollower::settled()
{
    const std::optional<FileIdentity> now = fileIdentity(m_path);
    if (!now) {
        watch();
        m_lostWatch = false;
        if (m_identity) {
            m_identity.reset();
            emit gone();
        }
        return;
    }
    const bool another = m_lostWatch || now != m_identity;
    m_identity = now;
    m_lostWatch = false;
    if (another) {
        // A watch that outlived a rename follows the old file: watch the name anew.
        if (m_watcher.files().contains(m_path))
            m_watcher.removePath(m_path);
        watch();
        emit replaced();
    } else {
        watch();
        emit changed();
    }
}
