// Reading values off the curve picture: the point under the pointer, the
// readout texts for a real sample log, the markers and their differences,
// and a picture that the readout never touches.
#include "curves/CurveReadout.h"
#include "curvewindow/CurveReadoutOverlay.h"
#include "curvewindow/CurveWindow.h"
#include "mainwindow/MainWindow.h"
#include "records/RecordGridModel.h"
#include "support/LogFiles.h"
#include "support/MainWindowFixture.h"
#include "widgets/ImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// The main window over a real sample data log, and the curve window on it.
struct Windows : MainWindowFixture
{
    explicit Windows(const QString &file, bool chinese)
    {
        chooser.file = file;
        curves = std::make_unique<CurveWindow>(*main);
        if (chinese)
            main->switchToChinese();
        else
            main->switchToEnglish();
        main->openFromDialog();
        curves->show();
        curves->activateWindow();
        if (!QTest::qWaitForWindowActive(curves.get()))
            qWarning("the curve window is not active");
    }
    ImageView *image() const { return curves->findChild<ImageView *>(u"curveImage"_s); }
    CurveReadoutOverlay *overlay() const
    {
        return curves->findChild<CurveReadoutOverlay *>(u"CurveReadout"_s);
    }
    QString cell(int col, int row) const { return main->recordGrid().cell(col, row); }
    // Moves the pointer to point i of the screen, halfway down the plot.
    void hover(int i) const { QTest::mouseMove(image(), QPoint(50 + 10 * i + 3, 150)); }
    void click(int i) const
    {
        QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(50 + 10 * i - 4, 150));
    }

    std::unique_ptr<CurveWindow> curves;
};

QDateTime stamp(const QString &date, const QString &time)
{
    return QDateTime(QDate::fromString(date, u"yyyy-MM-dd"_s),
                     QTime::fromString(time, u"HH:mm:ss"_s), QTimeZone::utc());
}

} // namespace

class TestCurveReadout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pointUnderX_data();
    void pointUnderX();
    void valueChanges_data();
    void valueChanges();
    void timeBetween_data();
    void timeBetween();
    void readoutOfAKnownRow_data();
    void readoutOfAKnownRow();
    void pictureUntouchedByReadoutAndMarkers();
    void markersShowDifferences();
    void escapeClearsMarkers();
    void noReadoutWhenAskedForNone();
    void readoutWholeAtEveryHeight_data();
    void readoutWholeAtEveryHeight();
    void tagSheetColumnsNamedAndScaled();

private:
    QTemporaryDir m_dir;
    QString m_sample;
};

void TestCurveReadout::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_sample = m_dir.filePath(u"sample.bin"_s);
    QVERIFY(logfiles::makeSample({u"data-bin"_s, m_sample, u"--records"_s, u"300"_s}));
}

void TestCurveReadout::pointUnderX_data()
{
    QTest::addColumn<bool>("hideMarks");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("point"); // -1: none
    // Defaults: the plot starts at x = 50, 85 points 10 pixels apart.
    QTest::newRow("left of the plot") << false << 49 << -1;
    QTest::newRow("on the left frame line") << false << 50 << 0;
    QTest::newRow("just before halfway") << false << 54 << 0;
    QTest::newRow("halfway goes right") << false << 55 << 1;
    QTest::newRow("on a point") << false << 120 << 7;
    QTest::newRow("last point") << false << 890 << 84;
    QTest::newRow("past the last point") << false << 895 << -1;
    QTest::newRow("right of the frame") << false << 901 << -1;
    QTest::newRow("no label band") << true << 0 << 0;
    QTest::newRow("no label band, last point") << true << 894 << 89;
}

void TestCurveReadout::pointUnderX()
{
    QFETCH(bool, hideMarks);
    QFETCH(int, x);
    QFETCH(int, point);
    CurveSettings s;
    s.hideYMarks = hideMarks;
    const auto l = CurveGeometry::layout(s);
    QCOMPARE(CurveReadout::pointAt(l, x).value_or(-1), point);
    if (point >= 0)
        QVERIFY(std::abs(CurveReadout::markerX(l, point) - x) <= 5);
}

