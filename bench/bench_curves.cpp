// Times one full redraw of the curve picture at the largest size: 1280 x 600,
// five broken-line curves of 6-pixel pens, both bands shown, values swinging
// across the whole plot height. Reports medians of the core draw, of the
// window's drawCurves (through a scroll step), and of a reference: filling a
// bitmap of the same size once.
//
//   bench_curves [repetitions]      (default 300)
#include "curves/CurvePicture.h"
#include "curvewindow/CurveTab.h"
#include "curvewindow/CurveWindow.h"
#include "document/RecordSource.h"
#include "records/RecordGridModel.h"
#include "widgets/SpinEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class Source : public RecordSource
{
public:
    const RecordGridModel &recordGrid() const override { return grid; }
    Language language() const override { return Language::English; }
    bool displayFormatEnabled() const override { return true; }
    ValueFormat::Format displayFormat() const override { return ValueFormat::Format::Unsigned16; }
    RecordGridModel grid;
};

void fill(RecordGridModel &grid, int rows)
{
    grid.setCols(13);
    grid.setRows(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        grid.setCell(0, r, QString::number(r));
        grid.setCell(1, r, QStringLiteral("2024-01-02"));
        grid.setCell(2, r, QStringLiteral("03:04:05"));
        for (int c = 3; c < 13; ++c) {
            // A fast wave plus a sawtooth: long steep segments, the worst case.
            const double v = 25000 + 25000 * std::sin(r * 0.9 + c) * ((r + c) % 3 == 0 ? 1 : 0.6);
            grid.setCell(c, r, QString::number(static_cast<int>(v)));
        }
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<double> timeRuns(int reps, const std::function<void(int)> &run)
{
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(reps));
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        run(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(5, atoi(argv[1])) : 300;

    Source src;
    fill(src.grid, 5000);

    CurveSettings s;
    s.width = 1280;
    s.height = 600;
    for (int k = 0; k < 5; ++k) {
        s.curves[static_cast<std::size_t>(k)].showKind = 1;
        s.curves[static_cast<std::size_t>(k)].widthIndex = 5;
        s.curves[static_cast<std::size_t>(k)].full = 50000;
    }

    QImage img;
    CurvePicture::View v;
    v.grid = &src.grid;
    v.scrollMax = src.grid.rows() - 2;
    CurvePicture::draw(img, s, v); // warm up fonts and caches
    const std::vector<double> core = timeRuns(reps, [&](int i) {
        v.pos = (i * 37) % 4000;
        CurvePicture::draw(img, s, v);
    });

    QImage ref(img.size(), QImage::Format_RGB32);
    const std::vector<double> fillRef
        = timeRuns(reps, [&](int i) { ref.fill(0xff000000u + unsigned(i)); });

    CurveWindow w(src);
    w.show();
    w.findChild<SpinEdit *>(QStringLiteral("pictureWidthSpin"))->setValue(1280);
    w.findChild<SpinEdit *>(QStringLiteral("pictureHeightSpin"))->setValue(600);
    for (int k = 0; k < 5; ++k) {
        w.curveTab(k)->showKindList()->setCurrentIndex(1);
        w.curveTab(k)->lineWidthList()->setCurrentIndex(5);
    }
    auto *bar = w.findChild<QScrollBar *>(QStringLiteral("dataScrollBar"));
    const std::vector<double> window
        = timeRuns(reps, [&](int i) { bar->setValue(1 + (i * 37) % 4000); });

    const double mc = median(core);
    const double mw = median(window);
    const double mf = median(fillRef);
    std::printf("picture %dx%d, 5 curves x %d points, 6-pixel pens, %d runs\n", img.width(),
                img.height(), (s.width - 50) / 10, reps);
    std::printf("core draw          median %.3f ms\n", mc);
    std::printf("window drawCurves   median %.3f ms\n", mw);
    std::printf("reference fill     median %.3f ms  (draw / fill = %.1f)\n", mf, mc / mf);
    return mw < 5.0 ? 0 : 1;
}
