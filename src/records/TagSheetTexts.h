#pragma once

#include "platform/Language.h"

#include <QString>

// The main window's texts for tag sheets and the statistics of a selection,
// in the UI language asked for.
namespace TagSheetTexts {

// "位号表(&G)…" / "Tag Sheet(&G)…"
QString openMenu(Language language);
QString noneMenu(Language language);
QString openTitle(Language language);
QString fileFilter(Language language);
// The window title with the sheet's file name after it.
QString titleWithSheet(Language language, const QString &title, const QString &sheetName);
// The status line under the grid for the selected cells that hold numbers.
QString selectionStatistics(Language language, qint64 count, const QString &min, const QString &max,
                            const QString &mean, const QString &sum);

} // namespace TagSheetTexts
