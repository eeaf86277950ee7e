// The curve picture read back pixel by pixel: the drawing conventions of
// the canvas, the worked example with the window's defaults, and the cases
// that move the plot, end a curve or change a pen.
#include "curves/BitmapCanvas.h"
#include "curves/CurveGeometry.h"
#include "curves/CurvePicture.h"
#include "curves/FontClasses.h"
#include "curves/LineSamples.h"
#include "records/RecordGridModel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb Grid = 0xff6c6c6c;
constexpr QRgb Back = 0xff000000;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Lime = 0xff00ff00;
constexpr QRgb Purple = 0xff800080;
constexpr QRgb Yellow = 0xffffff00;
constexpr QRgb Fuchsia = 0xffff00ff;
constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;
constexpr QRgb Blue = 0xff0000ff;

// 100 data rows with IDs 1..100; value column c (3..12) of row r from fill.
void fillGrid(RecordGridModel &grid, int dataRows,
              const std::function<QString(int col, int row)> &fill)
{
    grid.setCols(13);
    grid.setRows(dataRows + 1);
    for (int r = 1; r <= dataRows; ++r) {
        grid.setCell(0, r, QString::number(r));
        grid.setCell(1, r, QStringLiteral("2024-01-02"));
        grid.setCell(2, r, QStringLiteral("03:04:05"));
        for (int c = 3; c < 13; ++c)
            grid.setCell(c, r, fill(c, r));
    }
}

// Curve 1 flat at 25000, curve 2 at 10000, curve 3 full scale on odd points;
// columns 6 and 7 for curves 4 and 5 (not shown by default).
QString exampleValue(int col, int row)
{
    switch (col) {
    case 3:
        return QStringLiteral("25000");
    case 4:
        return QStringLiteral("10000");
    case 5:
        return (row - 1) % 2 == 1 ? QStringLiteral("30000") : QStringLiteral("0");
    case 6:
        return QStringLiteral("10000");
    case 7:
        return QStringLiteral("5000");
    default:
        return QStringLiteral("1");
    }
}

QImage drawn(const CurveSettings &s, const RecordGridModel &grid, int pos = 0, bool real = false)
{
    QImage img;
    CurvePicture::View v;
    v.grid = &grid;
    v.realCells = real;
    v.pos = pos;
    v.scrollMax = grid.rows() - 2;
    CurvePicture::draw(img, s, v);
    return img;
}

QRgb px(const QImage &img, int x, int y)
{
    return img.pixel(x, y) | 0xff000000;
}

// Pixels of one row from x0 to x1 (exclusive) as characters.
QString rowString(const QImage &img, int y, int x0, int x1, const QHash<QRgb, QChar> &names)
{
    QString s;
    for (int x = x0; x < x1; ++x)
        s += names.value(px(img, x, y), u'?');
    return s;
}

struct Cell
{
    int col;
    int row;
    QString text;
};
using Cells = QList<Cell>;

struct Probe
{
    QPoint at;
    QRgb colour;
};
using Probes = QList<Probe>;

} // namespace

Q_DECLARE_METATYPE(CurveSettings)
Q_DECLARE_METATYPE(Cells)
Q_DECLARE_METATYPE(Probes)

class TestCurvePicture : public QObject
{
    Q_OBJECT
private slots:
    void thinLineStyles_data();
    void thinLineStyles();
    void lineExcludesItsEnd_data();
    void lineExcludesItsEnd();
    void rectangleOutline();
    void widePenIsSolidBand_data();
    void widePenIsSolidBand();
    void textHasOpaqueBackground();
    void pictureFontHasChineseGlyphsAndHalfWidthDigits();
    void lineSamples();

    void layout_data();
    void layout();
    void workedExampleFrameAndGrid();
    void workedExampleLabels();
    void workedExampleXInfo();
    void workedExampleCurves();
    void pointHeights_data();
    void pointHeights();

    void edgeCases_data();
    void edgeCases();
    void brokenLineKeepsItsPattern_data();
    void brokenLineKeepsItsPattern();
    void degenerateSettingsDoNotCrash_data();
    void degenerateSettingsDoNotCrash();
    void negativeMinimumLabels();

    void scaledPictureSameLayout_data();
    void scaledPictureSameLayout();
    void painterCanvasPaintsTheBitmapPixels_data();
    void painterCanvasPaintsTheBitmapPixels();
    void hugeCellTextIsCutToThePicture_data();
    void hugeCellTextIsCutToThePicture();
};

void TestCurvePicture::thinLineStyles_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("pixels"); // X pen, b brush, . untouched
    QTest::newRow("Solid") << 0 << QString(40, u'X');
    QTest::newRow("Dash 18-6") << 1 << QString(18, u'X') + QString(6, u'b') + QString(16, u'X');
    QTest::newRow("Dot 3-3") << 2 << QStringLiteral("XXXbbb").repeated(6) + QStringLiteral("XXXb");
    QTest::newRow("DashDot 9-6-3-6") << 3
                                     << QString(9, u'X') + QString(6, u'b') + QString(3, u'X')
            + QString(6, u'b') + QString(9, u'X') + QString(6, u'b') + QStringLiteral("X");
    QTest::newRow("DashDotDot 9-3-3-3-3-3")
        << 4
        << (QString(9, u'X') + QStringLiteral("bbbXXXbbbXXXbbb")).repeated(1) + QString(9, u'X')
            + QStringLiteral("bbbXXXb");
    QTest::newRow("Clear draws nothing") << 5 << QString(40, u'.');
    QTest::newRow("InsideFrame is solid") << 6 << QString(40, u'X');
}

