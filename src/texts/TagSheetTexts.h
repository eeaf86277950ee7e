#pragma once

#include "platform/Language.h"

#include <QString>

// The main window's texts for tag sheets and the statistics of a selection,
// in the UI language asked for.
namespace TagSheetTexts {

// "位号表(&G)…" / "Tag Sheet(&G)…"
QString openMenu(Language language);
QString noneMenu(Language language);
// "编辑位号表(&I)…" / "Edit Tag Sheet(&I)…"
QString editMenu(Language language);
QString openTitle(Language language);
QString fileFilter(Language language);
// The editor's texts.
QString editorTitle(Language language);
QString editorOpen(Language language);
QString editorAddRow(Language language);
QString editorRemoveRow(Language language);
QString editorMoveUp(Language language);
QString editorMoveDown(Language language);
QString editorSave(Language language);
QString editorSaveAs(Language language);
QString editorClose(Language language);
QString saveTitle(Language language);
// Before unsaved changes would be lost: "位号表已修改，是否保存？" with the
// answers Save (editorSave), Discard and Cancel.
QString unsavedQuestion(Language language);
QString discardAnswer(Language language);
QString cancelAnswer(Language language);
// A save refused while a cell is faulty, with the first fault.
QString saveFaulty(Language language, const QString &fault);
// A save that failed, with the system's reason.
QString saveFailed(Language language, const QString &reason);
// The window title with the sheet's file name after it.
QString titleWithSheet(Language language, const QString &title, const QString &sheetName);
// The status line under the grid for the selected cells that hold numbers.
QString selectionStatistics(Language language, qint64 count, const QString &min, const QString &max,
                            const QString &mean, const QString &sum);

} // namespace TagSheetTexts
