#include "SampleCommandLine.h"

#include <limits>

namespace SampleCommandLine {

namespace {

bool readCount(const QString &text, std::int64_t &out)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    // The record grid counts rows in an int, so larger files are of no use.
    if (!ok || value < 0 || value > std::numeric_limits<int>::max() - 1)
        return false;
    out = value;
    return true;
}

bool readSigned(const QString &text, std::int64_t &out)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    // IDs run upwards from here, so leave room for them.
    if (!ok || value > std::numeric_limits<std::int64_t>::max() / 2
        || value < std::numeric_limits<std::int64_t>::min() / 2)
        return false;
    out = value;
    return true;
}

bool readSeed(const QString &text, std::uint64_t &out)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok)
        return false;
    out = value;
    return true;
}

Parsed failure(const QString &error)
{
    return {Command {}, error};
}

} // namespace

QString parseBufferList(const QString &list, std::int64_t defaultCount,
                        SampleWriters::BufferCounts &counts)
{
    counts.fill(defaultCount);
    std::array<bool, 12> seen {};
    const QStringList items = list.split(u',');
    for (const QString &item : items) {
        const qsizetype colon = item.indexOf(u':');
        if (colon < 0)
            return QStringLiteral("--buffers: '%1' is not BUFFER:COUNT").arg(item);
        bool ok = false;
        const int buffer = item.left(colon).toInt(&ok);
        if (!ok || buffer < 1 || buffer > 12)
            return QStringLiteral("--buffers: '%1': buffer must be 1 to 12").arg(item);
        if (seen[static_cast<std::size_t>(buffer - 1)])
            return QStringLiteral("--buffers: buffer %1 given twice").arg(buffer);
        seen[static_cast<std::size_t>(buffer - 1)] = true;
        const QString count = item.mid(colon + 1);
        std::int64_t value = 0;
        if (count == u"-")
            value = SampleWriters::NotCreated;
        else if (!readCount(count, value))
            return QStringLiteral("--buffers: '%1': count must be a number or -").arg(item);
        counts[static_cast<std::size_t>(buffer - 1)] = value;
    }
    return {};
}

Parsed parse(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return failure(QStringLiteral("no kind of file given"));
    const QString &kindName = arguments.first();
    Command command;
    if (kindName == u"data-bin")
        command.kind = Kind::DataBin;
    else if (kindName == u"alarm-bin")
        command.kind = Kind::AlarmBin;
    else if (kindName == u"alarm-db")
        command.kind = Kind::AlarmDb;
    else if (kindName == u"data-db")
        command.kind = Kind::DataDb;
    else if (kindName == u"samples")
        command.kind = Kind::Samples;
    else if (kindName == u"seeds")
        command.kind = Kind::Seeds;
    else if (kindName == u"--help" || kindName == u"-h")
        return {command, {}};
    else
        return failure(QStringLiteral("unknown kind '%1'").arg(kindName));

    QString bufferList;
    bool haveBuffers = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool isOption = argument.startsWith(u"--");
        if (!isOption) {
            if (!command.path.isEmpty())
                return failure(QStringLiteral("unexpected argument '%1'").arg(argument));
            if (argument.isEmpty())
                return failure(QStringLiteral("empty file name"));
            command.path = argument;
            continue;
        }
        if (command.kind == Kind::Samples || command.kind == Kind::Seeds)
            return failure(QStringLiteral("%1 takes no options").arg(kindName));
        if (i + 1 >= arguments.size())
            return failure(QStringLiteral("%1 needs a value").arg(argument));
        const QString &value = arguments[++i];
        bool ok = false;
        if (argument == u"--records")
            ok = readCount(value, command.content.records);
        else if (argument == u"--seed")
            ok = readSeed(value, command.content.seed);
        else if (argument == u"--first-id")
            ok = readSigned(value, command.content.firstId);
        else if (argument == u"--buffers" && command.kind == Kind::DataDb) {
            bufferList = value;
            haveBuffers = ok = true;
        } else
            return failure(QStringLiteral("unknown option '%1' for %2").arg(argument, kindName));
        if (!ok)
            return failure(QStringLiteral("bad value '%1' for %2").arg(value, argument));
    }
    if (command.path.isEmpty())
        return failure(command.kind == Kind::Samples || command.kind == Kind::Seeds
                           ? QStringLiteral("no DIR given")
                           : QStringLiteral("no FILE given"));
    if (command.kind == Kind::DataDb) {
        command.buffers.fill(command.content.records);
        if (haveBuffers) {
            const QString error
                = parseBufferList(bufferList, command.content.records, command.buffers);
            if (!error.isEmpty())
                return failure(error);
        }
    }
    return {command, {}};
}

QString usage()
{
    return QStringLiteral(
        "usage:\n"
        "  make-sample-logs data-bin  FILE [--records N] [--seed S] [--first-id ID]\n"
        "  make-sample-logs alarm-bin FILE [--records N] [--seed S] [--first-id ID]\n"
        "  make-sample-logs alarm-db  FILE [--records N] [--seed S] [--first-id ID]\n"
        "  make-sample-logs data-db   FILE [--records N] [--seed S] [--first-id ID]"
        " [--buffers LIST]\n"
        "  make-sample-logs samples   DIR\n"
        "  make-sample-logs seeds     DIR   (small inputs for the fuzz targets)\n"
        "\n"
        "Writes panel log files with seeded, reproducible content (default: 100 records,\n"
        "seed 1, IDs from 1). --buffers gives per-buffer counts of a data record\n"
        "database, e.g. 1:250,2:0,12:- (- leaves the table out; others get --records).\n");
}

} // namespace SampleCommandLine
