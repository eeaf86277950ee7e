// Exporting a record grid through the workbook engine against libxlsxwriter
// alone writing the same typed cells (dates, times and numbers with their
// number formats, titles as strings) in constant-memory mode.
//
//   bench_export [--rows N] [--runs K] [--out DIR]
//
// Each measurement runs in a child process of its own (reference and engine
// alternating) so that peak memory is per run: the peak is taken above the
// resident size once the grid is loaded.

#include "export/ExcelExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr int Cols = 13;

void fillGrid(RecordGridModel &grid, int records)
{
    grid.beginBatch();
    grid.setCols(Cols);
    grid.setRows(records + 1);
    grid.setCell(0, 0, u"ID"_s);
    grid.setCell(1, 0, u"日期"_s);
    grid.setCell(2, 0, u"时间"_s);
    for (int c = 3; c < Cols; ++c)
        grid.setCell(c, 0, u"Data(%1)"_s.arg(c - 3));
    char buf[32];
    for (int r = 1; r <= records; ++r) {
        grid.setCellUtf8(0, r, QByteArray::number(r));
        std::snprintf(buf, sizeof buf, "20%02d-%02d-%02d", 20 + r % 7, 1 + r % 12, 1 + r % 28);
        grid.setCellUtf8(1, r, buf);
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", r / 3600 % 24, r / 60 % 60, r % 60);
        grid.setCellUtf8(2, r, buf);
        for (int c = 3; c < Cols; ++c)
            grid.setCellUtf8(c, r, QByteArray::number((r * 37 + c * 101) % 65536));
    }
    grid.endBatch();
}

long statusKb(const char *key)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return -1;
}

// The same typed cells straight into libxlsxwriter, one number format per
// column and no other formats; the grid's fixed-form texts read directly.
bool writeReference(const RecordGridModel &grid, const QByteArray &path)
{
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *wb = workbook_new_opt(path.constData(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format *time = workbook_add_format(wb);
    format_set_num_format(time, "hh:mm:ss");
    lxw_format *integer = workbook_add_format(wb);
    format_set_num_format(integer, "0");
    auto num = [](const char *p, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = v * 10 + (p[i] - '0');
        return v;
    };
    std::string text;
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 1; c < grid.cols(); ++c) {
            const CellText cell = grid.cellUtf8(c, r);
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c - 1);
            const char *p = cell.data();
            if (r == 0) {
                text.assign(p, static_cast<std::size_t>(cell.size()));
                worksheet_write_string(ws, row, col, text.c_str(), nullptr);
            } else if (c == 1) {
                lxw_datetime d {num(p, 4), num(p + 5, 2), num(p + 8, 2), 0, 0, 0};
                worksheet_write_datetime(ws, row, col, &d, date);
            } else if (c == 2) {
                const double day
                    = (num(p, 2) * 3600 + num(p + 3, 2) * 60 + num(p + 6, 2)) / 86400.0;
                worksheet_write_number(ws, row, col, day, time);
            } else {
                worksheet_write_number(ws, row, col, num(p, static_cast<int>(cell.size())),
                                       integer);
            }
        }
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

class NoProgress : public ExportProgress
{
public:
    void start(int) override { }
    void setPosition(int) override { }
    void finish() override { }
};

class CountMessages : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &, const QString &text, bool) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        ++count;
    }
    int count = 0;
};

int child(const QString &mode, int records, const QString &outDir)
{
    RecordGridModel grid;
    fillGrid(grid, records);
    // Peak memory from here on (Linux: 5 resets the high-water mark).
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    const long baseKb = statusKb("VmRSS:");
    const QString out = outDir + u'/' + mode + u".xlsx"_s;
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (mode == u"ref"_s) {
        ok = writeReference(grid, QFile::encodeName(out));
    } else {
        auto engine = makeSavingWorkbookEngine(out);
        NoProgress progress;
        CountMessages messages;
        exportRecordGrid(grid, Language::English, *engine, progress, messages, nullptr);
        ok = messages.count == 0;
    }
    const qint64 ms = timer.elapsed();
    const long peakKb = statusKb("VmHWM:");
    const qint64 size = QFileInfo(out).size();
    QFile::remove(out);
    std::printf("%lld %ld %ld %lld\n", static_cast<long long>(ms), baseKb, peakKb,
                static_cast<long long>(size));
    return ok ? 0 : 1;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const auto n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const QString &name, const QString &fallback) {
        const auto i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int records = option(u"--rows"_s, u"1000000"_s).toInt();
    const int runs = option(u"--runs"_s, u"3"_s).toInt();
    const QString childMode = option(u"--child"_s, QString());
    if (!childMode.isEmpty())
        return child(childMode, records, option(u"--out"_s, QDir::tempPath()));

    QTemporaryDir dir;
    struct Series
    {
        QList<double> seconds, peakMb, sizeMb;
    };
    Series ref, engine;
    for (int run = 0; run < runs; ++run) {
        for (const QString &mode : {u"ref"_s, u"engine"_s}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(app.applicationFilePath(),
                    {u"--child"_s, mode, u"--rows"_s, QString::number(records), u"--out"_s,
                     dir.path()});
            p.waitForFinished(-1);
            const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
            if (p.exitCode() != 0 || f.size() != 4) {
                std::fprintf(stderr, "run %d (%s) failed\n", run, qPrintable(mode));
                return 1;
            }
            Series &s = mode == u"ref"_s ? ref : engine;
            s.seconds.append(f[0].toDouble() / 1000);
            s.peakMb.append((f[2].toDouble() - f[1].toDouble()) / 1024);
            s.sizeMb.append(f[3].toDouble() / 1048576);
            std::printf("run %d %-6s %7.2f s  peak above grid %6.1f MB  (grid loaded: %.0f MB)\n",
                        run + 1, qPrintable(mode), s.seconds.last(), s.peakMb.last(),
                        f[1].toDouble() / 1024);
            std::fflush(stdout);
        }
    }
    std::printf("%d rows x %d columns, %d runs each (medians)\n", records, Cols - 1, runs);
    std::printf("libxlsxwriter alone (typed): %.2f s, peak above grid %.1f MB, file %.1f MB\n",
                median(ref.seconds), median(ref.peakMb), median(ref.sizeMb));
    std::printf("workbook engine:     %.2f s, peak above grid %.1f MB, file %.1f MB\n",
                median(engine.seconds), median(engine.peakMb), median(engine.sizeMb));
    std::printf("ratio engine / libxlsxwriter: %.2f\n",
                median(engine.seconds) / median(ref.seconds));
    return 0;
}
