#pragma once

#include "platform/Language.h"
#include "records/ValueFormat.h"

class RecordGridModel;

// The grid layouts that the loaders set up before filling the rows, their
// titles in the language of the moment.
namespace GridLayout {

// 4 columns, widths 150, 68, 200 for columns 1 to 3, the alarm titles.
void setAlarmList(RecordGridModel &grid, Language language);
// Formats 0 and 1: 13 columns of default width 60; formats 2 to 4: 8 of 120.
// Columns 0 to 2 are 60, 80, 80 wide. Titles in the given language.
void setDataRecords(RecordGridModel &grid, Language language, ValueFormat::Format format);

} // namespace GridLayout
