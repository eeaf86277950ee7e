// Printing the curve pages: the print run of the curve window through a sink
// that keeps every job, and the real PDF files of the file printer.
#include "curves/CurvePicture.h"
#include "curvewindow/CurveWindow.h"
#include "printing/PrintJobSink.h"
#include "records/RecordGridModel.h"
#include "support/GridSource.h"
#include "support/MessageRecorder.h"
#include "support/NamedControl.h"
#include "support/PdfFile.h"
#include "widgets/SpinEdit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class Source : public GridSource
{
public:
    // dataRows 16-bit data records with IDs from firstId.
    void load(int dataRows, int firstId = 1)
    {
        grid.makeEmpty();
        grid.setCols(13);
        grid.setRows(dataRows + 1);
        for (int r = 1; r <= dataRows; ++r) {
            grid.setCell(0, r, QString::number(firstId + r - 1));
            grid.setCell(1, r, u"2024-03-01"_s);
            grid.setCell(2, r, QStringLiteral("10:%1:00").arg(r % 60, 2, 10, QLatin1Char('0')));
            for (int c = 3; c < 13; ++c)
                grid.setCell(c, r, QString::number((r * 997 + c * 131) % 40000));
        }
    }
};

// Keeps every job with what the window looked like when it began.
class RecordingSink : public PrintJobSink
{
public:
    struct Job
    {
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        int position = -1;
        bool panelShown = true;
        QSize windowSize;
        QImage image;
        QSizeF screenDpi;
        QString name;
        bool ended = false;
    };

    explicit RecordingSink(QWidget &window)
        : m_window(window)
    { }

    void setOrientation(QPageLayout::Orientation o) override { m_orientation = o; }
    QPageLayout::Orientation orientation() const override { return m_orientation; }
    bool beginJob(const QString &docName) override
    {
        if (refuseFrom >= 0 && jobs.size() >= refuseFrom)
            return false;
        Job job;
        job.name = docName;
        job.orientation = m_orientation;
        job.position = m_window.findChild<QScrollBar *>(u"dataScrollBar"_s)->value();
        job.panelShown = m_window.findChild<QWidget *>(u"settingsPanel"_s)->isVisible();
        job.windowSize = m_window.size();
        jobs << job;
        return true;
    }
    void drawPage(const PagePicture &page, QSizeF screenDpi) override
    {
        jobs.last().image = page.image();
        jobs.last().screenDpi = screenDpi;
    }
    bool endJob() override
    {
        jobs.last().ended = true;
        return true;
    }
    QString errorText() const override { return u"Office-Laser"_s; }
    // The user picks portrait in the dialog.
    void setUp(QWidget *, const PrinterSetupTexts &texts) override
    {
        ++setUps;
        setUpTexts = texts;
        m_orientation = QPageLayout::Portrait;
    }

    QList<Job> jobs;
    int refuseFrom = -1;
    int setUps = 0;
    PrinterSetupTexts setUpTexts;

private:
    QWidget &m_window;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
};

