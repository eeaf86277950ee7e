#pragma once

// The curve window's view of the main window, as plain members a test sets.

#include "document/RecordSource.h"
#include "records/RecordGridModel.h"

class GridSource : public RecordSource
{
public:
    const RecordGridModel &recordGrid() const override { return grid; }
    bool chineseUi() const override { return chinese; }
    bool displayFormatEnabled() const override { return enabled; }
    ValueFormat::Format displayFormat() const override { return format; }
    QString openFileName() const override { return file; }

    RecordGridModel grid;
    bool chinese = false;
    bool enabled = true;
    ValueFormat::Format format = ValueFormat::Format::Unsigned16;
    QString file;
};