void TestCurvePicture::thinLineStyles()
{
    QFETCH(int, style);
    QFETCH(QString, pixels);
    QImage img(50, 3, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setBrush(0xff808080);
    c.setPen({Black, static_cast<BitmapCanvas::Style>(style), 1});
    c.line(QPoint(0, 1), QPoint(40, 1));
    const QHash<QRgb, QChar> names {{Black, u'X'}, {0xff808080, u'b'}, {White, u'.'}};
    QCOMPARE(rowString(img, 1, 0, 40, names), pixels);
    QCOMPARE(px(img, 40, 1), White); // the end point stays unpainted
    QCOMPARE(rowString(img, 0, 0, 50, names), QString(50, u'.'));

    // The same line drawn as a broken line of four segments and a dog-leg:
    // the pattern runs on across the joints.
    img.fill(White);
    const QPoint joints[] = {{0, 1}, {10, 1}, {20, 1}, {27, 1}, {40, 1}};
    c.polyline(joints);
    QCOMPARE(rowString(img, 1, 0, 40, names), pixels);
    QCOMPARE(px(img, 40, 1), White);
}

void TestCurvePicture::lineExcludesItsEnd_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("painted");
    QTest::newRow("diagonal down") << QPoint(0, 0) << QPoint(5, 5) << 5;
    QTest::newRow("diagonal up") << QPoint(5, 9) << QPoint(0, 4) << 5;
    QTest::newRow("steep") << QPoint(3, 0) << QPoint(5, 9) << 9;
    QTest::newRow("one pixel") << QPoint(2, 2) << QPoint(2, 3) << 1;
    QTest::newRow("zero length") << QPoint(2, 2) << QPoint(2, 2) << 0;
    QTest::newRow("leaving the bitmap") << QPoint(8, 8) << QPoint(30, 8) << 2;
}

void TestCurvePicture::lineExcludesItsEnd()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, painted);
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setPen({Black, BitmapCanvas::Style::Solid, 1});
    c.line(from, to);
    int count = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            count += px(img, x, y) == Black;
    QCOMPARE(count, painted);
    if (painted > 0)
        QCOMPARE(px(img, from.x(), from.y()), Black);
    if (QRect(0, 0, 10, 10).contains(to))
        QCOMPARE(px(img, to.x(), to.y()), White);
}

void TestCurvePicture::rectangleOutline()
{
    QImage img(10, 12, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setBrush(Blue);
    c.setPen({Black, BitmapCanvas::Style::Dash, 3}); // outlines are always 1-pixel solid
    c.rectangle(2, 3, 7, 9);
    const QHash<QRgb, QChar> names {{Black, u'#'}, {Blue, u'o'}, {White, u'.'}};
    const QStringList expected = {
        QStringLiteral(".........."), QStringLiteral(".........."), QStringLiteral(".........."),
        QStringLiteral("..#####..."), QStringLiteral("..#ooo#..."), QStringLiteral("..#ooo#..."),
        QStringLiteral("..#ooo#..."), QStringLiteral("..#ooo#..."), QStringLiteral("..#####..."),
        QStringLiteral(".........."), QStringLiteral(".........."), QStringLiteral(".........."),
    };
    for (int y = 0; y < 12; ++y)
        QCOMPARE(rowString(img, y, 0, 10, names), expected[y]);
}

void TestCurvePicture::widePenIsSolidBand_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::newRow("solid 2") << 0 << 2;
    QTest::newRow("solid 6") << 0 << 6;
    QTest::newRow("dash 6 is solid") << 1 << 6;
    QTest::newRow("dot 4 is solid") << 2 << 4;
    QTest::newRow("inside frame 3") << 6 << 3;
}

void TestCurvePicture::widePenIsSolidBand()
{
    QFETCH(int, style);
    QFETCH(int, width);
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setBrush(0xff808080);
    c.setPen({Black, static_cast<BitmapCanvas::Style>(style), width});
    c.line(QPoint(5, 15), QPoint(30, 15));
    // Across the middle the band is exactly the pen's width, centred as
    // width div 2 above the line.
    for (int x = 8; x < 28; ++x) {
        for (int y = 0; y < 30; ++y) {
            const bool inBand = y >= 15 - width / 2 && y < 15 - width / 2 + width;
            QCOMPARE(px(img, x, y) == Black, inBand);
        }
    }
    // Never any brush-coloured gap.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            QVERIFY(px(img, x, y) != 0xff808080);
}

