// make-sample-logs: writes panel log files of all four kinds for tests,
// benchmarks and the first run of the browser.
#include "SampleCommandLine.h"
#include "SampleWriters.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace SampleCommandLine;
using namespace SampleWriters;

namespace {

// The standard set the README and run.sh show.
QString writeSamples(const QString &dirPath)
{
    QDir dir(dirPath);
    if (!dir.mkpath(QStringLiteral("binary")))
        return QStringLiteral("cannot create %1").arg(dir.filePath(QStringLiteral("binary")));

    const Content base;
    // Buffer2 is empty and Buffer12 is missing, as on a panel where not
    // every logging task has run or been set up.
    const BufferCounts buffers {1000, 0, 250, 500, 100, 60, 30, 1, 2000, 10, 300, NotCreated};
    QString error = writeDataDb(dir.filePath(QStringLiteral("Buffer.db")), base, buffers);
    if (error.isEmpty())
        error = writeAlarmDb(dir.filePath(QStringLiteral("Alarm.db")), Content {200, 1, 1});
    if (error.isEmpty())
        error = writeAlarmBin(dir.filePath(QStringLiteral("binary/Alarm.db")), Content {150, 1, 1});
    if (error.isEmpty())
        error = writeDataBin(dir.filePath(QStringLiteral("Data.bin")), Content {2000, 1, 1});
    return error;
}

// Small inputs for the fuzz targets: a header and a few records, and
// databases of 512-byte pages, so that each input is read in little time.
QString writeSeeds(const QString &dirPath)
{
    QDir dir(dirPath);
    for (const QString &sub : {QStringLiteral("binlog"), QStringLiteral("database")})
        if (!dir.mkpath(sub))
            return QStringLiteral("cannot create %1").arg(dir.filePath(sub));
    BufferCounts buffers;
    buffers.fill(NotCreated);
    buffers[0] = 4;
    buffers[11] = 2;
    QString error
        = writeDataBin(dir.filePath(QStringLiteral("binlog/data.bin")), Content {3, 1, 1});
    if (error.isEmpty())
        error = writeAlarmBin(dir.filePath(QStringLiteral("binlog/alarm.bin")), Content {2, 1, 1});
    if (error.isEmpty())
        error = writeAlarmDb(dir.filePath(QStringLiteral("database/alarm.db")),
                             Content {3, 1, 1, 512});
    if (error.isEmpty())
        error = writeDataDb(dir.filePath(QStringLiteral("database/data.db")),
                            Content {0, 1, 1, 512}, buffers);
    return error;
}

QString run(const Command &command)
{
    switch (command.kind) {
    case Kind::DataBin:
        return writeDataBin(command.path, command.content);
    case Kind::AlarmBin:
        return writeAlarmBin(command.path, command.content);
    case Kind::AlarmDb:
        return writeAlarmDb(command.path, command.content);
    case Kind::DataDb:
        return writeDataDb(command.path, command.content, command.buffers);
    case Kind::Samples:
        return writeSamples(command.path);
    case Kind::Seeds:
        return writeSeeds(command.path);
    case Kind::Help:
        break;
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    const Parsed parsed = parse(arguments);
    if (!parsed.error.isEmpty()) {
        QTextStream(stderr) << "make-sample-logs: " << parsed.error << "\n" << usage();
        return 2;
    }
    if (parsed.command.kind == Kind::Help) {
        QTextStream(stdout) << usage();
        return 0;
    }
    const QString error = run(parsed.command);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "make-sample-logs: " << error << "\n";
        return 1;
    }
    return 0;
}