void TestCurveReadout::valueChanges_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("change"); // empty: none
    QTest::newRow("unsigned up") << 0 << u"100"_s << u"250"_s << u"+150"_s;
    QTest::newRow("signed across zero") << 1 << u"-5"_s << u"3"_s << u"+8"_s;
    QTest::newRow("32-bit down") << 2 << u"70000"_s << u"69990"_s << u"-10"_s;
    QTest::newRow("no change") << 0 << u"7"_s << u"7"_s << u"+0"_s;
    QTest::newRow("hex in hex") << 3 << u"0001ADB0"_s << u"0001ADBA"_s << u"+A"_s;
    QTest::newRow("hex down") << 3 << u"00000100"_s << u"00000001"_s << u"-FF"_s;
    QTest::newRow("real, decimals of the finer") << 4 << u"1.5"_s << u"0.25"_s << u"-1.25"_s;
    QTest::newRow("real with a comma") << 4 << u"2,5"_s << u"3,0"_s << u"+0.5"_s;
    QTest::newRow("infinity") << 4 << u"INF"_s << u"1.0"_s << QString();
    QTest::newRow("not a number") << 4 << u"NAN"_s << u"1.0"_s << QString();
    QTest::newRow("empty cell") << 0 << QString() << u"1"_s << QString();
    QTest::newRow("hex text in a decimal format") << 0 << u"1A"_s << u"1"_s << QString();
}

void TestCurveReadout::valueChanges()
{
    QFETCH(int, format);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, change);
    QCOMPARE(CurveReadout::valueChange(a, b, ValueFormat::Format(format)).value_or(QString()),
             change);
}

void TestCurveReadout::timeBetween_data()
{
    QTest::addColumn<QString>("dateA");
    QTest::addColumn<QString>("timeA");
    QTest::addColumn<QString>("dateB");
    QTest::addColumn<QString>("timeB");
    QTest::addColumn<qint64>("seconds"); // -1: none
    QTest::newRow("same day") << u"2013-05-07"_s << u"08:04:59"_s << u"2013-05-07"_s
                              << u"08:06:01"_s << qint64(62);
    QTest::newRow("over midnight")
        << u"2013-05-07"_s << u"23:59:59"_s << u"2013-05-08"_s << u"00:00:01"_s << qint64(2);
    QTest::newRow("backwards") << u"2013-05-07"_s << u"08:00:10"_s << u"2013-05-07"_s
                               << u"08:00:00"_s << qint64(-10);
    QTest::newRow("slashes") << u"2013/05/07"_s << u"08:00:00"_s << u"2013/05/07"_s << u"09:00:00"_s
                             << qint64(3600);
    QTest::newRow("a date that is none")
        << u"2013-02-30"_s << u"08:00:00"_s << u"2013-03-01"_s << u"08:00:00"_s << qint64(-1);
    QTest::newRow("empty time") << u"2013-05-07"_s << QString() << u"2013-05-07"_s << u"08:00:00"_s
                                << qint64(-1);
}

void TestCurveReadout::timeBetween()
{
    QFETCH(QString, dateA);
    QFETCH(QString, timeA);
    QFETCH(QString, dateB);
    QFETCH(QString, timeB);
    QFETCH(qint64, seconds);
    QCOMPARE(CurveReadout::secondsBetween(dateA, timeA, dateB, timeB).value_or(-1), seconds);
}

void TestCurveReadout::readoutOfAKnownRow_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("rowText");
    QTest::addColumn<QString>("valueText");
    QTest::newRow("Chinese, unsigned") << true << 0 << u"编号 %1  %2 %3"_s << u"缓冲区%1: %2"_s;
    QTest::newRow("English, unsigned") << false << 0 << u"ID %1  %2 %3"_s << u"Buffer%1: %2"_s;
    QTest::newRow("English, hex") << false << 3 << u"ID %1  %2 %3"_s << u"Buffer%1: %2"_s;
}