void TestCurvePicture::textHasOpaqueBackground()
{
    QImage img(60, 30, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setBrush(Red);
    const QFont f = FontClasses::pictureFont(12);
    c.text(QPoint(4, 5), QStringLiteral("81"), f, Blue);
    const QFontMetrics fm(f);
    const QRect box(4, 5, fm.horizontalAdvance(QStringLiteral("81")), fm.height());
    int ink = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const QRgb p = px(img, x, y);
            if (box.contains(x, y)) {
                QVERIFY2(p == Red || p == Blue, "text pixels are pure, on the brush colour");
                ink += p == Blue;
            } else {
                QCOMPARE(p, White);
            }
        }
    }
    QVERIFY(ink > 10);
}

void TestCurvePicture::pictureFontHasChineseGlyphsAndHalfWidthDigits()
{
    const QFont f = FontClasses::pictureFont(FontClasses::at(0).points);
    QCOMPARE(f.pixelSize(), 16);
    // Digits fill the 8-pixel cell the label layout counts with.
    QCOMPARE(QFontMetrics(f).horizontalAdvance(QStringLiteral("1000.0")), 48);
    QImage img(40, 24, QImage::Format_RGB32);
    img.fill(White);
    BitmapCanvas c(img);
    c.setBrush(White);
    c.text(QPoint(2, 2), QStringLiteral("宋"), f, Black);
    int ink = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            ink += px(img, x, y) == Black;
    QVERIFY2(ink > 20, "a substitute face draws the Chinese glyph");
}

