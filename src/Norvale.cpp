// Start-up: the three windows and the message loop, or a command line run.

#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "cli/ProgramInfo.h"
#include "curvewindow/CurveWindow.h"
#include "export/WorkbookTemplate.h"
#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/MainWindow.h"
#include "platform/Fonts.h"
#include "platform/NativeName.h"
#include "platform/OptionsStore.h"
#include "platform/PrivateFolder.h"
#include "widgets/ColourDialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace {

// A name of bytes that the locale's encoding cannot hold (a file name that is
// not valid UTF-8) does not survive the way through text. Such a file is
// reached through the process's own link to it, opened here by its bytes;
// the link leads to the file itself, not to a copy.
QString reachableName(const char *argument)
{
    const QString name = QFile::decodeName(argument);
#ifdef Q_OS_LINUX
    if (QFile::encodeName(name) != argument) {
        const int fd = ::open(argument, O_PATH | O_CLOEXEC);
        if (fd >= 0)
            return QStringLiteral("/proc/self/fd/%1").arg(fd);
    }
#endif
    return name;
}

#ifdef Q_OS_WIN
// The command line as Windows keeps it, in UTF-16: argv has it in the ANSI
// code page, which may lack a file name's characters.
QStringList wideArguments()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList list;
    for (int i = 1; arguments && i < count; ++i)
        list << QString::fromWCharArray(arguments[i]);
    LocalFree(arguments);
    return list;
}

// The offscreen platform reads the font files of one folder: the system's.
void useSystemFontFolder()
{
    if (qEnvironmentVariableIsSet("QT_QPA_FONTDIR"))
        return;
    wchar_t folder[MAX_PATH];
    const UINT size = GetWindowsDirectoryW(folder, MAX_PATH);
    if (size > 0 && size < MAX_PATH)
        qputenv(
            "QT_QPA_FONTDIR",
            (QString::fromWCharArray(folder, int(size)) + QStringLiteral("\\Fonts")).toLocal8Bit());
}
#endif

// The arguments, and the names to show for files reached through a link.
// Only FILE is: an option's value (OUT among them) keeps its bytes.
QStringList argumentsOf(int argc, char **argv, QHash<QString, QString> &shown)
{
#ifdef Q_OS_WIN
    if (QStringList wide = wideArguments(); wide.size() == argc - 1)
        return wide;
#endif
    QStringList list;
    for (int i = 1; i < argc; ++i) {
        // Byte for byte: OUT may be a name that is not text.
        const QString text = fileNameFromNative(argv[i]);
        const bool positional = !text.startsWith(QLatin1Char('-'))
            && (list.isEmpty() || !CommandLine::takesValue(list.last()));
        const QString name = positional ? reachableName(argv[i]) : text;
        if (name != text)
            shown.insert(name, text);
        list << name;
    }
    return list;
}

// The help follows the language the browser was left in; English when the
// options hold none.
Language helpLanguage()
{
    const OptionsStore options;
    const auto n2 = options.readInteger(StoredOption::chineseUi);
    return n2 && *n2 != 0 ? Language::Chinese : Language::English;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/norvale/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything opens a file that could take the place of a closed
    // standard output.
    holdClosedStandardDescriptors();
    prepareStandardStreams();
    QString error;
    QHash<QString, QString> shown;
    CommandLine command = CommandLine::parse(argumentsOf(argc, argv, shown), error);
    command.fileLabel = shown.value(command.file);
    if (!error.isEmpty()) {
        printText(stderr,
                  QStringLiteral("norvale: ") + error + QLatin1Char('\n') + CommandLine::usage());
        return 2;
    }
    if (command.help) {
        printText(stdout, ProgramInfo::helpText(helpLanguage()));
        return 0;
    }
    if (command.version) {
        printText(stdout, ProgramInfo::versionText());
        return 0;
    }
    const bool headless = command.to != CommandLine::Output::None;
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
        useSystemFontFolder();
#endif
        // stderr carries the windows' messages and the program's own lines,
        // nothing of the toolkit's.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtFatalMsg)
                printLine(stderr, QStringLiteral("norvale: ") + text);
        });
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvale"));
    // Private copies of databases that a killed run could not remove.
    PrivateFolder::removeAbandoned();
    QApplication::setDesktopFileName(QStringLiteral("tech.norvale.Norvale"));
    QApplication::setWindowIcon(programIcon());
    installFontSubstitutes();
    if (headless)
        return runHeadless(command);

    // Exports handed to the spreadsheet application a day ago or more.
    WorkbookTemplate::removeStaleExports(QDir::tempPath(), QDateTime::currentDateTime());

    releaseOwnConsole();
    OptionsStore options;
    MainWindowServices services;
    services.options = &options;
    MainWindow mainFrm(services);
    CurveWindow curves(mainFrm);
    ColourDialog colours;
    // The alarms beside the records are read before the curves first show them.
    QObject::connect(&mainFrm, &MainWindow::curvesRequested, &mainFrm, &MainWindow::wantAlarms);
    QObject::connect(&mainFrm, &MainWindow::curvesRequested, &curves, &CurveWindow::showAndRaise);
    QObject::connect(&mainFrm, &MainWindow::gridReloaded, &curves, &CurveWindow::refreshData);
    QObject::connect(&mainFrm, &MainWindow::alarmsChanged, &curves, &CurveWindow::setAlarms);
    QObject::connect(&mainFrm, &MainWindow::alarmRecordChosen, &curves,
                     &CurveWindow::showRowWithMarker);
    QObject::connect(&curves, &CurveWindow::screenTimesChanged, mainFrm.alarmList(),
                     &AlarmListWindow::setViewTimes);
    curves.setColourDialog(&colours);
    QObject::connect(&mainFrm, &MainWindow::closed, &app, &QApplication::quit);
    mainFrm.show();
    if (!command.file.isEmpty()) {
        // Shown in the title and reloaded by its full name; a name that is not
        // valid text is opened through its descriptor and shown as given.
        const QString file = command.fileLabel.isEmpty()
            ? QDir::cleanPath(QFileInfo(command.file).absoluteFilePath())
            : command.file;
        const QString shownName = command.fileLabel;
        QTimer::singleShot(0, &mainFrm,
                           [&mainFrm, file, shownName] { mainFrm.openFile(file, shownName); });
    }
    return app.exec();
}
