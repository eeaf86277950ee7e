#pragma once

#include <QImage>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class SafeOutputFile;
class QPrintDialog;
class QPrinter;
class QWidget;

// What one printed page shows, in screen pixels from the page's top-left:
// painted through the device's own painter, so it is as sharp as the device
// allows, or taken as the screen's bitmap.
class PagePicture
{
public:
    virtual ~PagePicture() = default;
    virtual QSize size() const = 0;
    // Paints the page in screen pixels through painter.
    virtual void paint(QPainter &painter) const = 0;
    // The page as the screen shows it, one pixel per screen pixel.
    virtual QImage image() const = 0;
};

// A page that is a bitmap: on a device it is stretched, not redrawn.
class ImagePage : public PagePicture
{
public:
    explicit ImagePage(QImage image)
        : m_image(std::move(image))
    { }
    QSize size() const override { return m_image.size(); }
    void paint(QPainter &painter) const override;
    QImage image() const override { return m_image; }

private:
    QImage m_image;
};
// The printer set-up dialog's title and buttons, in the interface's language.
struct PrinterSetupTexts
{
    QString title;
    QString ok;
    QString cancel;
};

// Makes a print dialog the printer set-up: it chooses the printer, its paper
// and orientation and closes with OK; it offers no page range, copies or
// printing to a file, which the print run would not honour.
void makePrinterSetup(QPrintDialog &dialog, const PrinterSetupTexts &texts);

// Where the curve window's print run sends its pages: one job per page, each
// a document of one page holding one picture.
class PrintJobSink
{
public:
    virtual ~PrintJobSink() = default;

    virtual void setOrientation(QPageLayout::Orientation orientation) = 0;
    virtual QPageLayout::Orientation orientation() const = 0;

    // Starts a document of one page, named `docName` (the title a print
    // queue shows). False when no job can be started; errorText() then says
    // why.
    virtual bool beginJob(const QString &docName) = 0;
    // Draws the page at the device page's top-left corner, scaled by its
    // pixels per inch over screenDpi, so it keeps its size on screen.
    virtual void drawPage(const PagePicture &page, QSizeF screenDpi) = 0;
    // Ends the document and hands it over. False when it could not be.
    virtual bool endJob() = 0;
    // The printer or file that refused the last job, by name; empty when
    // there is none to name. Never a sentence, so that a message in either
    // language can carry it.
    virtual QString errorText() const = 0;

    // The printer set-up dialog, modal over parent; its choices hold for
    // later jobs.
    virtual void setUp(QWidget *parent, const PrinterSetupTexts &texts) = 0;
};

// Draws image at the device's top-left, each direction scaled by deviceDpi
// over screenDpi, without lossy image compression. Nothing for a screen
// resolution that is not positive.
void drawPageImage(QPainter &painter, const QImage &image, QSizeF deviceDpi, QSizeF screenDpi);

// Paints the page at the device's top-left through painter, its screen
// pixels scaled by deviceDpi over screenDpi in each direction. Nothing for a
// screen resolution that is not positive.
void drawPagePicture(QPainter &painter, const PagePicture &page, QSizeF deviceDpi,
                     QSizeF screenDpi);

// The platform's current printer: the one last chosen in the set-up dialog,
// or else the system's default.
class PrinterJobSink : public PrintJobSink
{
public:
    PrinterJobSink();
    ~PrinterJobSink() override;

    void setOrientation(QPageLayout::Orientation orientation) override;
    QPageLayout::Orientation orientation() const override;
    bool beginJob(const QString &docName) override;
    void drawPage(const PagePicture &page, QSizeF screenDpi) override;
    bool endJob() override;
    QString errorText() const override { return m_error; }
    void setUp(QWidget *parent, const PrinterSetupTexts &texts) override;

protected:
    QPrinter &printer() { return *m_printer; }
    // Makes the printer ready for the next job; false when it cannot take
    // one, and errorText then names the printer or its output file.
    virtual bool prepareJob();

private:
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_error;
};

// A printer that writes job n to its own PDF file: the output name with "-n"
// before its extension (out.pdf gives out-1.pdf, out-2.pdf, ...). Each page is
// drawn in memory with the PDF printer's page layout and resolution and
// written to a temporary file beside its target; finish() puts the pages of
// the run in place, all of them or none. Pages not finished are removed.
class PdfFileJobSink : public PrintJobSink
{
public:
    explicit PdfFileJobSink(QString outputName);
    ~PdfFileJobSink() override;

    // A file that must never be written (the browsed file).
    void setProtectedFile(const QString &path) { m_protected = path; }

    void setOrientation(QPageLayout::Orientation orientation) override;
    QPageLayout::Orientation orientation() const override;
    bool beginJob(const QString &docName) override;
    void drawPage(const PagePicture &page, QSizeF screenDpi) override;
    bool endJob() override;
    QString errorText() const override { return m_error; }
    void setUp(QWidget *, const PrinterSetupTexts &) override { }

    // Why the last page file could not be written ("NAME: reason"), empty
    // when none failed that way.
    QString writeFailure() const { return m_writeFailure; }
    // Puts every page written so far in place, or none when a job of the
    // run failed or a page cannot be put in place (writeFailure() then says
    // why, unless the failed job said so already).
    bool finish();
    // Removes the pages written so far; their targets stay as they were.
    void discard();

    static QString jobFileName(const QString &outputName, int job);

private:
    struct Job;

    QString m_output;
    QString m_protected;
    QPageLayout m_layout;
    int m_resolution = 1200;
    int m_jobs = 0;
    std::unique_ptr<Job> m_job;
    std::vector<std::unique_ptr<SafeOutputFile>> m_pages;
    bool m_failed = false;
    QString m_error;
    QString m_writeFailure;
};
