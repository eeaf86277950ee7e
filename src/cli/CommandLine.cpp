#include "cli/CommandLine.h"

#include "cli/ConsoleText.h"
#include "cli/HeadlessDocument.h"

#include "curvewindow/CurveWindow.h"
#include "export/Automation.h"
#include "export/ExcelExport.h"
#include "platform/MessageSink.h"
#include "platform/SafeOutputFile.h"
#include "platform/SameFile.h"
#include "platform/StopSignals.h"
#include "platform/WorkProgress.h"
#include "printing/PrintJobSink.h"
#include "records/AlarmStatistics.h"
#include "records/CsvWriter.h"
#include "records/GridStatistics.h"
#include "records/RecordTime.h"
#include "texts/Translations.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

namespace {

bool parseInteger(const QString &text, qint64 low, qint64 high, qint64 &value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= low && value <= high;
}

void printError(const QString &text);

// Every message box becomes one line on stderr: caption, ": ", text; a failure's cause follows
// on a line of its own.
class StderrMessages : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &caption, const QString &text,
                     bool) override
    {
        printLine(stderr, caption + QStringLiteral(": ") + text);
        ++count;
    }
    void showFailure(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     const QString &cause) override
    {
        showMessage(owner, icon, caption, text, false);
        if (!cause.isEmpty())
            printError(cause);
    }
    int count = 0;
};

// Shows the curve window as the main window's button does. In the no-data
// look its text is the only output and the answer is false.
bool showCurves(CurveWindow &curves)
{
    curves.showAndRaise();
    if (curves.hasCurves())
        return true;
    printLine(stderr, curves.noDataText());
    return false;
}

void printError(const QString &text)
{
    printLine(stderr, QStringLiteral("norvale: ") + text);
}

bool isStdout(const QString &out)
{
    return out.isEmpty() || out == QLatin1String("-");
}

// What keeps OUT from being written, for a usage error; empty when nothing.
QString outputProblem(const QString &out, const QString &file)
{
    switch (SafeOutputFile::check(out, file)) {
    case SafeOutputFile::Target::Replaceable:
        return {};
    case SafeOutputFile::Target::NotRegular:
        return QStringLiteral("-o: OUT is not a regular file");
    case SafeOutputFile::Target::Protected:
        // The browser never writes to the file it shows.
        return QStringLiteral("-o: OUT is FILE itself");
    }
    return {};
}

// The same for every page file of a PDF run that exists already.
QString pageFilesProblem(const QString &out, const QString &file)
{
    const QFileInfo info(out);
    const QString first = PdfFileJobSink::jobFileName(info.fileName(), 1);
    const qsizetype tag = first.lastIndexOf(QLatin1String("-1"));
    const QString head = first.left(tag + 1);
    const QString tail = first.mid(tag + 2);
    const QDir folder = info.absoluteDir();
    const QStringList names
        = folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!name.startsWith(head) || !name.endsWith(tail))
            continue;
        const QStringView number
            = QStringView(name).mid(head.size(), name.size() - head.size() - tail.size());
        bool ok = false;
        if (number.toInt(&ok) <= 0 || !ok)
            continue;
        const QString problem = outputProblem(folder.filePath(name), file);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

// Writes `bytes` to OUT whole or not at all.
bool writeOutput(const QString &out, const QString &file, const QByteArray &bytes)
{
    SafeOutputFile output(out);
    if (output.open(file) && output.write(bytes) && output.commit())
        return true;
    printError(QStringLiteral("cannot write ") + out + QStringLiteral(": ") + output.errorString());
    return false;
}

// Passes the windows' messages on, except the print run's own report of a
// page file that could not be written, which the command reports itself, and
// of a run that a stop signal ended.
class PdfRunMessages : public MessageSink
{
public:
    PdfRunMessages(MessageSink &messages, const PdfFileJobSink &pdf)
        : m_messages(messages)
        , m_pdf(pdf)
    { }
    void showMessage(QWidget *parent, MessageIcon icon, const QString &caption, const QString &text,
                     bool beep) override
    {
        if (m_pdf.writeFailure().isEmpty() && StopSignals::received() == 0)
            m_messages.showMessage(parent, icon, caption, text, beep);
    }
    void showFailure(QWidget *parent, MessageIcon icon, const QString &caption, const QString &text,
                     const QString &cause) override
    {
        if (m_pdf.writeFailure().isEmpty())
            m_messages.showFailure(parent, icon, caption, text, cause);
    }

private:
    MessageSink &m_messages;
    const PdfFileJobSink &m_pdf;
};