template<typename T> T *child(const QWidget &w, const char *name)
{
    T *c = namedControl<T>(w, QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// The window's look outside a run, to see it restored.
struct Look
{
    QSize size;
    QRect bar;
    QRect picture;
    bool panel = false;
    bool barShown = false;
    QString pages;

    static Look of(const QWidget &w)
    {
        return {w.size(),
                child<QScrollBar>(w, "dataScrollBar")->geometry(),
                child<QWidget>(w, "curveImage")->geometry(),
                child<QWidget>(w, "settingsPanel")->isVisible(),
                child<QScrollBar>(w, "dataScrollBar")->isVisible(),
                child<QLabel>(w, "pageCountLabel")->text()};
    }
    bool operator==(const Look &) const = default;
};

char *toString(const Look &l)
{
    return qstrdup(QStringLiteral("size %1x%2 bar %3,%4 picture y %5 panel %6 bar shown %7 \"%8\"")
                       .arg(l.size.width())
                       .arg(l.size.height())
                       .arg(l.bar.x())
                       .arg(l.bar.y())
                       .arg(l.picture.y())
                       .arg(l.panel)
                       .arg(l.barShown)
                       .arg(l.pages)
                       .toUtf8()
                       .constData());
}

void setRange(CurveWindow &w, int start, int end)
{
    child<SpinEdit>(w, "printStartSpin")->setValue(start);
    child<SpinEdit>(w, "printEndSpin")->setValue(end);
}

// The curve picture of the window's settings for the screen at pos.
QImage screenAt(const CurveWindow &w, const Source &src, int pos)
{
    QImage picture;
    CurvePicture::View v;
    v.grid = &src.grid;
    v.pos = pos;
    v.scrollMax = src.grid.rows() - 2;
    CurvePicture::draw(picture, w.settings(), v);
    return picture;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT
private slots:
    void printsOneJobPerScreenPage_data();
    void printsOneJobPerScreenPage();
    void landscapeEvenAfterPortraitSetUp();
    void nothingToPrint_data();
    void nothingToPrint();
    void refusedJobStopsTheRun_data();
    void refusedJobStopsTheRun();
    void noPrinterInstalled_data();
    void noPrinterInstalled();
    void setUpInTheInterfaceLanguage_data();
    void setUpInTheInterfaceLanguage();
    void drawnAtPrinterScale_data();
    void drawnAtPrinterScale();
    void jobFileNames_data();
    void jobFileNames();
    void pdfFilesOnePagePerJob();
    void pdfPageShowsThePictureAtScreenSize();
    void pdfNeverOverwritesTheBrowsedFile();
    void failedPdfRunLeavesTheFolder_data();
    void failedPdfRunLeavesTheFolder();
    void pdfPageMatchesTheScreenPicture_data();
    void pdfPageMatchesTheScreenPicture();
};

void TestPrinting::printsOneJobPerScreenPage_data()
{
    QTest::addColumn<int>("endBefore"); // an end set first, or 0
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QList<int>>("positions");
    // The screen the user looks at when printing, and is shown again after.
    QTest::addColumn<int>("looking");
    QTest::addColumn<QString>("pages");

    // 300 data rows from ID 1; 85 points per screen; scroll maximum 299.
    QTest::newRow("1 to 100: two pages")
        << 0 << 1 << 100 << QList<int> {0, 85} << 40 << u"2 / Page Dat Point(85)"_s;
    QTest::newRow("1 to 86: one page")
        << 0 << 1 << 86 << QList<int> {0} << 200 << u"1 / Page Dat Point(85)"_s;
    QTest::newRow("50 to 120: the page holding 50")
        << 0 << 50 << 120 << QList<int> {0} << 0 << u"1 / Page Dat Point(85)"_s;
    QTest::newRow("200 to 280: from row 171")
        << 0 << 200 << 280 << QList<int> {170} << 12 << u"1 / Page Dat Point(85)"_s;
    QTest::newRow("1 to 300: last move stops at the maximum")
        << 0 << 1 << 300 << QList<int> {0, 85, 170, 255} << 150 << u"4 / Page Dat Point(85)"_s;
    QTest::newRow("end not above start: the previous count from the start page")
        << 100 << 200 << 150 << QList<int> {170, 255} << 299 << u"2 / Page Dat Point(85)"_s;
}

void TestPrinting::printsOneJobPerScreenPage()
{
    QFETCH(int, endBefore);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QList<int>, positions);
    QFETCH(int, looking);
    QFETCH(QString, pages);

    Source src;
    src.file = u"/var/log/panel/Data.bin"_s;
    src.load(300);
    CurveWindow w(src);
    RecordingSink sink(w);
    MessageRecorder messages;
    w.setPrintJobSink(&sink);
    w.setMessageSink(&messages);
    w.show();
    if (endBefore)
        setRange(w, 1, endBefore);
    setRange(w, start, end);
    QCOMPARE(child<QLabel>(w, "pageCountLabel")->text(), pages);
    child<QScrollBar>(w, "dataScrollBar")->setValue(looking);
    const Look before = Look::of(w);

    w.printPages();

    QCOMPARE(sink.jobs.size(), positions.size());
    for (qsizetype n = 0; n < sink.jobs.size(); ++n) {
        const RecordingSink::Job &job = sink.jobs.at(n);
        QCOMPARE(job.position, positions.at(n));
        QCOMPARE(job.orientation, QPageLayout::Landscape);
        QVERIFY(job.ended);
        // The window without its panel holds just the picture.
        QVERIFY(!job.panelShown);
        QCOMPARE(job.windowSize, before.size - QSize(0, 147));
        QCOMPARE(job.image.size(), QSize(902, 362));
        QCOMPARE(job.image.convertToFormat(QImage::Format_RGB32),
                 screenAt(w, src, job.position).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(job.screenDpi, QSizeF(w.logicalDpiX(), w.logicalDpiY()));
        // A print queue shows each job by the file and the page.
        QCOMPARE(job.name, u"Data.bin \u2014 %1/%2"_s.arg(n + 1).arg(positions.size()));
    }
    QCOMPARE(Look::of(w), before);
    // The window shows again the screen the user was looking at.
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->value(), looking);
    QCOMPARE(w.curvePicture(), screenAt(w, src, looking));
    QVERIFY(messages.lines().isEmpty());
}

void TestPrinting::landscapeEvenAfterPortraitSetUp()
{
    Source src;
    src.load(300);
    CurveWindow w(src);
    RecordingSink sink(w);
    w.setPrintJobSink(&sink);
    w.show();
    setRange(w, 1, 100);
    sink.setOrientation(QPageLayout::Landscape);
    child<QPushButton>(w, "printerSetupButton")->click();
    QCOMPARE(sink.setUps, 1);
    QCOMPARE(sink.orientation(), QPageLayout::Portrait);
    child<QPushButton>(w, "printButton")->click();
    QCOMPARE(sink.jobs.size(), 2);
    for (const RecordingSink::Job &job : std::as_const(sink.jobs))
        QCOMPARE(job.orientation, QPageLayout::Landscape);
}

void TestPrinting::nothingToPrint_data()
{
    QTest::addColumn<bool>("narrowBeforeShowing");
    QTest::addColumn<int>("pageCount");
    // A plot narrower than its label band holds no points: the count stays 0.
    QTest::newRow("page count 0") << true << 0;
    // The count of a wider plot stays when the points per screen drop to 0.
    QTest::newRow("no points per screen, pages left from before") << false << 4;
}

void TestPrinting::nothingToPrint()
{
    QFETCH(bool, narrowBeforeShowing);
    QFETCH(int, pageCount);
    Source src;
    src.load(300);
    CurveWindow w(src);
    RecordingSink sink(w);
    MessageRecorder messages;
    w.setPrintJobSink(&sink);
    w.setMessageSink(&messages);
    if (narrowBeforeShowing)
        child<SpinEdit>(w, "pictureWidthSpin")->setValue(40);
    w.show();
    if (!narrowBeforeShowing)
        child<SpinEdit>(w, "pictureWidthSpin")->setValue(40);
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->pageStep(), 0);
    QCOMPARE(w.pageCount(), pageCount);
    child<QScrollBar>(w, "dataScrollBar")->setValue(7);
    const Look before = Look::of(w);

    w.printPages();

    QVERIFY(sink.jobs.isEmpty());
    QVERIFY(messages.lines().isEmpty());
    QCOMPARE(Look::of(w), before);
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->value(), 7);
}

