// The curve window on a screen with a scale factor of 2: the picture is
// drawn at the screen's pixels with the layout of one picture pixel per
// logical pixel, and the readout still finds rows by logical position.
#include "curves/CurvePicture.h"
#include "curvewindow/CurveReadoutOverlay.h"
#include "curvewindow/CurveWindow.h"
#include "document/RecordSource.h"
#include "records/RecordGridModel.h"
#include "widgets/ImageView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class Source : public RecordSource
{
public:
    Source()
    {
        grid.setCols(13);
        grid.setRows(201);
        for (int r = 1; r <= 200; ++r) {
            grid.setCell(0, r, QString::number(r));
            grid.setCell(1, r, u"2024-03-01"_s);
            grid.setCell(2, r, u"10:%1:00"_s.arg(r % 60, 2, 10, QLatin1Char('0')));
            for (int c = 3; c < 13; ++c)
                grid.setCell(c, r, QString::number((r * 997 + c * 131) % 40000));
        }
    }
    const RecordGridModel &recordGrid() const override { return grid; }
    Language language() const override { return Language::English; }
    bool displayFormatEnabled() const override { return true; }
    ValueFormat::Format displayFormat() const override { return ValueFormat::Format::Unsigned16; }

    RecordGridModel grid;
};

} // namespace

class TestCurveHiDpi : public QObject
{
    Q_OBJECT
private slots:
    void pictureAtTheScreensPixels();
};

void TestCurveHiDpi::pictureAtTheScreensPixels()
{
    Source src;
    CurveWindow w(src);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 2.0);
    auto *image = w.findChild<ImageView *>(u"curveImage"_s);
    const QImage shown = image->image();
    QCOMPARE(shown.devicePixelRatio(), 2.0);
    QCOMPARE(shown.size(), QSize(1804, 724));
    QCOMPARE(shown.deviceIndependentSize(), QSizeF(902, 362));
    // The same drawing as the picture at scale 2, and the scroll bar where
    // the layout in logical pixels puts it.
    QCOMPARE(shown, w.curvePicture(2.0));
    const QRect bar = w.findChild<QScrollBar *>(u"dataScrollBar"_s)->geometry();
    QCOMPARE(bar, QRect(50, 147 + 360 - 19, 850, 18));
    // The readout maps logical positions: point 4 is row 5.
    const QPointF at(50 + 40, 100);
    QMouseEvent move(QEvent::MouseMove, at, image->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(image, &move);
    const auto lines = w.findChild<CurveReadoutOverlay *>(u"CurveReadout"_s)->readout();
    QVERIFY(!lines.isEmpty());
    QVERIFY(lines.first().text.startsWith(u"ID 5  "_s));
}

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestCurveHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_curvehidpi.moc"
