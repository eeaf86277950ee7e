#include "mainwindow/FolderTagSheets.h"

#include <QDir>
#include <QFileInfo>

FolderTagSheets::FolderTagSheets(const QStringList &stored)
{
    // A damaged list (an odd count, empty folders, repeats) loses only what is wrong.
    for (qsizetype i = 0; i + 1 < stored.size() && m_entries.size() < MaxFolders; i += 2) {
        const QString &folder = stored[i];
        if (folder.isEmpty() || sheetFor(folder))
            continue;
        m_entries.append({folder, stored[i + 1]});
    }
}

std::optional<QString> FolderTagSheets::sheetFor(const QString &folder) const
{
    for (const Entry &e : m_entries)
        if (e.folder == folder)
            return e.sheet;
    return std::nullopt;
}

void FolderTagSheets::remember(const QString &folder, const QString &sheet)
{
    if (folder.isEmpty())
        return;
    m_entries.removeIf([&](const Entry &e) { return e.folder == folder; });
    m_entries.prepend({folder, sheet});
    if (m_entries.size() > MaxFolders)
        m_entries.resize(MaxFolders);
}

QStringList FolderTagSheets::stored() const
{
    QStringList list;
    for (const Entry &e : m_entries)
        list << e.folder << e.sheet;
    return list;
}

QString FolderTagSheets::folderOf(const QString &file)
{
    return QDir::cleanPath(QFileInfo(file).absolutePath());
}
