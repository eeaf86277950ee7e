#pragma once

#include <QString>

// The main window's texts for tag sheets and the statistics of a selection,
// in the UI language asked for.
namespace TagSheetTexts {

// "位号表(&G)…" / "Tag Sheet(&G)…"
QString openMenu(bool chinese);
QString noneMenu(bool chinese);
QString openTitle(bool chinese);
QString fileFilter(bool chinese);
// The window title with the sheet's file name after it.
QString titleWithSheet(bool chinese, const QString &title, const QString &sheetName);
// The status line under the grid for the selected cells that hold numbers.
QString selectionStatistics(bool chinese, qint64 count, const QString &min, const QString &max,
                            const QString &mean, const QString &sum);

} // namespace TagSheetTexts