void TestPrinting::refusedJobStopsTheRun_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<int>("refuseFrom");
    QTest::addColumn<int>("looking");
    QTest::addColumn<QString>("message");
    QTest::newRow("first job refused") << false << 0 << 30
                                       << u"Error: The printer could not start a print job! "
                                          u"(Office-Laser)"_s;
    QTest::newRow("second job refused, Chinese")
        << true << 1 << 0 << u"错误: 打印机无法开始打印作业！ (Office-Laser)"_s;
}

void TestPrinting::refusedJobStopsTheRun()
{
    QFETCH(bool, chinese);
    QFETCH(int, refuseFrom);
    QFETCH(int, looking);
    QFETCH(QString, message);
    Source src;
    src.shownLanguage = (chinese ? Language::Chinese : Language::English);
    src.load(300);
    CurveWindow w(src);
    RecordingSink sink(w);
    sink.refuseFrom = refuseFrom;
    MessageRecorder messages;
    w.setPrintJobSink(&sink);
    w.setMessageSink(&messages);
    w.show();
    setRange(w, 1, 300);
    child<QScrollBar>(w, "dataScrollBar")->setValue(looking);
    const Look before = Look::of(w);

    w.printPages();

    QCOMPARE(sink.jobs.size(), refuseFrom);
    QCOMPARE(messages.lines(), QStringList {message});
    QCOMPARE(messages.owners(), QList<QWidget *> {&w});
    QCOMPARE(messages.icons(), QList<MessageIcon> {MessageIcon::Warning});
    QCOMPARE(Look::of(w), before);
    QCOMPARE(child<QScrollBar>(w, "dataScrollBar")->value(), looking);
}