// What an option's value is read as.
// A time's first second for a lower bound, its last for an upper one.
enum class ValueKind { None, Text, Integer, Output, Language, Encoding, FirstSecond, LastSecond };

// One option: its name, its value and where the value goes. An integer
// value must lie in [low, high].
struct Option
{
    const char *name;
    ValueKind kind;
    qint64 low;
    qint64 high;
    void (*store)(CommandLine &command, qint64 number, const QString &text);
};

constexpr qint64 AnyLow = std::numeric_limits<qint64>::min();
constexpr qint64 AnyHigh = std::numeric_limits<qint64>::max();

const Option Options[] = {
    {"--help", ValueKind::None, 0, 0,
     [](CommandLine &c, qint64, const QString &) { c.help = true; }},
    {"-h", ValueKind::None, 0, 0, [](CommandLine &c, qint64, const QString &) { c.help = true; }},
    {"--version", ValueKind::None, 0, 0,
     [](CommandLine &c, qint64, const QString &) { c.version = true; }},
    {"--to", ValueKind::Output, 0, 0,
     [](CommandLine &c, qint64 n, const QString &) { c.to = CommandLine::Output(n); }},
    {"-o", ValueKind::Text, 0, 0, [](CommandLine &c, qint64, const QString &v) { c.out = v; }},
    {"--buffer", ValueKind::Integer, 1, 12,
     [](CommandLine &c, qint64 n, const QString &) { c.buffer = int(n); }},
    {"--format", ValueKind::Integer, 0, 4,
     [](CommandLine &c, qint64 n, const QString &) { c.format = ValueFormat::AllFormats[n]; }},
    {"--lang", ValueKind::Language, 0, 0,
     [](CommandLine &c, qint64 n, const QString &) {
         c.language = n != 0 ? Language::English : Language::Chinese;
     }},
    {"--start", ValueKind::Integer, AnyLow, AnyHigh,
     [](CommandLine &c, qint64 n, const QString &) { c.start = n; }},
    {"--end", ValueKind::Integer, AnyLow, AnyHigh,
     [](CommandLine &c, qint64 n, const QString &) { c.end = n; }},
    {"--scale", ValueKind::Integer, 1, 4,
     [](CommandLine &c, qint64 n, const QString &) { c.scale = int(n); }},
    {"--tags", ValueKind::Text, 0, 0, [](CommandLine &c, qint64, const QString &v) { c.tags = v; }},
    {"--alarms", ValueKind::Text, 0, 0,
     [](CommandLine &c, qint64, const QString &v) { c.alarms = v; }},
    {"--from", ValueKind::FirstSecond, 0, 0,
     [](CommandLine &c, qint64 n, const QString &) { c.from = n; }},
    {"--until", ValueKind::LastSecond, 0, 0,
     [](CommandLine &c, qint64 n, const QString &) { c.until = n; }},
    {"--encoding", ValueKind::Encoding, 0, 0,
     [](CommandLine &c, qint64 n, const QString &) {
         c.encoding = CsvEncoding(n);
         c.encodingGiven = true;
     }},
};

