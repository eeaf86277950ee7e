// Start-up: the three windows and the message loop, or a command line run.

#include "automation/WorkbookTemplate.h"
#include "cli/CommandLine.h"
#include "colourdialog/MyColorDlg.h"
#include "curvewindow/LSCurrent.h"
#include "mainwindow/uTestSqlite.h"
#include "platform/Fonts.h"
#include "platform/OptionsStore.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
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
        printText(stdout, CommandLine::usage());
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
    installFontSubstitutes();
    if (headless)
        return runHeadless(command);

    // Exports handed to the spreadsheet application a day ago or more.
    WorkbookTemplate::removeStaleExports(QDir::tempPath(), QDateTime::currentDateTime());

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
        const QString file = command.file;
        QTimer::singleShot(0, &mainFrm, [&mainFrm, file] { mainFrm.openFile(file); });
    }
    return app.exec();
}