void TestPrinting::noPrinterInstalled_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("message");
    QTest::newRow("English") << false << u"Error: The printer could not start a print job!"_s;
    QTest::newRow("Chinese, no English reason") << true << u"错误: 打印机无法开始打印作业！"_s;
}

void TestPrinting::noPrinterInstalled()
{
    QFETCH(bool, chinese);
    QFETCH(QString, message);
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("a printer is installed here");
    Source src;
    src.shownLanguage = (chinese ? Language::Chinese : Language::English);
    src.load(300);
    CurveWindow w(src);
    MessageRecorder messages;
    w.setMessageSink(&messages);
    w.show();
    const Look before = Look::of(w);
    w.printPages();
    QCOMPARE(messages.lines(), QStringList {message});
    QCOMPARE(Look::of(w), before);
}

void TestPrinting::setUpInTheInterfaceLanguage_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("texts"); // title, OK, Cancel
    QTest::newRow("Chinese") << true << QStringList {u"打印机设置"_s, u"确定"_s, u"取消"_s};
    QTest::newRow("English") << false << QStringList {u"Printer Setup"_s, u"OK"_s, u"Cancel"_s};
}

void TestPrinting::setUpInTheInterfaceLanguage()
{
#ifdef Q_OS_WIN
    QSKIP("Windows shows its own page setup dialog, in the system's language");
#endif
    QFETCH(bool, chinese);
    QFETCH(QStringList, texts);
    Source src;
    src.shownLanguage = (chinese ? Language::Chinese : Language::English);
    src.load(300);
    CurveWindow w(src);
    RecordingSink sink(w);
    w.setPrintJobSink(&sink);
    w.show();
    child<QPushButton>(w, "printerSetupButton")->click();
    QCOMPARE(sink.setUps, 1);
    QCOMPARE((QStringList {sink.setUpTexts.title, sink.setUpTexts.ok, sink.setUpTexts.cancel}),
             texts);

    // The platform's print dialog made a set-up with those texts.
    QPrinter printer;
    QPrintDialog dialog(&printer);
    makePrinterSetup(dialog, sink.setUpTexts);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), texts[0]);
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), texts[1]);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), texts[2]);
    // No page range, copies or file to print to, on any page of the dialog.
    for (QTabWidget *pages : dialog.findChildren<QTabWidget *>()) {
        for (int i = 0; i < pages->count(); ++i) {
            QWidget *page = pages->widget(i);
            QVERIFY(page->findChildren<QSpinBox *>().isEmpty());
        }
    }
    for (QSpinBox *field : dialog.findChildren<QSpinBox *>())
        QVERIFY(!field->isVisibleTo(&dialog) || !field->isEnabled());
    QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintToFile));
    for (QLineEdit *field : dialog.findChildren<QLineEdit *>())
        QVERIFY(!field->isVisible());
}

void TestPrinting::drawnAtPrinterScale_data()
{
    QTest::addColumn<QSizeF>("deviceDpi");
    QTest::addColumn<QSizeF>("screenDpi");
    QTest::addColumn<QSize>("drawn"); // the image's size on the device
    QTest::newRow("twice the screen") << QSizeF(192, 192) << QSizeF(96, 96) << QSize(8, 6);
    QTest::newRow("same as the screen") << QSizeF(96, 96) << QSizeF(96, 96) << QSize(4, 3);
    QTest::newRow("each direction its own ratio")
        << QSizeF(288, 96) << QSizeF(96, 96) << QSize(12, 3);
    QTest::newRow("a finer screen") << QSizeF(300, 300) << QSizeF(150, 100) << QSize(8, 9);
    QTest::newRow("no screen resolution") << QSizeF(300, 300) << QSizeF(0, 96) << QSize(0, 0);
}

