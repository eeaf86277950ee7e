#include "document/SaveAsWriter.h"

#include "platform/SafeOutputFile.h"
#include "platform/WorkProgress.h"
#include "texts/MainTexts.h"

#include <QFileInfo>

QStringList SaveAsWriter::filters(Language language)
{
    return {MainTexts::saveFilterXlsx(language), MainTexts::saveFilterCsv()};
}

QString SaveAsWriter::targetPath(const QString &path, Kind kind)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (kind == Kind::Csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx"));
}

bool SaveAsWriter::writeCsv(const RecordGridModel &grid, const QString &path,
                            const QString &protectedFile, const CsvRowWritten &rowWritten,
                            QString &failure)
{
    SafeOutputFile out(path);
    bool written = false;
    try {
        written = out.open(protectedFile)
            && writeGridCsv(grid, out.device(), CsvEncoding::Utf8Bom, rowWritten) && out.commit();
    } catch (const WorkStopped &) {
        out.discard();
        throw;
    }
    if (written)
        return true;
    failure = out.errorString().isEmpty() ? out.device().errorString() : out.errorString();
    out.discard();
    return false;
}
