#pragma once

#include "platform/Language.h"
#include "records/CsvWriter.h"

#include <QString>
#include <QStringList>

class RecordGridModel;

// Save As of the record grid, without the dialog: the kinds of file it
// writes, the name a chosen path gets, and the CSV file itself.
class SaveAsWriter
{
public:
    // In the order of the dialog's filters.
    enum class Kind { Workbook, Csv };
    static QStringList filters(Language language);
    static Kind kindOfFilter(int filter) { return filter == 1 ? Kind::Csv : Kind::Workbook; }
    // `path` with the suffix of `kind` when it has none.
    static QString targetPath(const QString &path, Kind kind);

    // The grid as CSV with a byte order mark, through a temporary file beside
    // `path` that is renamed into place when complete; never over
    // `protectedFile`. `rowWritten` may stop the work (WorkStopped): the
    // temporary file goes and `path` stays as it was. False, with the reason
    // in `failure`, when it could not be written.
    static bool writeCsv(const RecordGridModel &grid, const QString &path,
                         const QString &protectedFile, const CsvRowWritten &rowWritten,
                         QString &failure);
};
