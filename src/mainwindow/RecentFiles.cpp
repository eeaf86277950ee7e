#include "mainwindow/RecentFiles.h"

RecentFiles::RecentFiles(const QStringList &stored)
{
    for (const QString &path : stored) {
        if (m_files.size() == Limit)
            break;
        if (!path.isEmpty() && !m_files.contains(path))
            m_files << path;
    }
}

void RecentFiles::add(const QString &path)
{
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > Limit)
        m_files.removeLast();
}