const Option *optionNamed(const QString &name)
{
    for (const Option &option : Options)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

// Reads `text` as the value of `option` into `number`; the usage error
// when it is not one.
QString readValue(const Option &option, const QString &text, qint64 &number)
{
    const QString name = QLatin1String(option.name);
    switch (option.kind) {
    case ValueKind::None:
    case ValueKind::Text:
        return {};
    case ValueKind::Integer:
        if (parseInteger(text, option.low, option.high, number))
            return {};
        if (option.low == AnyLow && option.high == AnyHigh)
            return name + QStringLiteral(": expected an integer");
        return name + QStringLiteral(": expected %1 to %2").arg(option.low).arg(option.high);
    case ValueKind::Output: {
        using Output = CommandLine::Output;
        const std::pair<const char *, Output> outputs[]
            = {{"csv", Output::Csv}, {"xlsx", Output::Xlsx},   {"png", Output::Png},
               {"pdf", Output::Pdf}, {"stats", Output::Stats}, {"alarm-stats", Output::AlarmStats}};
        for (const auto &[word, output] : outputs) {
            if (text == QLatin1String(word)) {
                number = qint64(output);
                return {};
            }
        }
        return QStringLiteral("--to: unknown output '%1'").arg(text);
    }
    case ValueKind::Language:
        if (text != QLatin1String("zh") && text != QLatin1String("en"))
            return QStringLiteral("--lang: expected zh or en");
        number = text == QLatin1String("en") ? 1 : 0;
        return {};
    case ValueKind::Encoding: {
        const std::optional<CsvEncoding> encoding = csvEncodingNamed(text);
        if (!encoding)
            return QStringLiteral("--encoding: expected utf-8, utf-8-bom or gb18030");
        if (!csvEncodingAvailable(*encoding))
            return QStringLiteral("--encoding: %1 is not available on this platform").arg(text);
        number = qint64(*encoding);
        return {};
    }
    case ValueKind::FirstSecond:
    case ValueKind::LastSecond: {
        const std::optional<RecordTime::Span> span = RecordTime::parseSpan(QStringView(text));
        if (!span)
            return name + QStringLiteral(": expected a time as 2013-05-07 08:10:00 or a date");
        number = option.kind == ValueKind::FirstSecond ? span->first : span->last;
        return {};
    }
    }
    return {};
}

// What is wrong with the options taken together; empty when nothing.
QString combinationProblem(const CommandLine &command)
{
    if (command.scale != 1 && command.to != CommandLine::Output::Png)
        return QStringLiteral("--scale needs --to png");
    if (!command.alarms.isEmpty() && command.to != CommandLine::Output::Png
        && command.to != CommandLine::Output::Pdf)
        return QStringLiteral("--alarms needs --to png or --to pdf");
    if (command.to == CommandLine::Output::None) {
        if (!command.out.isEmpty() || command.buffer || command.format || !command.tags.isEmpty())
            return QStringLiteral("-o, --buffer, --format and --tags need --to");
        if (command.encodingGiven)
            return QStringLiteral("--encoding needs --to csv");
        if (command.start || command.end)
            return QStringLiteral("--start and --end need --to pdf");
        if (command.from || command.until)
            return QStringLiteral("--from and --until need --to");
        return {};
    }
    if (command.encodingGiven && command.to != CommandLine::Output::Csv)
        return QStringLiteral("--encoding needs --to csv");
    // With a sheet the display format list is not the user's to pick.
    if (command.format && !command.tags.isEmpty())
        return QStringLiteral("--format and --tags exclude each other");
    const bool textOut = command.to == CommandLine::Output::Csv
        || command.to == CommandLine::Output::Stats
        || command.to == CommandLine::Output::AlarmStats;
    if (command.file.isEmpty())
        return QStringLiteral("--to: missing FILE");
    if (command.out.isEmpty() && !textOut)
        return QStringLiteral("--to: missing -o OUT");
    if (command.out == QLatin1String("-") && !textOut)
        return QStringLiteral("-o: standard output takes only csv, stats and alarm-stats");
    // The alarm file is read as FILE is: never written.
    if (!command.alarms.isEmpty()) {
        const QString problem = command.to == CommandLine::Output::Pdf
            ? pageFilesProblem(command.out, command.alarms)
            : outputProblem(command.out, command.alarms);
        if (!problem.isEmpty())
            return QStringLiteral("-o: OUT is the alarm file");
    }
    if (command.to == CommandLine::Output::Pdf)
        return pageFilesProblem(command.out, command.file);
    if (!isStdout(command.out))
        return outputProblem(command.out, command.file);
    return {};
}

// A run goes on until SIGINT or SIGTERM asks it to stop.
class UntilStopSignal : public WorkProgress
{
public:
    bool keepGoing(qint64) override { return StopSignals::received() == 0; }
};

// Between rows of a CSV file: a stop signal ends the writing.
void stopOnSignal(int)
{
    if (StopSignals::received() != 0)
        throw WorkStopped();
}

// Standard output written straight to its descriptor, so that a failed
// write is reported with the system's own reason.
class StdoutDevice : public QIODevice
{
public:
    StdoutDevice() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    QString failure() const { return m_failure; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (!m_failure.isEmpty())
            return -1;
        for (qint64 done = 0; done < size;) {
            const qint64 n = writeToStdout(data + done, size - done);
            if (n < 0) {
                m_failure = systemErrorText();
                setErrorString(m_failure);
                return -1;
            }
            done += n;
        }
        return size;
    }

private:
    QString m_failure;
};

// Text that `write` makes, to stdout or (through a temporary file put in
// place when whole) to OUT; a failure is printed with its reason.
bool writeTextOutput(const CommandLine &command, const std::function<bool(QIODevice &)> &write)
{
    if (isStdout(command.out)) {
        std::fflush(stdout);
        StdoutDevice out;
        if (!write(out) || !out.failure().isEmpty()) {
            printError(QStringLiteral("cannot write stdout: ")
                       + (out.failure().isEmpty() ? out.errorString() : out.failure()));
            return false;
        }
        return true;
    }
    SafeOutputFile out(command.out);
    if (!out.open(command.file) || !write(out.device()) || !out.commit()) {
        const QString reason
            = out.errorString().isEmpty() ? out.device().errorString() : out.errorString();
        out.discard();
        printError(QStringLiteral("cannot write ") + command.out + QStringLiteral(": ") + reason);
        return false;
    }
    return true;
}

// The alarm statistics of the grid's alarms in the range asked for, as CSV.
bool writeAlarmStatistics(const CommandLine &command, const RecordSource &log)
{
    const GridAlarms alarms = alarmsOfGrid(log.recordGrid());
    const AlarmStatistics statistics = alarmStatistics(alarms.alarms, command.from, command.until);
    return writeTextOutput(
        command, [&](QIODevice &out) { return writeAlarmStatisticsCsv(statistics, out); });
}

// The grid as CSV to OUT or to stdout.
bool writeCsv(const CommandLine &command, const RecordSource &log)
{
    try {
        return writeTextOutput(command, [&](QIODevice &out) {
            return writeGridCsv(log.recordGrid(), out, command.encoding, stopOnSignal);
        });
    } catch (const WorkStopped &) {
        // The temporary file went with its writer; OUT is as it was.
        return false;
    }
}

// The value columns' statistics as CSV, to OUT or to stdout.
bool writeStatisticsRows(const CommandLine &command, const RecordSource &log)
{
    // An alarm list has no value columns: the title row alone.
    QList<ColumnStatistics> columns;
    if (log.displayFormatEnabled())
        columns = GridStatistics::valueColumns(log.recordGrid(), log.displayFormat(), [](int row) {
            if (row % 4096 == 0)
                stopOnSignal(row);
        });
    return writeTextOutput(command,
                           [&](QIODevice &out) { return writeStatisticsCsv(columns, out); });
}

bool writeStatistics(const CommandLine &command, const RecordSource &log)
{
    try {
        return writeStatisticsRows(command, log);
    } catch (const WorkStopped &) {
        return false;
    }
}

// The export's rows go by without a bar to show them; a stop signal ends
// the run between rows, as a stop of the window's export does.
class StopBetweenRows : public ExportProgress
{
public:
    void start(int) override { }
    void setPosition(int position) override
    {
        if (position % 256 == 0)
            stopOnSignal(position);
    }
    void finish() override { }
};

// The export, saved by a workbook engine to OUT.
bool writeXlsx(const CommandLine &command, const HeadlessDocument &log, MessageSink &messages,
               WorkProgress &progress)
{
    QString writeFailure;
    QString exportFailure;
    try {
        const std::unique_ptr<AutomationFactory> engine
            = makeSavingWorkbookEngine(command.out, command.file, &writeFailure, &progress);
        const RecordGridModel &grid = log.recordGrid();
        StopBetweenRows rows;
        exportFailure
            = exportRecordGrid(grid, log.language(), *engine, rows, messages, nullptr,
                               exportTextColumns(grid, log.displayFormatEnabled(),
                                                 log.displayFormat(), log.openFileName()));
    } catch (const WorkStopped &) {
        return false;
    }
    if (!writeFailure.isEmpty()) {
        printError(QStringLiteral("cannot write ") + command.out + QStringLiteral(": ")
                   + writeFailure);
        return false;
    }
    // The export's message says it failed; this line says why.
    if (!exportFailure.isEmpty())
        printError(exportFailure);
    return true;
}

bool writePng(const CommandLine &command, CurveWindow &curves)
{
    if (!showCurves(curves))
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage picture
        = command.alarms.isEmpty() ? curves.curvePicture() : curves.curvePictureWithAlarms();
    if (command.scale != 1) {
        // Finer pixels, the same size on paper.
        const int dpmX = picture.dotsPerMeterX();
        const int dpmY = picture.dotsPerMeterY();
        picture = command.alarms.isEmpty() ? curves.curvePicture(command.scale)
                                           : curves.curvePictureWithAlarms(command.scale);
        picture.setDotsPerMeterX(dpmX * command.scale);
        picture.setDotsPerMeterY(dpmY * command.scale);
    }
    if (!picture.save(&buffer, "PNG")) {
        printError(QStringLiteral("cannot write ") + command.out
                   + QStringLiteral(": the picture could not be encoded"));
        return false;
    }
    return writeOutput(command.out, command.file, bytes);
}

// The printed pages, one PDF file each.
bool writePdf(const CommandLine &command, CurveWindow &curves, MessageSink &messages)
{
    if (!showCurves(curves))
        return false;
    curves.setPrintRange(command.start, command.end);
    curves.setAlarmsInPrints(!command.alarms.isEmpty());
    PdfFileJobSink pdf(command.out);
    pdf.setProtectedFile(command.file);
    PdfRunMessages pdfMessages(messages, pdf);
    curves.setPrintJobSink(&pdf);
    curves.setMessageSink(&pdfMessages);
    curves.printPages();
    curves.setPrintJobSink(nullptr);
    curves.setMessageSink(&messages);
    // The pages appear together once all are written; a failed or stopped run leaves the
    // folder as it was.
    if (StopSignals::received() != 0 || !pdf.finish()) {
        if (!pdf.writeFailure().isEmpty())
            printError(QStringLiteral("cannot write ") + pdf.writeFailure());
        return false;
    }
    return true;
}

// Picks --buffer and --format as a user would; the exit status when that
// ends the run.
std::optional<int> pickLists(const CommandLine &command, HeadlessDocument &log)
{
    using Pick = HeadlessDocument::Pick;
    if (command.buffer && log.pickBuffer(*command.buffer) == Pick::NotAvailable) {
        printError(QStringLiteral("--buffer: not available for ") + command.fileShown());
        return 2;
    }
    if (command.format) {
        switch (log.pickFormat(*command.format)) {
        case Pick::Done:
            break;
        case Pick::NotAvailable:
            printError(QStringLiteral("--format: not available for ") + command.fileShown());
            return 2;
        case Pick::Failed:
            // The message said why the file could not be read in the format.
            return 1;
        }
    }
    return std::nullopt;
}

} // namespace

