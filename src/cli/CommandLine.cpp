#include "cli/CommandLine.h"

#include "automation/Automation.h"
#include "curvewindow/LSCurrent.h"
#include "mainwindow/uTestSqlite.h"
#include "platform/MessageSink.h"
#include "platform/SafeOutputFile.h"
#include "platform/SameFile.h"
#include "printing/PrintJobSink.h"
#include "records/CsvWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

bool parseInteger(const QString &text, qint64 low, qint64 high, qint64 &value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= low && value <= high;
}

// Every message box becomes one line on stderr: caption, ": ", text.
class StderrMessages : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &caption, const QString &text,
                     bool) override
    {
        const QByteArray line = (caption + QStringLiteral(": ") + text).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        ++count;
    }
    int count = 0;
};

class FixedFile : public FileChooser
{
public:
    explicit FixedFile(QString file)
        : m_file(std::move(file))
    { }
    QString chooseFileToOpen(QWidget *) override { return m_file; }

private:
    QString m_file;
};

// Shows the curve window as its button does. In the no-data look its text
// is the only output and the answer is false.
bool showCurves(TMainFrm &main, TLSCurrentFrm &curves)
{
    main.BitBtn4Click();
    if (curves.hasCurves())
        return true;
    const QByteArray text = curves.noDataText().toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return false;
}

void printError(const QString &text)
{
    const QByteArray line = (QStringLiteral("norvale: ") + text).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
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
// page file that could not be written, which the command reports itself.
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
        if (m_pdf.writeFailure().isEmpty())
            m_messages.showMessage(parent, icon, caption, text, beep);
    }

private:
    MessageSink &m_messages;
    const PdfFileJobSink &m_pdf;
};

} // namespace

QString CommandLine::usage()
{
    return QStringLiteral(
        "usage: norvale [FILE]\n"
        "       norvale --to csv|xlsx|png|pdf FILE [-o OUT] [--buffer N] [--format F] [--lang "
        "zh|en]\n"
        "               [--start ID] [--end ID] [--scale N] [--encoding E]\n"
        "  --to csv    the record grid as CSV (to OUT, or to stdout)\n"
        "  --to xlsx   the export of the record grid, saved to OUT\n"
        "  --to png    the curve picture, saved to OUT\n"
        "  --to pdf    the printed curve pages, one file per page: OUT-1.pdf, OUT-2.pdf, ...\n"
        "  --buffer N  record buffer 1..12 (data record databases)\n"
        "  --format F  display format 0..4\n"
        "  --lang L    UI language, zh (default) or en\n"
        "  --start ID  first ID to print (pdf)\n"
        "  --end ID    last ID to print (pdf)\n"
        "  --scale N   N times the pixels in each direction, 1..4 (png)\n"
        "  --encoding E  utf-8 (default), utf-8-bom or gb18030 (csv)\n");
}

bool CommandLine::takesValue(const QString &option)
{
    for (const char *name : {"--to", "-o", "--buffer", "--format", "--lang", "--start", "--end",
                             "--scale", "--encoding"})
        if (option == QLatin1String(name))
            return true;
    return false;
}

