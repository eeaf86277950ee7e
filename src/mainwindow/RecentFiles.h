#pragma once

#include <QString>
#include <QStringList>

// The list of recently opened files: newest first, each once, at most Limit.
class RecentFiles
{
public:
    static constexpr int Limit = 8;

    RecentFiles() = default;
    // A stored list, cleaned up: blanks and repeats dropped, cut to Limit.
    explicit RecentFiles(const QStringList &stored);

    // `path` becomes the newest; an earlier entry of it moves to the top.
    void add(const QString &path);
    void clear() { m_files.clear(); }

    const QStringList &files() const { return m_files; }

private:
    QStringList m_files;
};