QString CommandLine::usage()
{
    return QStringLiteral(
        "usage: norvale [FILE]\n"
        "       norvale --to csv|xlsx|png|pdf|stats FILE [-o OUT] [--buffer N] [--format F]\n"
        "               [--tags SHEET] [--lang zh|en] [--start ID] [--end ID] [--scale N]\n"
        "               [--encoding E] [--from T] [--until T] [--alarms ALARMFILE]\n"
        "       norvale --to alarm-stats ALARMFILE [-o OUT] [--from T] [--until T]\n"
        "  --to csv    the record grid as CSV (to OUT, or to stdout)\n"
        "  --to xlsx   the export of the record grid, saved to OUT\n"
        "  --to png    the curve picture, saved to OUT\n"
        "  --to pdf    the printed curve pages, one file per page: OUT-1.pdf, OUT-2.pdf, ...\n"
        "  --to stats  count, min, max, mean, first and last of each value column as CSV\n"
        "  --buffer N  record buffer 1..12 (data record databases)\n"
        "  --format F  display format 0..4\n"
        "  --tags SHEET  the tag sheet that names and scales the values\n"
        "  --lang L    UI language, zh (default) or en\n"
        "  --start ID  first ID to print (pdf)\n"
        "  --end ID    last ID to print (pdf)\n"
        "  --scale N   N times the pixels in each direction, 1..4 (png)\n"
        "  --encoding E  utf-8 (default), utf-8-bom or gb18030 (csv)\n"
        "  --from T    only the records at or after time T (2013-05-07 08:10:00, a date)\n"
        "  --until T   only the records at or before time T\n"
        "  --alarms ALARMFILE  ticks of its alarms on the curves (png, pdf)\n"
        "  --to alarm-stats  the alarm statistics of an alarm file as CSV\n");
}