void TestCurvePicture::lineSamples()
{
    const QImage clear = LineSamples::styleSample(5);
    QCOMPARE(clear.size(), QSize(30, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 30; ++x)
            QCOMPARE(px(clear, x, y), White);
    const QImage dash = LineSamples::styleSample(1);
    for (int y : {7, 8}) {
        QCOMPARE(px(dash, 0, y), Black);
        QCOMPARE(px(dash, 17, y), Black);
        QCOMPARE(px(dash, 18, y), White); // gap in the white brush
        QCOMPARE(px(dash, 24, y), Black);
    }
    QCOMPARE(px(dash, 5, 6), White);
    const QImage w6 = LineSamples::widthSample(5);
    QCOMPARE(w6.size(), QSize(70, 16));
    int rows = 0;
    for (int y = 0; y < 16; ++y)
        rows += px(w6, 35, y) == Black;
    QCOMPARE(rows, 6);
}

void TestCurvePicture::layout_data()
{
    QTest::addColumn<bool>("hideX");
    QTest::addColumn<bool>("hideY");
    QTest::addColumn<int>("xClass");
    QTest::addColumn<int>("yClass");
    QTest::addColumn<int>("xh");
    QTest::addColumn<int>("bw");
    QTest::addColumn<int>("hp");
    QTest::addColumn<int>("points");
    QTest::newRow("defaults") << false << false << 0 << 0 << 18 << 50 << 320 << 85;
    QTest::newRow("no Y marks") << false << true << 0 << 0 << 18 << 0 << 320 << 90;
    QTest::newRow("no X information") << true << false << 0 << 0 << 0 << 50 << 338 << 85;
    QTest::newRow("X class 160x320") << false << false << 9 << 0 << 322 << 50 << 16 << 85;
    QTest::newRow("Y class 12X24") << false << false << 0 << 1 << 18 << 86 << 320 << 81;
    QTest::newRow("Y class 160x320") << false << false << 0 << 9 << 18 << 962 << 320 << 0;
}

void TestCurvePicture::layout()
{
    QFETCH(bool, hideX);
    QFETCH(bool, hideY);
    QFETCH(int, xClass);
    QFETCH(int, yClass);
    QFETCH(int, xh);
    QFETCH(int, bw);
    QFETCH(int, hp);
    QFETCH(int, points);
    CurveSettings s;
    s.hideXInfo = hideX;
    s.hideYMarks = hideY;
    s.xInfoFontClass = xClass;
    s.markFontClass = yClass;
    const CurveGeometry::Layout l = CurveGeometry::layout(s);
    QCOMPARE(l.xInfoHeight, xh);
    QCOMPARE(l.bandWidth, bw);
    QCOMPARE(l.plotBottom, hp);
    QCOMPARE(l.valueHeight, hp - 1);
    QCOMPARE(l.points, points);
    QCOMPARE(l.xInfoAt, QPoint(bw, hp + 2));
    QCOMPARE(l.scrollBar, QRect(bw, 341, std::max(0, 900 - bw), 18));
}

void TestCurvePicture::workedExampleFrameAndGrid()
{
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    const QImage img = drawn(CurveSettings(), grid);
    QCOMPARE(img.size(), QSize(902, 362));

    // Outer frame in the grid colour on the outermost pixels.
    for (int y = 0; y < 362; ++y) {
        QCOMPARE(px(img, 0, y), Grid);
        QCOMPARE(px(img, 901, y), Grid);
    }
    for (int x = 0; x < 902; ++x) {
        // Curve 3's full-scale columns start on the top line.
        const bool column = x >= 60 && x <= 880 && (x - 60) % 20 == 0;
        QCOMPARE(px(img, x, 0), column ? Purple : Grid);
        QCOMPARE(px(img, x, 361), Grid);
    }

    // Row 100 crosses every vertical grid line, the plot frame's sides and
    // curve 3's columns (odd points, x = 60, 80, ... 880).
    const QList<int> verticals = {50, 191, 333, 475, 616, 758, 901};
    for (int x = 50; x <= 901; ++x) {
        const QRgb expected = verticals.contains(x)       ? Grid
            : (x >= 60 && x <= 880 && (x - 60) % 20 == 0) ? Purple
                                                          : Back;
        QVERIFY2(px(img, x, 100) == expected, qPrintable(QStringLiteral("x %1").arg(x)));
    }
    // Column 55 crosses every horizontal grid line, the plot frame's top and
    // bottom, and curve 1 at y 159.
    QList<int> horizontals;
    for (int j = 0; j < 10; ++j)
        horizontals << 32 * j;
    horizontals << 320;
    for (int y = 0; y <= 320; ++y) {
        const QRgb expected = horizontals.contains(y) ? Grid : y == 159 ? Red : Back;
        QVERIFY2(px(img, 55, y) == expected, qPrintable(QStringLiteral("y %1").arg(y)));
    }
    // Grid lines run from the band to x = W (the frame is at W + 1).
    QCOMPARE(px(img, 900, 32), Grid);
    QCOMPARE(px(img, 49, 32), Back);
    // Below the plot: background apart from the X information text.
    QCOMPARE(px(img, 49, 330), Back);
    QCOMPARE(px(img, 600, 350), Back);
}

void TestCurvePicture::workedExampleLabels()
{
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    const QImage img = drawn(CurveSettings(), grid);
    struct Label
    {
        QString text;
        QPoint at;
    };
    const QList<Label> labels = {{QStringLiteral("1000.0"), {1, 1}},
                                 {QStringLiteral("750.0"), {9, 81}},
                                 {QStringLiteral("500.0"), {9, 161}},
                                 {QStringLiteral("250.1"), {9, 241}},
                                 {QStringLiteral("0.1"), {25, 321}}};
    const std::vector<CurveGeometry::Mark> marks
        = CurveGeometry::marks(CurveSettings(), CurveGeometry::layout(CurveSettings()));
    QCOMPARE(int(marks.size()), labels.size());
    for (int j = 0; j < labels.size(); ++j) {
        QCOMPARE(marks[std::size_t(j)].text, labels[j].text);
        QCOMPARE(marks[std::size_t(j)].at, labels[j].at);
    }

    // Every yellow pixel of the band lies in a label's cells, and each label
    // has ink in its first character cell.
    for (int y = 1; y < 361; ++y) {
        for (int x = 1; x < 50; ++x) {
            if (px(img, x, y) != Yellow)
                continue;
            bool inside = false;
            for (const Label &l : labels)
                inside |= QRect(l.at, QSize(8 * int(l.text.size()), 16)).contains(x, y);
            QVERIFY2(inside,
                     qPrintable(QStringLiteral("stray label pixel at %1,%2").arg(x).arg(y)));
        }
    }
    for (const Label &l : labels) {
        bool ink = false;
        for (int y = l.at.y(); y < l.at.y() + 16; ++y)
            for (int x = l.at.x(); x < l.at.x() + 8; ++x)
                ink |= px(img, x, y) == Yellow;
        QVERIFY2(ink, qPrintable(l.text));
    }
    // No label reaches into the plot.
    for (int y = 0; y < 362; ++y)
        for (int x = 50; x < 902; ++x)
            QVERIFY(px(img, x, y) != Yellow);
}

void TestCurvePicture::workedExampleXInfo()
{
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    const QImage img = drawn(CurveSettings(), grid, 0);
    const QString text = QStringLiteral("2024-01-02 / 03:04:05 (1/100)");
    // The substitute face may reach a row or two below its 16-pixel cell
    // (brackets); the text still starts on row 322.
    const int bottom = 322 + QFontMetrics(FontClasses::pictureFont(12)).height();
    bool topRow = false;
    bool firstCell = false;
    int right = 0;
    for (int y = 0; y < 362; ++y) {
        for (int x = 0; x < 902; ++x) {
            if (px(img, x, y) != Fuchsia)
                continue;
            QVERIFY2(y >= 322 && y < bottom, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            topRow |= y < 326;
            QVERIFY(x >= 50);
            firstCell |= x < 58;
            right = std::max(right, x);
        }
    }
    QVERIFY(firstCell);
    QVERIFY(topRow);
    QVERIFY(right < 50 + 8 * int(text.size()));
    QVERIFY(right > 50 + 8 * (int(text.size()) - 2));
}

void TestCurvePicture::workedExampleCurves()
{
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    const QImage img = drawn(CurveSettings(), grid);
    // Curve 1: broken line at 25000 of 50000: h = nearest(159.5) = 160, y 159,
    // from x 50 to the 85th point at x 890, which is not painted.
    for (int x = 50; x < 890; ++x) {
        if (x >= 60 && (x - 60) % 20 == 0)
            continue; // curve 3's columns are drawn over it
        QVERIFY2(px(img, x, 159) == Red, qPrintable(QString::number(x)));
    }
    QCOMPARE(px(img, 880, 159), Purple);
    QCOMPARE(px(img, 889, 159), Red);
    QCOMPARE(px(img, 890, 159), Back);
    QCOMPARE(px(img, 52, 158), Back);
    QCOMPARE(px(img, 52, 160), Grid); // a grid line, 32 * 5
    // Curve 2: dots at 10000 of 40000: h = nearest(79.75) = 80, y 239.
    for (int i = 0; i < 85; ++i) {
        const int x = 50 + 10 * i;
        const QRgb at = px(img, x, 239);
        QVERIFY2(at == Lime || (x >= 60 && (x - 60) % 20 == 0 && at == Purple),
                 qPrintable(QString::number(x)));
        QVERIFY(px(img, x, 240) != Lime);
        QVERIFY(px(img, x + 5, 239) != Lime);
    }
    QCOMPARE(px(img, 890, 239), Lime);
    QCOMPARE(px(img, 900, 239), Back);
    // Curve 3: columns from y 0 down to, not including, Hv = 319; value 0
    // (on Hv) draws nothing.
    for (int y = 0; y < 319; ++y)
        QCOMPARE(px(img, 60, y), Purple);
    QCOMPARE(px(img, 60, 319), Back);
    QCOMPARE(px(img, 70, 300), Back);
    QCOMPARE(px(img, 880, 100), Purple);
    QCOMPARE(px(img, 890, 100), Back);
}

void TestCurvePicture::pointHeights_data()
{
    QTest::addColumn<qlonglong>("value");
    QTest::addColumn<qlonglong>("zero");
    QTest::addColumn<qlonglong>("full");
    QTest::addColumn<int>("y"); // -1: nothing to scale by
    QTest::newRow("worked example") << 25000LL << 0LL << 50000LL << 159;
    QTest::newRow("at full scale") << 50000LL << 0LL << 50000LL << 0;
    QTest::newRow("above full scale") << 99999LL << 0LL << 50000LL << 0;
    QTest::newRow("at zero scale") << 0LL << 0LL << 50000LL << 319;
    QTest::newRow("below zero scale") << -5LL << 0LL << 50000LL << 319;
    QTest::newRow("far beyond 32 bits") << 9000000000000000000LL << -32768LL << 999999999LL << 0;
    QTest::newRow("inverted scale") << 0LL << 100LL << 0LL << 0;
    QTest::newRow("negative zero scale") << -100LL << -200LL << 0LL << 159;
    QTest::newRow("full equals zero") << 5LL << 7LL << 7LL << -1;
}

void TestCurvePicture::pointHeights()
{
    QFETCH(qlonglong, value);
    QFETCH(qlonglong, zero);
    QFETCH(qlonglong, full);
    QFETCH(int, y);
    const CurveGeometry::Layout l = CurveGeometry::layout(CurveSettings());
    QCOMPARE(CurveGeometry::pointY(l, value, zero, full).value_or(-1), y);
}

void TestCurvePicture::edgeCases_data()
{
    QTest::addColumn<CurveSettings>("settings");
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("realCells");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<Probes>("probes");
    QTest::addColumn<QList<QRgb>>("absent");

    const auto only = [](std::initializer_list<int> shown) {
        CurveSettings s;
        for (int k = 0; k < 5; ++k)
            s.curves[std::size_t(k)].showKind = 0;
        const CurveSettings d;
        for (int k : shown)
            s.curves[std::size_t(k)].showKind = d.curves[std::size_t(k)].showKind;
        return s;
    };
    const auto column = [](int x, int y0, int y1, QRgb c) {
        Probes p;
        for (int y = y0; y <= y1; ++y)
            p << Probe {QPoint(x, y), c};
        return p;
    };
    const auto row = [](int y, int x0, int x1, QRgb c) {
        Probes p;
        for (int x = x0; x <= x1; ++x)
            p << Probe {QPoint(x, y), c};
        return p;
    };

    {
        CurveSettings s = only({0, 1});
        s.hideYMarks = true;
        // Frame, grid and first point at x 0; 90 points up to x 890.
        QTest::newRow("no Y marks") << s << 0 << false << Cells {}
                                    << (Probes {{{0, 100}, Grid},
                                                {{150, 100}, Grid},
                                                {{0, 159}, Red},
                                                {{889, 159}, Red},
                                                {{890, 159}, Back}})
                                    << QList<QRgb> {Yellow};
    }
    {
        CurveSettings s;
        s.hideXInfo = true;
        // Hp 338, Hv 337: 25000 of 50000 is h 168.5 -> 168, y 169.
        QTest::newRow("no X information")
            << s << 0 << false << Cells {}
            << (Probes {{{301, 338}, Grid}, {{301, 320}, Back}, {{55, 169}, Red}})
            << QList<QRgb> {Fuchsia};
    }
    {
        CurveSettings s;
        s.xInfoFontClass = 9;
        s.hideYMarks = true;
        // Xh 322, Hp 16, Hv 15: 25000 is h 7.5 -> 8, y 7.
        QTest::newRow("X class 160x320")
            << s << 0 << false << Cells {}
            << (Probes {{{301, 16}, Grid}, {{301, 17}, Back}, {{5, 7}, Red}}) << QList<QRgb> {};
    }
    {
        CurveSettings s = only({0});
        s.curves[0].showKind = int(ShowKind::Dot);
        QTest::newRow("values beyond the scale")
            << s << 0 << false
            << Cells {{3, 1, QStringLiteral("99999")}, {3, 2, QStringLiteral("-7")}}
            << (Probes {{{50, 0}, Red}, {{60, 319}, Red}, {{60, 318}, Back}}) << QList<QRgb> {};
    }
    // Ten rows (91..100) from position 90: the last point is x(9) = 140.
    QTest::newRow("short data at the end") << CurveSettings() << 90 << false << Cells {}
                                           << (Probes {{{139, 159}, Red},
                                                       {{140, 159}, Purple},
                                                       {{141, 159}, Back},
                                                       {{140, 239}, Purple},
                                                       {{130, 239}, Lime},
                                                       {{150, 239}, Back},
                                                       {{160, 100}, Back}})
                                           << QList<QRgb> {};
    QTest::newRow("real cells rounded half to even")
        << only({0}) << 0 << true
        << Cells {{3, 1, QStringLiteral("25000.500000")}, {3, 2, QStringLiteral("24999.5")}}
        << (Probes {{{55, 159}, Red}}) << QList<QRgb> {};
    QTest::newRow("real text in an integer format ends the curve")
        << only({0}) << 0 << false << Cells {{3, 1, QStringLiteral("25000.500000")}} << Probes {}
        << QList<QRgb> {Red};
    QTest::newRow("unreadable cell ends only that curve")
        << CurveSettings() << 0 << false << Cells {{3, 6, QStringLiteral("00A0")}}
        << (Probes {{{89, 159}, Red}, {{90, 159}, Back}, {{95, 159}, Back}, {{810, 239}, Lime}})
        << QList<QRgb> {};
    {
        CurveSettings s = only({});
        s.curves[3]
            = {int(ShowKind::BrokenLine), Blue, int(BitmapCanvas::Style::Dash), 0, 3, 20000, 0};
        s.curves[4] = {int(ShowKind::Dot), White, 0, 5, 4, 10000, 0};
        // Curve 4: 10000 of 20000 at y 159, dashed from x 50 (on to 67);
        // curve 5: 6-pixel dots at y 159, the first at x 53
        // covering x 50..55, the next 57..62.
        Probes p = row(159, 63, 66, Blue) + row(160, 50, 55, White) + row(160, 57, 62, White);
        p << Probe {{56, 159}, Blue} << Probe {{56, 161}, Back};
        QTest::newRow("curves 4 and 5 with their own pens")
            << s << 0 << false << Cells {} << p << QList<QRgb> {Red, Lime, Purple};
        s.curves[3].showKind = int(ShowKind::ColumnLine);
        // A column from y 159 to Hv 319 shows the 18-6 dash: 163..176 below
        // the dot, the gap 177..182 in the brush (background) colour.
        QTest::newRow("curve 4 as columns shows its dash gaps")
            << s << 0 << false << Cells {}
            << column(60, 163, 176, Blue) + column(60, 177, 182, Back) + column(60, 183, 183, Blue)
            << QList<QRgb> {};
    }
    {
        CurveSettings s = only({0});
        s.curves[0].widthIndex = 5;
        // A 6-pixel band on rows 156..161; the first point at x 53 keeps the
        // round end inside the frame.
        Probes p = column(58, 156, 161, Red);
        p << Probe {{58, 155}, Back} << Probe {{58, 162}, Back} << Probe {{50, 159}, Red}
          << Probe {{49, 159}, Back};
        QTest::newRow("6-pixel pen moves the first point")
            << s << 0 << false << Cells {} << p << QList<QRgb> {};
    }
    {
        CurveSettings s = only({0});
        s.curves[0].zero = 50000;
        QTest::newRow("full scale equal to zero scale")
            << s << 0 << false << Cells {} << Probes {} << QList<QRgb> {Red};
        s.curves[0].zero = 0;
        s.curves[0].style = int(BitmapCanvas::Style::Clear);
        QTest::newRow("clear pen") << s << 0 << false << Cells {} << Probes {} << QList<QRgb> {Red};
    }
    {
        CurveSettings s = only({});
        s.hideGrid = true;
        QTest::newRow("no grid lines")
            << s << 0 << false << Cells {}
            << (Probes {{{191, 100}, Back}, {{55, 32}, Back}, {{50, 100}, Grid}, {{55, 320}, Grid}})
            << QList<QRgb> {};
    }
}

void TestCurvePicture::edgeCases()
{
    QFETCH(CurveSettings, settings);
    QFETCH(int, pos);
    QFETCH(bool, realCells);
    QFETCH(Cells, cells);
    QFETCH(Probes, probes);
    QFETCH(QList<QRgb>, absent);
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    for (const Cell &c : cells)
        grid.setCell(c.col, c.row, c.text);
    const QImage img = drawn(settings, grid, pos, realCells);
    for (const Probe &p : probes) {
        QVERIFY2(px(img, p.at.x(), p.at.y()) == p.colour,
                 qPrintable(QStringLiteral("%1,%2 is %3, not %4")
                                .arg(p.at.x())
                                .arg(p.at.y())
                                .arg(px(img, p.at.x(), p.at.y()), 8, 16)
                                .arg(p.colour, 8, 16)));
    }
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            QVERIFY(!absent.contains(px(img, x, y)));
}

void TestCurvePicture::brokenLineKeepsItsPattern_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("pixels"); // X pen, b background, from the first point on
    QTest::newRow("Solid") << 0 << QString(48, u'X');
    QTest::newRow("Dash") << 1 << (QString(18, u'X') + QString(6, u'b')).repeated(2);
    QTest::newRow("Dot") << 2 << QStringLiteral("XXXbbb").repeated(8);
    QTest::newRow("DashDot") << 3 << QStringLiteral("XXXXXXXXXbbbbbbXXXbbbbbb").repeated(2);
    QTest::newRow("DashDotDot") << 4 << QStringLiteral("XXXXXXXXXbbbXXXbbbXXXbbb").repeated(2);
}

void TestCurvePicture::brokenLineKeepsItsPattern()
{
    // Curve 1 flat at y 159 with a point every 10 pixels from x 50.
    QFETCH(int, style);
    QFETCH(QString, pixels);
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    CurveSettings s;
    for (int k = 1; k < 5; ++k)
        s.curves[std::size_t(k)].showKind = 0;
    s.curves[0].style = style;
    const QImage img = drawn(s, grid, 0, false);
    const QHash<QRgb, QChar> names {{Red, u'X'}, {Back, u'b'}};
    QCOMPARE(rowString(img, 159, 50, 50 + 48, names), pixels);
}

void TestCurvePicture::degenerateSettingsDoNotCrash_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("divisions");
    QTest::addColumn<int>("markMax");
    QTest::addColumn<int>("decimals");
    QTest::newRow("smallest picture") << 8 << 8 << 5 << 6 << 10000 << 1;
    QTest::newRow("no plot height") << 900 << 40 << 5 << 6 << 10000 << 1;
    QTest::newRow("one mark") << 900 << 360 << 1 << 6 << 10000 << 1;
    QTest::newRow("negative mark count") << 900 << 360 << -9 << 6 << 10000 << 1;
    QTest::newRow("negative divisions") << 900 << 360 << 5 << -9 << 10000 << 1;
    QTest::newRow("largest picture") << 1280 << 600 << 15 << 99 << 10000 << 1;
    QTest::newRow("label longer than its band") << 900 << 360 << 5 << 6 << 5 << 3;
    QTest::newRow("widest labels") << 900 << 360 << 15 << 6 << -999999999 << 3;
}