void TestCurveReadout::readoutOfAKnownRow()
{
    QFETCH(bool, chinese);
    QFETCH(int, format);
    QFETCH(QString, rowText);
    QFETCH(QString, valueText);
    Windows w(m_sample, chinese);
    QVERIFY(w.sink.messages.isEmpty());
    if (format) {
        w.curves->hide();
        QVERIFY(w.main->pickFormat(static_cast<ValueFormat::Format>(format)));
        w.curves->show();
    }
    QVERIFY(w.curves->hasCurves());
    w.curves->findChild<QScrollBar *>(u"dataScrollBar"_s)->setValue(20);
    w.hover(7);
    // Point 7 of the screen from position 20 is grid row 28.
    const int row = 28;
    const QList<CurveReadout::Line> lines = w.overlay()->readout();
    QStringList expected {rowText.arg(w.cell(0, row), w.cell(1, row), w.cell(2, row))};
    // The three curves shown at start, buffers 1 to 3, in their colours.
    const QRgb colours[] = {0xffff0000, 0xff00ff00, 0xff800080};
    for (int k = 0; k < 3; ++k) {
        expected << valueText.arg(k + 1).arg(w.cell(3 + k, row));
        QCOMPARE(lines.value(k + 1).colour.value_or(0), colours[k]);
    }
    QCOMPARE(CurveReadout::plainText(lines), expected.join(u'\n'));
    QVERIFY(!w.cell(3, row).isEmpty());
    QCOMPARE(w.cell(0, row), QString::number(w.curves->firstDataId() + row - 1));
    // Beside the pointer, inside the picture's control.
    QVERIFY(w.overlay()->readoutRect().isValid());
    QVERIFY(w.image()->rect().contains(w.overlay()->readoutRect()));

    // Off the plot, no readout.
    QTest::mouseMove(w.image(), QPoint(20, 150));
    QVERIFY(w.overlay()->readout().isEmpty());
    QVERIFY(w.overlay()->readoutRect().isEmpty());
}

void TestCurveReadout::pictureUntouchedByReadoutAndMarkers()
{
    Windows w(m_sample, false);
    const QImage before = w.curves->curvePicture();
    const qint64 key = w.image()->image().cacheKey();
    w.hover(3);
    w.click(3);
    w.click(40);
    w.hover(41);
    QVERIFY(!w.overlay()->readout().isEmpty());
    // No redraw happened, and the picture is the same, pixel for pixel.
    QCOMPARE(w.image()->image().cacheKey(), key);
    QCOMPARE(w.curves->curvePicture(), before);
    QCOMPARE(w.curves->curvePicture(1.0), before);
    // What the control shows under the overlay is still the picture.
    QImage shown(w.image()->size(), QImage::Format_RGB32);
    w.overlay()->hide();
    w.image()->render(&shown);
    w.overlay()->show();
    QCOMPARE(shown.copy(before.rect()), before);
}

void TestCurveReadout::markersShowDifferences()
{
    Windows w(m_sample, false);
    w.click(2);
    QCOMPARE(w.curves->markerA().value_or(-1), 3);
    QVERIFY(!w.curves->markerB());
    QVERIFY(CurveReadout::plainText(w.overlay()->readout())
                .endsWith(u"A: ID %1 (click again for B)"_s.arg(w.cell(0, 3))));
    w.click(12);
    QCOMPARE(w.curves->markerB().value_or(-1), 13);
    const QStringList lines = CurveReadout::plainText(w.overlay()->readout()).split(u'\n');
    // Row, three values, the markers, the time and three changes.
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[4], u"A: ID %1  B: ID %2"_s.arg(w.cell(0, 3), w.cell(0, 13)));
    const qint64 secs
        = stamp(w.cell(1, 3), w.cell(2, 3)).secsTo(stamp(w.cell(1, 13), w.cell(2, 13)));
    QVERIFY(secs >= 0 && secs < 3600);
    QCOMPARE(lines[5],
             u"B − A time: 00:%1:%2"_s.arg(secs / 60, 2, 10, QLatin1Char('0'))
                 .arg(secs % 60, 2, 10, QLatin1Char('0')));
    for (int k = 0; k < 3; ++k) {
        const qint64 d = w.cell(3 + k, 13).toLongLong() - w.cell(3 + k, 3).toLongLong();
        QCOMPARE(lines[6 + k],
                 u"Buffer%1 B − A: %2%3"_s.arg(k + 1).arg(d < 0 ? u""_s : u"+"_s).arg(d));
    }
    // A third click starts a new pair.
    w.click(5);
    QCOMPARE(w.curves->markerA().value_or(-1), 6);
    QVERIFY(!w.curves->markerB());
}

