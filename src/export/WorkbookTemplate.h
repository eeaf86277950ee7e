#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>

// An export handed to the spreadsheet application as a workbook template:
// the application opens a template as a new, untitled workbook, so its Save
// asks where to save instead of writing into a temporary folder.
namespace WorkbookTemplate {

// The package of an .xlsx workbook made the package of an .xltx template:
// only the workbook part's content type changes. Empty when `workbook` is
// no package this can read (damaged, or too large for a plain zip).
QByteArray fromWorkbook(const QByteArray &workbook);

// Writes the template of the workbook file `workbookPath` to `templatePath`,
// through a temporary file beside it. Throws AutomationError.
void writeTemplateFile(const QString &workbookPath, const QString &templatePath);

// The program's own export folders live in `root` under names made from
// this pattern (QTemporaryDir's, with the random part at its end).
QString exportFolderPattern();

// Locks the export folder `folder` for the rest of this process's life and
// notes `names` as its own files, so that no sweep removes it while this
// run lives, and a later one removes those files only.
void holdExportFolder(const QString &folder, const QStringList &names);

// Removes the export folders in `root` whose files were all last written
// more than `maxAge` before `now`, with those files. Only folders of this
// user, of mode 0700 and not locked by a live run are looked at, and one
// that holds anything but its own files (a subfolder, a file the
// application left) stays whole. Returns how many folders were removed.
int removeStaleExports(const QString &root, const QDateTime &now,
                       std::chrono::seconds maxAge = std::chrono::hours(24));

} // namespace WorkbookTemplate
