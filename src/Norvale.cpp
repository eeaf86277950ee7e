// Start-up: the three windows and the message loop, or a command line run.

#include "cli/CommandLine.h"
#include "cli/ProgramInfo.h"
#include "colourdialog/MyColorDlg.h"
#include "curvewindow/LSCurrent.h"
#include "mainwindow/uTestSqlite.h"
#include "platform/Fonts.h"
#include "platform/OptionsStore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

void printText(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The help follows the language the browser was left in; English when the
// options hold none.
bool chineseHelp()
{
    const OptionsStore options;
    const auto n2 = options.readInteger(QStringLiteral("N2"));
    return n2 && *n2 != 0;
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
    QString error;
    const CommandLine command = CommandLine::parse(argumentsOf(argc, argv), error);
    if (!error.isEmpty()) {
        printText(stderr,
                  QStringLiteral("norvale: ") + error + QLatin1Char('\n') + CommandLine::usage());
        return 2;
    }
    if (command.help) {
        printText(stdout, ProgramInfo::helpText(chineseHelp()));
        return 0;
    }
    if (command.version) {
        printText(stdout, ProgramInfo::versionText());
        return 0;
    }
    const bool headless = command.to != CommandLine::Output::None;
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // stderr carries the windows' messages, one per line, and nothing else.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                printText(stderr, text + QLatin1Char('\n'));
        });
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvale"));
    QApplication::setDesktopFileName(QStringLiteral("tech.norvale.Norvale"));
    QApplication::setWindowIcon(programIcon());
    installFontSubstitutes();
    if (headless)
        return runHeadless(command);

    OptionsStore options;
    MainWindowServices services;
    services.options = &options;
    TMainFrm mainFrm(services);
    TLSCurrentFrm curves(mainFrm);
    TMyColorFrm colours;
    QObject::connect(&mainFrm, &TMainFrm::curvesRequested, &curves, &TLSCurrentFrm::showAndRaise);
    curves.setColourDialog(&colours);
    QObject::connect(&mainFrm, &TMainFrm::closed, &app, &QApplication::quit);
    mainFrm.show();
    if (!command.file.isEmpty()) {
        // Shown in the title and reloaded by its full name.
        const QString file = QDir::cleanPath(QFileInfo(command.file).absoluteFilePath());
        QTimer::singleShot(0, &mainFrm, [&mainFrm, file] { mainFrm.openFile(file); });
    }
    return app.exec();
}