bool CommandLine::takesValue(const QString &option)
{
    const Option *known = optionNamed(option);
    return known && known->kind != ValueKind::None;
}

CommandLine CommandLine::parse(const QStringList &arguments, QString &error)
{
    CommandLine command;
    QStringList positional;
    QList<const Option *> given;
    for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString &arg = arguments.at(i);
        const Option *option = optionNamed(arg);
        if (!option) {
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                error = QStringLiteral("unknown option %1").arg(arg);
            else
                positional << arg;
            continue;
        }
        QString value;
        if (option->kind != ValueKind::None) {
            if (i + 1 >= arguments.size()) {
                error = arg + QStringLiteral(": missing value");
                break;
            }
            value = arguments.at(++i);
        }
        // The same option twice is a usage error, not the last one winning.
        if (given.contains(option)) {
            error = arg + QStringLiteral(": given more than once");
            break;
        }
        given << option;
        qint64 number = 0;
        error = readValue(*option, value, number);
        if (error.isEmpty())
            option->store(command, number, value);
    }
    if (!error.isEmpty() || command.help || command.version)
        return command;
    if (positional.size() > 1) {
        error = QStringLiteral("more than one FILE");
        return command;
    }
    command.file = positional.value(0);
    error = combinationProblem(command);
    return command;
}