CommandLine CommandLine::parse(const QStringList &arguments, QString &error)
{
    CommandLine command;
    QStringList positional;
    const auto valueOf = [&](qsizetype &i, const QString &name) -> std::optional<QString> {
        if (i + 1 >= arguments.size()) {
            error = name + QStringLiteral(": missing value");
            return std::nullopt;
        }
        return arguments.at(++i);
    };
    for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString &arg = arguments.at(i);
        qint64 number = 0;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            command.help = true;
        } else if (arg == QLatin1String("--version")) {
            command.version = true;
        } else if (arg == QLatin1String("--to")) {
            const auto v = valueOf(i, arg);
            if (!v)
                break;
            if (*v == QLatin1String("csv"))
                command.to = Output::Csv;
            else if (*v == QLatin1String("xlsx"))
                command.to = Output::Xlsx;
            else if (*v == QLatin1String("png"))
                command.to = Output::Png;
            else if (*v == QLatin1String("pdf"))
                command.to = Output::Pdf;
            else
                error = QStringLiteral("--to: unknown output '%1'").arg(*v);
        } else if (arg == QLatin1String("-o")) {
            if (const auto v = valueOf(i, arg))
                command.out = *v;
        } else if (arg == QLatin1String("--buffer") || arg == QLatin1String("--format")) {
            const bool buffer = arg == QLatin1String("--buffer");
            const int low = buffer ? 1 : 0;
            const int high = buffer ? 12 : 4;
            if (const auto v = valueOf(i, arg)) {
                if (parseInteger(*v, low, high, number))
                    (buffer ? command.buffer : command.format) = int(number);
                else
                    error = arg + QStringLiteral(": expected %1 to %2").arg(low).arg(high);
            }
        } else if (arg == QLatin1String("--lang")) {
            if (const auto v = valueOf(i, arg)) {
                if (*v == QLatin1String("zh") || *v == QLatin1String("en"))
                    command.english = *v == QLatin1String("en");
                else
                    error = QStringLiteral("--lang: expected zh or en");
            }
        } else if (arg == QLatin1String("--start") || arg == QLatin1String("--end")) {
            if (const auto v = valueOf(i, arg)) {
                if (!parseInteger(*v, std::numeric_limits<qint64>::min(),
                                  std::numeric_limits<qint64>::max(), number))
                    error = arg + QStringLiteral(": expected an integer");
                else if (arg == QLatin1String("--start"))
                    command.start = number;
                else
                    command.end = number;
            }
        } else if (arg == QLatin1String("--scale")) {
            if (const auto v = valueOf(i, arg)) {
                if (parseInteger(*v, 1, 4, number))
                    command.scale = int(number);
                else
                    error = arg + QStringLiteral(": expected 1 to 4");
            }
        } else if (arg == QLatin1String("--encoding")) {
            if (const auto v = valueOf(i, arg)) {
                const std::optional<CsvEncoding> encoding = csvEncodingNamed(*v);
                if (!encoding)
                    error = QStringLiteral("--encoding: expected utf-8, utf-8-bom or gb18030");
                else if (!csvEncodingAvailable(*encoding))
                    error = QStringLiteral("--encoding: %1 is not available on this platform")
                                .arg(*v);
                command.encoding = encoding.value_or(CsvEncoding::Utf8);
                command.encodingGiven = true;
            }
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            error = QStringLiteral("unknown option %1").arg(arg);
        } else {
            positional << arg;
        }
    }
    if (!error.isEmpty() || command.help || command.version)
        return command;
    if (positional.size() > 1) {
        error = QStringLiteral("more than one FILE");
        return command;
    }
    command.file = positional.value(0);
    if (command.scale != 1 && command.to != Output::Png) {
        error = QStringLiteral("--scale needs --to png");
        return command;
    }
    if (command.to == Output::None) {
        if (!command.out.isEmpty() || command.buffer || command.format)
            error = QStringLiteral("-o, --buffer and --format need --to");
        else if (command.encodingGiven)
            error = QStringLiteral("--encoding needs --to csv");
        else if (command.start || command.end)
            error = QStringLiteral("--start and --end need --to pdf");
        return command;
    }
    if (command.encodingGiven && command.to != Output::Csv)
        error = QStringLiteral("--encoding needs --to csv");
    else if (command.file.isEmpty())
        error = QStringLiteral("--to: missing FILE");
    else if (command.out.isEmpty() && command.to != Output::Csv)
        error = QStringLiteral("--to: missing -o OUT");
    else if (command.out == QLatin1String("-") && command.to != Output::Csv)
        error = QStringLiteral("-o: standard output takes only csv");
    else if (command.to == Output::Pdf)
        error = pageFilesProblem(command.out, command.file);
    else if (!isStdout(command.out))
        error = outputProblem(command.out, command.file);
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
    StderrMessages messages;
    FixedFile file(command.file);
    MainWindowServices services;
    services.messages = &messages;
    services.files = &file;
    QString writeFailure;
    if (command.to == CommandLine::Output::Xlsx) {
        services.automation = [&command, &writeFailure](const QString &) {
            return makeSavingWorkbookEngine(command.out, command.file, &writeFailure);
        };
    }
    TMainFrm main(services);
    TLSCurrentFrm curves(main);
    QObject::connect(&main, &TMainFrm::curvesRequested, &curves, &TLSCurrentFrm::showAndRaise);
    if (command.english)
        main.N3Click();
    else
        main.N2Click();
    main.OpenClick();

    if (command.buffer && !main.pickBuffer(*command.buffer - 1)) {
        printError(QStringLiteral("--buffer: not available for ") + command.fileShown());
        return 2;
    }
    if (command.format && !main.displayFormatEnabled()) {
        printError(QStringLiteral("--format: not available for ") + command.fileShown());
        return 2;
    }
    // The window said why the file could not be read in the format.
    if (command.format && !main.pickFormat(*command.format))
        return 1;

    switch (command.to) {
    case CommandLine::Output::Csv: {
        if (isStdout(command.out)) {
            QFile out;
            if (!out.open(stdout, QIODevice::WriteOnly)
                || !writeGridCsv(main.recordGrid(), out, command.encoding) || !out.flush()) {
                printError(QStringLiteral("cannot write stdout: ") + out.errorString());
                return 1;
            }
            break;
        }
        SafeOutputFile out(command.out);
        if (!out.open(command.file)
            || !writeGridCsv(main.recordGrid(), out.device(), command.encoding) || !out.commit()) {
            const QString reason
                = out.errorString().isEmpty() ? out.device().errorString() : out.errorString();
            out.discard();
            printError(QStringLiteral("cannot write ") + command.out + QStringLiteral(": ")
                       + reason);
            return 1;
        }
        break;
    }
    case CommandLine::Output::Xlsx:
        main.BitBtn3Click();
        if (!writeFailure.isEmpty()) {
            printError(QStringLiteral("cannot write ") + command.out + QStringLiteral(": ")
                       + writeFailure);
            return 1;
        }
        // The export's message says it failed; this line says why.
        if (!main.exportFailure().isEmpty())
            printError(main.exportFailure());
        break;
    case CommandLine::Output::Png: {
        if (!showCurves(main, curves))
            return 1;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImage picture = curves.curvePicture();
        if (command.scale != 1) {
            // Finer pixels, the same size on paper.
            const int dpmX = picture.dotsPerMeterX();
            const int dpmY = picture.dotsPerMeterY();
            picture = curves.curvePicture(command.scale);
            picture.setDotsPerMeterX(dpmX * command.scale);
            picture.setDotsPerMeterY(dpmY * command.scale);
        }
        if (!picture.save(&buffer, "PNG")) {
            printError(QStringLiteral("cannot write ") + command.out
                       + QStringLiteral(": the picture could not be encoded"));
            return 1;
        }
        if (!writeOutput(command.out, command.file, bytes))
            return 1;
        break;
    }
    case CommandLine::Output::Pdf: {
        if (!showCurves(main, curves))
            return 1;
        curves.setPrintRange(command.start, command.end);
        PdfFileJobSink pdf(command.out);
        pdf.setProtectedFile(command.file);
        PdfRunMessages pdfMessages(messages, pdf);
        curves.setPrintJobSink(&pdf);
        curves.setMessageSink(&pdfMessages);
        curves.BitBtn2Click();
        curves.setPrintJobSink(nullptr);
        curves.setMessageSink(&messages);
        if (!pdf.writeFailure().isEmpty()) {
            printError(QStringLiteral("cannot write ") + pdf.writeFailure());
            return 1;
        }
        break;
    }
    case CommandLine::Output::None:
        break;
    }
    return messages.count > 0 ? 1 : 0;
}