void TestCurvePicture::degenerateSettingsDoNotCrash()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, marks);
    QFETCH(int, divisions);
    QFETCH(int, markMax);
    QFETCH(int, decimals);
    RecordGridModel grid;
    fillGrid(grid, 100, exampleValue);
    CurveSettings s;
    s.width = w;
    s.height = h;
    s.markCount = marks;
    s.vDivisions = divisions;
    s.hDivisions = divisions;
    s.markMax = markMax;
    s.markDecimals = decimals;
    const QImage img = drawn(s, grid);
    QCOMPARE(img.size(), QSize(w + 2, h + 2));
    // Labels may cover a tiny picture's frame; a real plot keeps it.
    if (h >= 100) {
        QCOMPARE(px(img, 0, h + 1), Grid);
        QCOMPARE(px(img, w + 1, h + 1), Grid);
    }
    if (marks < 2 && markMax == 10000) {
        // Bw keeps its width but no label is drawn.
        QCOMPARE(px(img, 50, 100), Grid);
        for (int y = 0; y < h + 2; ++y)
            for (int x = 0; x < 50; ++x)
                QVERIFY(px(img, x, y) != Yellow);
    }
}

void TestCurvePicture::negativeMinimumLabels()
{
    CurveSettings s;
    s.markMin = -5;
    const CurveGeometry::Layout l = CurveGeometry::layout(s);
    QCOMPARE(l.labelLength, 7);
    QCOMPARE(l.bandWidth, 58);
    const std::vector<CurveGeometry::Mark> m = CurveGeometry::marks(s, l);
    QCOMPARE(m.back().text, QStringLiteral("-0.5"));
    QCOMPARE(m.back().at, QPoint(25, 321));
    QCOMPARE(m.front().text, QStringLiteral("1000.0"));
    QCOMPARE(m.front().at, QPoint(9, 1));
}

