// Opening a binary log file in the real main window until the record grid's
// first paint, and a display-format change until the grid is painted again.
//   bench_openwindow FILE [RUNS]
// Run with QT_QPA_PLATFORM=offscreen. Prints each run and the medians, the
// format change also as a share of the open.
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "platform/MessageSink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class PrintedMessages : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &caption, const QString &text,
                     bool) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs the event loop until the grid has been painted once more.
void untilPainted(QApplication &app, PaintCounter &counter)
{
    const int before = counter.paints;
    while (counter.paints == before)
        app.processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_openwindow FILE [RUNS]\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    PrintedMessages messages;
    // Until painted, and the load alone (before the grid is painted).
    std::vector<double> opens, changes, opensOnly, changesOnly;
    for (int run = 0; run < runs; ++run) {
        MainWindowServices services;
        services.messages = &messages;
        MainWindow main(services);
        main.resize(1000, 700);
        main.show();
        auto *grid = main.findChild<RecordGridView *>(QStringLiteral("recordGrid"));
        PaintCounter counter;
        grid->viewport()->installEventFilter(&counter);
        untilPainted(app, counter);

        QElapsedTimer timer;
        timer.start();
        main.openFile(file);
        opensOnly.push_back(timer.nsecsElapsed() / 1e6);
        untilPainted(app, counter);
        const double open = timer.nsecsElapsed() / 1e6;

        timer.restart();
        if (!main.pickFormat(ValueFormat::Format::Signed32)) {
            std::fprintf(stderr, "no format list for %s\n", argv[1]);
            return 1;
        }
        changesOnly.push_back(timer.nsecsElapsed() / 1e6);
        untilPainted(app, counter);
        const double change = timer.nsecsElapsed() / 1e6;
        std::printf("run %d: open %.1f ms, format change %.1f ms (%d records)\n", run + 1, open,
                    change, main.grid().recordCount());
        opens.push_back(open);
        changes.push_back(change);
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double open = median(opens), change = median(changes);
    std::printf("median until painted: open %.1f ms, format change %.1f ms = %.2fx the open\n",
                open, change, change / open);
    const double openOnly = median(opensOnly), changeOnly = median(changesOnly);
    std::printf("median before the paint: load %.1f ms, format change %.1f ms = %.2fx the load\n",
                openOnly, changeOnly, changeOnly / openOnly);
    std::printf("peak RSS %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
