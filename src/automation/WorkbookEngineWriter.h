#pragma once

#include <QString>

class WorkbookEngineSheet;

// Writes the sheet as the only worksheet of an .xlsx file at `path`, texts as
// strings, each cell with the formats of every range over it applied in order.
// Streams in constant memory when the rows came in order. The file appears
// whole or not at all. Throws AutomationError on failure.
void writeWorkbookFile(const WorkbookEngineSheet &sheet, const QString &path);
