#pragma once

// The curve window's view of the main window, as plain members a test sets.

#include "document/RecordSource.h"
#include "records/RecordGridModel.h"

class GridSource : public RecordSource
{
public:
    const RecordGridModel &recordGrid() const override { return grid; }
    Language language() const override { return shownLanguage; }
    bool displayFormatEnabled() const override { return enabled; }
    ValueFormat::Format displayFormat() const override { return format; }
    QString openFileName() const override { return file; }

    RecordGridModel grid;
    Language shownLanguage = Language::English;
    bool enabled = true;
    ValueFormat::Format format = ValueFormat::Format::Unsigned16;
    QString file;
};
