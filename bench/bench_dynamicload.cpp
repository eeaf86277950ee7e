// Opens one binary data file in the main window with and without Dynamic
// Load and compares the times. Dynamic Load makes every record the current
// row; the grid is painted once per frame, so the two should stay close.
//
//   bench_dynamicload [records] [runs]      (default 1000000 records, 3 runs)
#include "mainwindow/MainWindow.h"
#include "platform/MessageSink.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class NoMessages : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &caption, const QString &text,
                     bool) override
    {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("data.bin"));
    if (QProcess::execute(QStringLiteral(NORVALE_SAMPLE_TOOL),
                          {QStringLiteral("data-bin"), file, QStringLiteral("--records"),
                           QString::number(records)})
        != 0) {
        std::fprintf(stderr, "make-sample-logs failed\n");
        return 2;
    }

    NoMessages messages;
    MainWindowServices services;
    services.messages = &messages;
    MainWindow window(services);
    window.show();
    QApplication::processEvents();
    auto *dynamic = window.findChild<QAction *>(QStringLiteral("N7"));

    std::vector<double> times[2];
    for (int run = 0; run < runs; ++run) {
        for (const bool on : {false, true}) {
            if (dynamic->isChecked() != on)
                dynamic->trigger();
            QElapsedTimer clock;
            clock.start();
            window.openFile(file);
            // The last picture is part of the load the user waits for.
            QApplication::processEvents();
            times[on].push_back(clock.nsecsElapsed() / 1e6);
            if (window.grid().rows() != records + 1) {
                std::fprintf(stderr, "loaded %d rows\n", window.grid().rows() - 1);
                return 2;
            }
        }
    }
    const double at = median(times[0]);
    const double dyn = median(times[1]);
    std::printf("%d records, median of %d runs\n", records, runs);
    std::printf("loaded at once      %9.1f ms\n", at);
    std::printf("with Dynamic Load   %9.1f ms  (%.2f x)\n", dyn, dyn / at);
    return dyn <= 1.5 * at ? 0 : 1;
}