// The picture's pixel x, y taken from one drawn at scale: every one of the
// scale x scale device pixels it became, or none when they differ.
std::optional<QRgb> scaledPixel(const QImage &scaled, int scale, int x, int y)
{
    const QRgb c = scaled.pixel(x * scale, y * scale);
    for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
            if (scaled.pixel(x * scale + dx, y * scale + dy) != c)
                return std::nullopt;
    return c;
}

void TestCurvePicture::scaledPictureSameLayout_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("texts");
    QTest::addColumn<int>("kind"); // of curve 1
    QTest::addColumn<int>("style");
    QTest::addColumn<double>("sameShare"); // of the picture's pixels
    QTest::newRow("2, frames and grid") << 2 << false << 0 << 0 << 1.0;
    QTest::newRow("3, frames and grid") << 3 << false << 0 << 0 << 1.0;
    QTest::newRow("2, dashed columns") << 2 << false << 3 << 1 << 1.0;
    QTest::newRow("2, dots") << 2 << false << 2 << 0 << 1.0;
    QTest::newRow("2, with texts") << 2 << true << 0 << 0 << 0.98;
    QTest::newRow("4, broken lines and texts") << 4 << true << 1 << 0 << 0.97;
}

void TestCurvePicture::scaledPictureSameLayout()
{
    QFETCH(int, scale);
    QFETCH(bool, texts);
    QFETCH(int, kind);
    QFETCH(int, style);
    QFETCH(double, sameShare);
    RecordGridModel grid;
    fillGrid(grid, 100, [](int c, int r) { return QString::number((r * 997 + c * 131) % 50000); });
    CurveSettings s;
    s.hideXInfo = !texts;
    s.hideYMarks = !texts;
    s.curves[0].showKind = kind;
    s.curves[0].style = style;
    for (int k = 1; k < CurveCount; ++k)
        s.curves[k].showKind = 0;
    CurvePicture::View v;
    v.grid = &grid;
    v.scrollMax = 99;
    QImage plain;
    const auto l1 = CurvePicture::draw(plain, s, v);
    QImage scaled;
    const auto l2 = CurvePicture::draw(scaled, s, v, scale);
    QCOMPARE(scaled.size(), plain.size() * scale);
    QCOMPARE(scaled.devicePixelRatio(), qreal(scale));
    QCOMPARE(scaled.deviceIndependentSize(), QSizeF(plain.size()));
    QCOMPARE(l2.points, l1.points);
    QCOMPARE(l2.scrollBar, l1.scrollBar);
    qint64 same = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (scaledPixel(scaled, scale, x, y) == plain.pixel(x, y))
                ++same;
    const double share = double(same) / (qint64(plain.width()) * plain.height());
    QVERIFY2(share >= sameShare, qPrintable(QString::number(share)));
    // The frame and every grid line stay where they were (where no curve
    // crosses them).
    if (kind != 0)
        return;
    for (int x : CurveGeometry::verticalGrid(s, l1))
        QCOMPARE(scaledPixel(scaled, scale, x, l1.plotBottom / 2 + 3).value_or(0), Grid);
    for (int y : CurveGeometry::horizontalGrid(s, l1))
        QCOMPARE(scaledPixel(scaled, scale, l1.bandWidth + 3, y).value_or(0), Grid);
}

