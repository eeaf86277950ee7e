#pragma once

#include "export/Automation.h"
#include "platform/Language.h"
#include "platform/MessageSink.h"
#include "records/RecordGridModel.h"

class QWidget;

// The progress bar under the grid while an export runs.
class ExportProgress
{
public:
    virtual ~ExportProgress() = default;
    // Shows the bar with the range 0 .. maximum.
    virtual void start(int maximum) = 0;
    // Advances the bar; called once per data row, so an adapter should
    // repaint only when the drawn bar changes.
    virtual void setPosition(int position) = 0;
    // Hides the bar.
    virtual void finish() = 0;
};

// The export button: copies grid columns 1 .. cols-1 of every row into the
// first worksheet of a new workbook through `automation`, formats it and makes
// the application visible. Reports no data, no spreadsheet application and a
// failure on the way through `messages`, in Chinese or English. Returns why
// a started export failed (for example, a grid too large for a worksheet),
// empty otherwise. The application takes a text that looks like a number or
// a date as one; the data cells of `textColumns` (grid columns), and every
// text that starts with an apostrophe, are typed with an apostrophe in front
// so that they stay texts as the grid shows them.
QString exportRecordGrid(const RecordGridModel &grid, Language language,
                         AutomationFactory &automation, ExportProgress &progress,
                         MessageSink &messages, QWidget *owner, const QList<int> &textColumns = {});

// The grid columns whose data cells the export keeps as texts even where they
// read as numbers: a tag column that shows texts, every value column in the
// "32bit HEX" format, an alarm list's text column. `valueColumns`: the grid
// shows data records in `format`; `path`: the file it was read from.
QList<int> exportTextColumns(const RecordGridModel &grid, bool valueColumns,
                             ValueFormat::Format format, const QString &path);

// The last worksheet column filled for a grid of `cols` columns: one
// character, wrapping on 8 bits; meaningful for 2 to 27 columns (A to Z).
QString exportLastColumnLetter(int cols);
