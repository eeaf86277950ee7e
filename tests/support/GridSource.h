#pragma once

// The curve window's view of the main window, as plain members a test sets.

#include "curves/RecordSource.h"
#include "records/RecordGridModel.h"

class GridSource : public RecordSource
{
public:
    const RecordGridModel &recordGrid() const override { return grid; }
    bool chineseUi() const override { return chinese; }
    bool displayFormatEnabled() const override { return enabled; }
    int displayFormat() const override { return format; }

    RecordGridModel grid;
    bool chinese = false;
    bool enabled = true;
    int format = 0;
};