void TestCurveReadout::escapeClearsMarkers()
{
    Windows w(m_sample, true);
    w.click(2);
    w.click(9);
    QVERIFY(w.curves->markerA() && w.curves->markerB());
    QTest::keyClick(w.curves.get(), Qt::Key_Escape);
    QVERIFY(!w.curves->markerA() && !w.curves->markerB());
    w.hover(4);
    QCOMPARE(w.overlay()->readout().size(), 4);
}

void TestCurveReadout::noReadoutWhenAskedForNone()
{
    Windows w(m_sample, false);
    w.curves->findChild<QCheckBox *>(u"hideReadoutCheck"_s)->click();
    w.hover(4);
    QVERIFY(w.overlay()->readout().isEmpty());
    w.curves->findChild<QCheckBox *>(u"hideReadoutCheck"_s)->click();
    w.hover(5);
    QCOMPARE(w.overlay()->readout().size(), 4);
}

void TestCurveReadout::readoutWholeAtEveryHeight_data()
{
    QTest::addColumn<int>("height"); // of the plot
    QTest::addColumn<int>("width");
    for (const int height : {60, 90, 120, 160, 200, 300, 360, 600})
        QTest::addRow("%d high", height) << height << 900;
    QTest::newRow("narrow and low") << 100 << 300;
}

void TestCurveReadout::readoutWholeAtEveryHeight()
{
    QFETCH(int, height);
    QFETCH(int, width);
    Windows w(m_sample, false);
    // Both markers set: the readout's longest form, nine lines.
    w.click(2);
    w.click(12);
    w.curves->findChild<QWidget *>(u"pictureHeightSpin"_s)->setProperty("value", height);
    w.curves->findChild<QWidget *>(u"pictureWidthSpin"_s)->setProperty("value", width);
    const QRect picture = w.overlay()->rect();
    QVERIFY(picture.height() >= height);
    int shown = 0;
    // Every row of the screen, from the top of the picture to its bottom.
    for (int x = 53; x < picture.width(); x += 30) {
        for (int y = 0; y < picture.height(); y += 7) {
            QTest::mouseMove(w.image(), QPoint(x, y));
            if (w.overlay()->readout().size() != 9)
                continue;
            ++shown;
            QVERIFY2(picture.contains(w.overlay()->readoutRect()),
                     qPrintable(u"at %1,%2 the box %3,%4 %5x%6"_s.arg(x)
                                    .arg(y)
                                    .arg(w.overlay()->readoutRect().x())
                                    .arg(w.overlay()->readoutRect().y())
                                    .arg(w.overlay()->readoutRect().width())
                                    .arg(w.overlay()->readoutRect().height())));
        }
    }
    QVERIFY(shown > 0);
}

void TestCurveReadout::tagSheetColumnsNamedAndScaled()
{
    Windows w(m_sample, false);
    w.curves->hide();
    QVERIFY(w.main->useTagSheet(QStringLiteral(NORVALE_SAMPLE_TAGS)));
    w.curves->show();
    // Drawn in engineering units, and named by the sheet.
    QVERIFY(w.curves->hasCurves());
    w.hover(7);
    const int row = 8;
    QStringList lines = CurveReadout::plainText(w.overlay()->readout()).split(u'\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[1], u"Temperature [°C]: "_s + w.cell(3, row));
    QCOMPARE(lines[2], u"Batch progress [%]: "_s + w.cell(4, row));
    QVERIFY(w.cell(3, row).contains(u'.'));
    w.click(2);
    w.click(12);
    lines = CurveReadout::plainText(w.overlay()->readout()).split(u'\n');
    QCOMPARE(lines.size(), 9);
    for (int k = 0; k < 3; ++k) {
        const double d = w.cell(3 + k, 13).toDouble() - w.cell(3 + k, 3).toDouble();
        const int decimals = int(w.cell(3 + k, 3).section(u'.', 1).size());
        QCOMPARE(lines[6 + k],
                 w.cell(3 + k, 0) + u" B − A: "_s + (d < 0 ? u""_s : u"+"_s)
                     + QString::number(d, 'f', decimals));
    }
}

QTEST_MAIN(TestCurveReadout)
#include "tst_curvereadout.moc"
