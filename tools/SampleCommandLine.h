#pragma once

#include "SampleWriters.h"

#include <QString>
#include <QStringList>

// The command line of make-sample-logs, parsed without side effects.
namespace SampleCommandLine {

enum class Kind { DataBin, AlarmBin, AlarmDb, DataDb, Samples, Seeds, Help };

struct Command
{
    Kind kind = Kind::Help;
    QString path; // FILE, or DIR for samples and seeds
    SampleWriters::Content content;
    SampleWriters::BufferCounts buffers {}; // data-db only
};

struct Parsed
{
    Command command;
    QString error; // non-empty: a usage error
};

// arguments without the program name
Parsed parse(const QStringList &arguments);

// "1:250,2:0,12:-" over a default count; empty error text on success.
QString parseBufferList(const QString &list, std::int64_t defaultCount,
                        SampleWriters::BufferCounts &counts);

QString usage();

} // namespace SampleCommandLine
