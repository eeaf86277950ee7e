#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches a log file (and a database's -wal beside it) and says when to read
// it again: once changes have settled, and at most once a second.
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
    // A read has just been made: the next one waits the minimum gap.
    void readDone();

signals:
    void changed();

private:
    void watch();
    void noticed();

    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    QElapsedTimer m_sinceRead;
    QElapsedTimer m_pending;
    QString m_path;
    bool m_database = false;
};