void TestPrinting::drawnAtPrinterScale()
{
    QFETCH(QSizeF, deviceDpi);
    QFETCH(QSizeF, screenDpi);
    QFETCH(QSize, drawn);
    // Every pixel its own colour, so a smoothed or shifted copy shows.
    QImage image(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, qRgb(40 * x + 10, 60 * y + 20, 5));
    QImage device(20, 20, QImage::Format_RGB32);
    device.fill(Qt::white);
    {
        QPainter p(&device);
        drawPageImage(p, image, deviceDpi, screenDpi);
    }
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            const bool inside = x < drawn.width() && y < drawn.height();
            const QRgb expected = inside
                ? image.pixel(x * 4 / drawn.width(), y * 3 / drawn.height())
                : qRgb(255, 255, 255);
            if (device.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void TestPrinting::jobFileNames_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("job");
    QTest::addColumn<QString>("file");
    QTest::newRow("first job") << u"out.pdf"_s << 1 << u"out-1.pdf"_s;
    QTest::newRow("twelfth job") << u"/tmp/out.pdf"_s << 12 << u"/tmp/out-12.pdf"_s;
    QTest::newRow("no extension") << u"out"_s << 2 << u"out-2"_s;
    QTest::newRow("dot in the folder only") << u"run.d/out"_s << 1 << u"run.d/out-1"_s;
    QTest::newRow("two dots") << u"a/b.c.pdf"_s << 3 << u"a/b.c-3.pdf"_s;
    QTest::newRow("hidden file") << u"/tmp/.pdf"_s << 1 << u"/tmp/.pdf-1"_s;
}

void TestPrinting::jobFileNames()
{
    QFETCH(QString, output);
    QFETCH(int, job);
    QFETCH(QString, file);
    QCOMPARE(PdfFileJobSink::jobFileName(output, job), file);
}

void TestPrinting::pdfFilesOnePagePerJob()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Source src;
    src.file = dir.filePath(u"Data.bin"_s);
    src.load(300);
    CurveWindow w(src);
    PdfFileJobSink pdf(dir.filePath(u"out.pdf"_s));
    // A portrait set-up before: the run turns it.
    pdf.setOrientation(QPageLayout::Portrait);
    MessageRecorder messages;
    w.setPrintJobSink(&pdf);
    w.setMessageSink(&messages);
    w.show();
    setRange(w, 1, 100);
    w.printPages();
    QVERIFY(messages.lines().isEmpty());
    QVERIFY(pdf.finish());

    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList {u"out-1.pdf"_s, u"out-2.pdf"_s}));
    for (const QString &name : {u"out-1.pdf"_s, u"out-2.pdf"_s}) {
        const QByteArray bytes = pdffile::read(dir.filePath(name));
        QVERIFY(bytes.startsWith("%PDF-"));
        // Each job is named after the file and its page.
        QCOMPARE(pdffile::title(bytes),
                 u"Data.bin \u2014 %1/2"_s.arg(name == u"out-1.pdf"_s ? 1 : 2));
        QCOMPARE(pdffile::pageCount(bytes), 1);
        const QList<QSizeF> boxes = pdffile::mediaBoxes(bytes);
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().width() > boxes.first().height());
        // The picture is drawn as shapes and text, not as a bitmap.
        QCOMPARE(pdffile::imageSizes(bytes), QList<QSize> {});
        QVERIFY(!bytes.contains("/DCTDecode"));
    }
    QVERIFY(pdffile::read(dir.filePath(u"out-1.pdf"_s))
            != pdffile::read(dir.filePath(u"out-2.pdf"_s)));
}

void TestPrinting::pdfPageShowsThePictureAtScreenSize()
{
    if (!pdffile::canRender())
        QSKIP("Ghostscript (gs) is not installed");
    QTemporaryDir dir;
    Source src;
    src.load(300);
    CurveWindow w(src);
    PdfFileJobSink pdf(dir.filePath(u"page.pdf"_s));
    w.setPrintJobSink(&pdf);
    w.show();
    setRange(w, 1, 50);
    w.printPages();
    QVERIFY(pdf.finish());
    // Rendered at the screen's resolution, the picture keeps its pixel size.
    const QImage page = pdffile::renderFirstPage(dir.filePath(u"page-1.pdf"_s), w.logicalDpiX());
    QVERIFY(!page.isNull());
    QVERIFY(page.width() > page.height());
    const QRect ink = pdffile::inkBounds(page);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(qAbs(ink.width() - 902) <= 2 && qAbs(ink.height() - 362) <= 2,
             qPrintable(QStringLiteral("%1x%2").arg(ink.width()).arg(ink.height())));
    // In the page's top-left corner, within the printer's margins.
    QVERIFY(ink.left() < page.width() / 8 && ink.top() < page.height() / 8);
    // The picture's black background came through.
    QCOMPARE(QColor(page.pixel(ink.center())).value() < 64, true);
}

