#pragma once

#include <QImage>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPrintDialog;
class QPrinter;
class QWidget;

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
// a document of one page holding one image.
class PrintJobSink
{
public:
    virtual ~PrintJobSink() = default;

    virtual void setOrientation(QPageLayout::Orientation orientation) = 0;
    virtual QPageLayout::Orientation orientation() const = 0;

    // Starts a document of one page. False when no job can be started;
    // errorText() then says why.
    virtual bool beginJob() = 0;
    // Draws the image at the page's top-left corner, scaled by the page's
    // pixels per inch over screenDpi, so it keeps its size on screen.
    virtual void drawPage(const QImage &page, QSizeF screenDpi) = 0;
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

// The platform's current printer: the one last chosen in the set-up dialog,
// or else the system's default.
class PrinterJobSink : public PrintJobSink
{
public:
    PrinterJobSink();
    ~PrinterJobSink() override;

    void setOrientation(QPageLayout::Orientation orientation) override;
    QPageLayout::Orientation orientation() const override;
    bool beginJob() override;
    void drawPage(const QImage &page, QSizeF screenDpi) override;
    bool endJob() override;
    QString errorText() const override { return m_error; }
    void setUp(QWidget *parent, const PrinterSetupTexts &texts) override;

protected:
    QPrinter &printer() { return *m_printer; }
    // Makes the printer ready for the next job; false (with errorText set)
    // when it cannot take one.
    virtual bool prepareJob();
    void setErrorText(const QString &text) { m_error = text; }

private:
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_error;
};

// A printer that writes job n to its own PDF file: the output name with "-n"
// before its extension (out.pdf gives out-1.pdf, out-2.pdf, ...).
class PdfFileJobSink : public PrinterJobSink
{
public:
    explicit PdfFileJobSink(QString outputName);

    // A file that must never be written (the browsed file).
    void setProtectedFile(const QString &path) { m_protected = path; }
    void setUp(QWidget *, const PrinterSetupTexts &) override { }

    static QString jobFileName(const QString &outputName, int job);

protected:
    bool prepareJob() override;

private:
    QString m_output;
    QString m_protected;
    int m_jobs = 0;
};