int runHeadless(const CommandLine &command)
{
    const QString problem = inputFileProblem(command.file);
    if (!problem.isEmpty()) {
        printError(QStringLiteral("cannot open ") + command.fileShown() + QStringLiteral(": ")
                   + problem);
        return 1;
    }
    // Before anything that installs handlers of its own (a private copy's), so that theirs pass
    // the signal on to this one: the run then cleans up and ends with the signal's status.
    StopSignals::install();
    UntilStopSignal untilStopped;
    Translations::useQtCatalogue(false);
    Translations::install(command.language);
    StderrMessages messages;
    HeadlessDocument log(command.language, messages, &untilStopped);
    // A faulty sheet is refused before anything is read: nothing is written.
    if (!command.tags.isEmpty() && !log.useTagSheet(command.tags))
        return 1;
    // So is an alarm file that cannot be read whole.
    std::optional<AlarmHistory> alarms;
    if (!command.alarms.isEmpty()) {
        if (const QString problem = inputFileProblem(command.alarms); !problem.isEmpty()) {
            printError(QStringLiteral("cannot open ") + command.alarms + QStringLiteral(": ")
                       + problem);
            return 1;
        }
        alarms = AlarmHistory::read(command.alarms);
        if (!alarms) {
            printError(QStringLiteral("--alarms: not an alarm file: ") + command.alarms);
            return 1;
        }
    }
    std::optional<int> picked;
    try {
        log.open(command.file);
        picked = pickLists(command, log);
    } catch (const WorkStopped &) {
        return StopSignals::exitStatus();
    }
    if (StopSignals::received() != 0)
        return StopSignals::exitStatus();
    if (picked)
        return *picked;
    // Only a grid that holds the file's records is written: OUT stays as it was.
    if (!log.loaded()) {
        if (messages.count == 0)
            printError(QStringLiteral("cannot read ") + command.fileShown());
        return 1;
    }

    if (command.to == CommandLine::Output::AlarmStats) {
        if (!log.document().holdsAlarms()) {
            printError(QStringLiteral("--to alarm-stats: not an alarm file: ")
                       + command.fileShown());
            return 2;
        }
    } else if (command.from || command.until) {
        // The records the time range dialog would show.
        log.document().setTimeRange({command.from, command.until});
    }

    // The curves are drawn by the curve window, hidden, over the document.
    std::unique_ptr<CurveWindow> curves;
    if (command.to == CommandLine::Output::Png || command.to == CommandLine::Output::Pdf) {
        curves = std::make_unique<CurveWindow>(log);
        curves->setScreenBound(false);
    }

    if (alarms && curves)
        curves->setAlarms(alarms);

    bool written = true;
    switch (command.to) {
    case CommandLine::Output::Csv:
        written = writeCsv(command, log);
        break;
    case CommandLine::Output::Xlsx:
        written = writeXlsx(command, log, messages, untilStopped);
        break;
    case CommandLine::Output::Png:
        written = writePng(command, *curves);
        break;
    case CommandLine::Output::Pdf:
        written = writePdf(command, *curves, messages);
        break;
    case CommandLine::Output::Stats:
        written = writeStatistics(command, log);
        break;
    case CommandLine::Output::AlarmStats:
        written = writeAlarmStatistics(command, log);
        break;
    case CommandLine::Output::None:
        break;
    }
    if (StopSignals::received() != 0)
        return StopSignals::exitStatus();
    if (!written)
        return 1;
    return messages.count > 0 ? 1 : 0;
}