void TestPrinting::pdfNeverOverwritesTheBrowsedFile()
{
    QTemporaryDir dir;
    const QString browsed = dir.filePath(u"log-1.pdf"_s);
    {
        QFile f(browsed);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("the browsed file");
    }
    PdfFileJobSink pdf(dir.filePath(u"log.pdf"_s));
    pdf.setProtectedFile(browsed);
    QVERIFY(!pdf.beginJob({}));
    QCOMPARE(pdf.errorText(), browsed);
    QCOMPARE(pdffile::read(browsed), QByteArray("the browsed file"));
    // The next job has a file of its own, but a run with a refused job puts
    // none of its pages in place.
    QVERIFY(pdf.beginJob({}));
    pdf.drawPage(ImagePage(QImage(4, 4, QImage::Format_RGB32)), QSizeF(96, 96));
    QVERIFY(pdf.endJob());
    QVERIFY(!pdf.finish());
    QCOMPARE(pdffile::read(browsed), QByteArray("the browsed file"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"log-1.pdf"_s});
}

void TestPrinting::failedPdfRunLeavesTheFolder_data()
{
    QTest::addColumn<bool>("firstExists"); // out-1.pdf is there before the run
    QTest::addColumn<bool>("duringRun"); // page 2 fails in the run, else when put in place
    QTest::newRow("page 2 refused, page 1 was there") << true << true;
    QTest::newRow("page 2 refused, page 1 was not") << false << true;
    QTest::newRow("page 2 cannot be put in place: page 1 put back") << true << false;
    QTest::newRow("page 2 cannot be put in place: page 1 removed") << false << false;
}

void TestPrinting::failedPdfRunLeavesTheFolder()
{
    QFETCH(bool, firstExists);
    QFETCH(bool, duringRun);
    QTemporaryDir dir;
    const QString first = dir.filePath(u"out-1.pdf"_s);
    if (firstExists) {
        QFile f(first);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write("the earlier page"), 16);
    }
    // A page file that is a folder cannot be written.
    const auto blockSecond = [&] { QVERIFY(QDir(dir.path()).mkdir(u"out-2.pdf"_s)); };
    if (duringRun)
        blockSecond();
    const QStringList before
        = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    Source src;
    src.load(300);
    CurveWindow w(src);
    PdfFileJobSink pdf(dir.filePath(u"out.pdf"_s));
    MessageRecorder messages;
    w.setPrintJobSink(&pdf);
    w.setMessageSink(&messages);
    w.show();
    setRange(w, 1, 100); // two pages
    w.printPages();
    QCOMPARE(messages.lines().size(), duringRun ? 1 : 0);
    if (!duringRun)
        blockSecond();
    QVERIFY(!pdf.finish());
    if (!duringRun)
        QVERIFY2(pdf.writeFailure().startsWith(dir.filePath(u"out-2.pdf"_s) + u": "_s),
                 qPrintable(pdf.writeFailure()));
    const QStringList after
        = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(after, before + (duringRun ? QStringList() : QStringList {u"out-2.pdf"_s}));
    if (firstExists)
        QCOMPARE(pdffile::read(first), QByteArray("the earlier page"));
    // Nothing is left of the run's own files either.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(u".tmp"_s),
             QStringList());
}

void TestPrinting::pdfPageMatchesTheScreenPicture_data()
{
    QTest::addColumn<int>("style"); // of curve 1
    QTest::addColumn<int>("widthIndex");
    QTest::newRow("solid lines") << 0 << 0;
    QTest::newRow("dashed lines") << 1 << 0;
    QTest::newRow("wide lines") << 0 << 3;
}

