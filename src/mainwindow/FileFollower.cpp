#include "mainwindow/FileFollower.h"

#include <QFileInfo>

#include <algorithm>

FileFollower::FileFollower(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::noticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::noticed);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // A file replaced by a rename is no longer watched: watch it again.
        watch();
        emit changed();
    });
}

void FileFollower::follow(const QString &path, bool database)
{
    stop();
    m_path = path;
    m_database = database;
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
}

void FileFollower::watch()
{
    if (m_path.isEmpty())
        return;
    QStringList paths {m_path};
    if (m_database) {
        // The folder tells when a -wal appears; the -wal when it is written.
        paths << QFileInfo(m_path).absolutePath() << m_path + QStringLiteral("-wal");
    }
    for (const QString &p : std::as_const(paths))
        if (QFileInfo::exists(p) && !m_watcher.files().contains(p)
            && !m_watcher.directories().contains(p))
            m_watcher.addPath(p);
}

void FileFollower::readDone()
{
    m_sinceRead.start();
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
