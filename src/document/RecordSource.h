#pragma once

#include "platform/Language.h"
#include "records/ValueFormat.h"

#include <QString>

class RecordGridModel;

// What the curve window reads of the window that shows the open log: the record grid, the UI
// language and the display format list.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    virtual const RecordGridModel &recordGrid() const = 0;
    // The language the windows show.
    virtual Language language() const = 0;
    // The display format list is enabled (data records are loaded).
    virtual bool displayFormatEnabled() const = 0;
    // The selected item of the display format list.
    virtual ValueFormat::Format displayFormat() const = 0;
    // The file the grid was read from; empty when none.
    virtual QString openFileName() const { return {}; }
};
