#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The tag sheet last used with the logs of each folder, so that the next file
// from a folder is shown with the same sheet. Kept in the options store as a
// list of folder and sheet pairs, the most recent first; an empty sheet
// means that none was wanted there.
class FolderTagSheets
{
public:
    static constexpr qsizetype MaxFolders = 64;
    // The options store's key of the list.
    static QString storeKey() { return QStringLiteral("TagSheets"); }

    explicit FolderTagSheets(const QStringList &stored);

    // The sheet for `folder` (empty: none wanted), or nothing when the folder
    // has no entry.
    std::optional<QString> sheetFor(const QString &folder) const;
    void remember(const QString &folder, const QString &sheet);
    QStringList stored() const;

    // The folder a log file belongs to, as the entries name it.
    static QString folderOf(const QString &file);

private:
    struct Entry
    {
        QString folder;
        QString sheet;
    };
    QList<Entry> m_entries;
};