void TestCurvePicture::painterCanvasPaintsTheBitmapPixels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("widthIndex");
    QTest::newRow("solid columns") << 3 << 0 << 0;
    QTest::newRow("dotted columns") << 3 << 2 << 0;
    QTest::newRow("dash-dot-dot columns") << 3 << 4 << 0;
    QTest::newRow("clear") << 1 << 5 << 0;
    QTest::newRow("dots") << 2 << 0 << 0;
}

void TestCurvePicture::painterCanvasPaintsTheBitmapPixels()
{
    QFETCH(int, kind);
    QFETCH(int, style);
    QFETCH(int, widthIndex);
    RecordGridModel grid;
    fillGrid(grid, 100, [](int c, int r) { return QString::number((r * 733 + c * 57) % 50000); });
    CurveSettings s;
    s.hideXInfo = true;
    s.hideYMarks = true;
    s.curves[0] = {kind, Red, style, widthIndex, 0, 50000, 0};
    s.curves[1].showKind = 0;
    s.curves[2].showKind = 0;
    CurvePicture::View v;
    v.grid = &grid;
    QImage bitmap;
    CurvePicture::draw(bitmap, s, v);
    QImage painted(bitmap.size(), QImage::Format_RGB32);
    painted.fill(White);
    {
        QPainter p(&painted);
        CurvePicture::paint(p, s, v);
    }
    // Straight lines, frames and dashes land on the very same pixels.
    QCOMPARE(painted, bitmap);
}