void TestPrinting::pdfPageMatchesTheScreenPicture()
{
    QFETCH(int, style);
    QFETCH(int, widthIndex);
    if (!pdffile::canRender())
        QSKIP("Ghostscript (gs) is not installed");
    QTemporaryDir dir;
    Source src;
    src.load(300);
    CurveWindow w(src);
    w.show();
    child<QComboBox>(w, "curveTab1.lineStyleList")->setCurrentIndex(style);
    child<QComboBox>(w, "curveTab1.lineWidthList")->setCurrentIndex(widthIndex);
    setRange(w, 1, 50);

    // The page as the screen shows it, printed the way it used to be: the
    // bitmap stretched to the printer's resolution.
    RecordingSink screen(w);
    w.setPrintJobSink(&screen);
    w.printPages();
    QCOMPARE(screen.jobs.size(), 1);
    const QImage shown = screen.jobs.first().image;
    PdfFileJobSink stretched(dir.filePath(u"stretched.pdf"_s));
    stretched.setOrientation(QPageLayout::Landscape);
    QVERIFY(stretched.beginJob({}));
    stretched.drawPage(ImagePage(shown), screen.jobs.first().screenDpi);
    QVERIFY(stretched.endJob());
    QVERIFY(stretched.finish());

    PdfFileJobSink pdf(dir.filePath(u"page.pdf"_s));
    w.setPrintJobSink(&pdf);
    w.printPages();
    QVERIFY(pdf.finish());

    // Rendered at four times the screen's resolution; the centre of each
    // 4 x 4 block stands for one screen pixel, clear of the renderer's
    // rounding at shape edges.
    constexpr int Fine = 4;
    const int dpi = w.logicalDpiX() * Fine;
    const QImage oldPage = pdffile::renderFirstPage(dir.filePath(u"stretched-1.pdf"_s), dpi);
    const QImage newPage = pdffile::renderFirstPage(dir.filePath(u"page-1.pdf"_s), dpi);
    QVERIFY(!oldPage.isNull() && !newPage.isNull());
    QCOMPARE(newPage.size(), oldPage.size());
    // The same place and size on the page, to within a screen pixel.
    const QRect oldInk = pdffile::inkBounds(oldPage);
    const QRect newInk = pdffile::inkBounds(newPage);
    for (int d : {newInk.left() - oldInk.left(), newInk.top() - oldInk.top(),
                  newInk.right() - oldInk.right(), newInk.bottom() - oldInk.bottom()})
        QVERIFY2(std::abs(d) <= Fine,
                 qPrintable(u"%1,%2 %3x%4 against %5,%6 %7x%8"_s.arg(newInk.x())
                                .arg(newInk.y())
                                .arg(newInk.width())
                                .arg(newInk.height())
                                .arg(oldInk.x())
                                .arg(oldInk.y())
                                .arg(oldInk.width())
                                .arg(oldInk.height())));
    // At the screen's pixels it is the screen's picture: all but the edges of
    // texts and sloped lines agree.
    const QImage picture = shown.convertToFormat(QImage::Format_RGB32);
    const auto compare = [&](const QImage &rendered, QPoint origin, qint64 &same, qint64 &finer) {
        const QImage page = rendered.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QPoint block = origin + QPoint(x, y) * Fine;
                const QColor a = page.pixelColor(block + QPoint(Fine / 2, Fine / 2));
                const QColor b = picture.pixelColor(x, y);
                if (std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue())})
                    <= 64)
                    ++same;
                const QRgb first = page.pixel(block + QPoint(1, 1));
                bool uniform = true;
                for (int dy = 1; dy < Fine && uniform; ++dy)
                    for (int dx = 1; dx < Fine && uniform; ++dx)
                        uniform = page.pixel(block + QPoint(dx, dy)) == first;
                if (!uniform)
                    ++finer;
            }
        }
    };
    // finer counts blocks of more than one colour away from their edges:
    // detail below a screen pixel, which a stretched bitmap cannot have.
    qint64 same = 0;
    qint64 finer = 0;
    compare(newPage, newInk.topLeft(), same, finer);
    qint64 oldSame = 0;
    qint64 oldFiner = 0;
    compare(oldPage, oldInk.topLeft(), oldSame, oldFiner);
    const qint64 pixels = qint64(picture.width()) * picture.height();
    QVERIFY2(same > pixels * 99 / 100, qPrintable(QString::number(same)));
    QVERIFY2(oldSame > pixels * 99 / 100, qPrintable(QString::number(oldSame)));
    QVERIFY2(finer > 200 && finer > 20 * oldFiner, qPrintable(u"%1 %2"_s.arg(finer).arg(oldFiner)));
    QCOMPARE(pdffile::imageSizes(pdffile::read(dir.filePath(u"page-1.pdf"_s))), QList<QSize> {});
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
