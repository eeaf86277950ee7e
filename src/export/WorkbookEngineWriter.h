#pragma once

#include "export/Automation.h"

#include <QString>

class WorkbookEngineSheet;
class WorkProgress;

// Writes the sheet as the only worksheet of an .xlsx file at `path`, texts as
// strings, each cell with the formats of every range over it applied in order.
// Streams in constant memory when the rows came in order. The file appears
// whole or not at all, and never over `protectedFile` or anything but a
// regular file. Throws WorkbookWriteError when the file could not be
// written, AutomationError when the sheet could not be turned into one.
// A `progress` that says stop throws WorkStopped, and the file is not made.
void writeWorkbookFile(const WorkbookEngineSheet &sheet, const QString &path,
                       const QString &protectedFile = {}, WorkProgress *progress = nullptr);

// The workbook file could not be written; what() is the reason.
class WorkbookWriteError : public AutomationError
{
public:
    using AutomationError::AutomationError;
};