QTEST_MAIN(TestCurvePicture)
#include "tst_curvepicture.moc"

void TestCurvePicture::hugeCellTextIsCutToThePicture_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("col");
    // A text is built to about 50 MB; the picture can show W + 2 characters at most.
    QTest::newRow("ASCII date") << u"x"_s << 1;
    QTest::newRow("Chinese time") << u"\u6570"_s << 2;
    QTest::newRow("surrogate pairs") << u"\U0001F600"_s << 1;
}

void TestCurvePicture::hugeCellTextIsCutToThePicture()
{
    QFETCH(QString, unit);
    QFETCH(int, col);
    const CurveSettings s;
    const int shown = s.width + 2;
    const QByteArray unitUtf8 = unit.toUtf8();
    const QByteArray huge = unitUtf8.repeated(50'000'000 / unitUtf8.size());
    RecordGridModel big;
    fillGrid(big, 100, exampleValue);
    big.setCellUtf8(col, 1, huge);
    RecordGridModel cut;
    fillGrid(cut, 100, exampleValue);
    cut.setCellUtf8(col, 1, unitUtf8.repeated(shown / int(unit.size())));
    const QImage whole = drawn(s, big);
    QVERIFY(!whole.isNull());
    QCOMPARE(whole, drawn(s, cut));
    // The text was drawn, not dropped.
    RecordGridModel plain;
    fillGrid(plain, 100, exampleValue);
    QVERIFY(whole != drawn(s, plain));
}
