#pragma once

#include <QByteArray>
#include <QString>

// Whether a binary log file only grew since the grid was read from it: its
// header and the last record read are as they were, and whole records
// follow. A file that shrank or changed before the end is to be read whole.
class LogGrowth
{
public:
    enum class Change { None, Grew, Whole };

    // Remembers the file as a grid of `gridRows` rows read it.
    void remember(const QString &path, bool alarms, int gridRows);
    void forget() { m_size = -1; }
    // Whether the marks are those of this file as this grid read it.
    bool covers(const QString &path, int gridRows) const
    {
        return m_size >= 0 && path == m_path && gridRows == m_rows;
    }
    Change changeSince(const QString &path) const;

private:
    // The header block and the last record read, as the file holds them now.
    bool readMarks(const QString &path, QByteArray &header, QByteArray &last, qint64 &size) const;

    QString m_path;
    int m_rows = 0;
    bool m_alarms = false;
    qint64 m_readEnd = 0;
    qint64 m_size = -1;
    QByteArray m_header;
    QByteArray m_last;
};
