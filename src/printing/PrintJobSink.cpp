#include "printing/PrintJobSink.h"

#include "platform/SafeOutputFile.h"
#include "platform/SameFile.h"
#include "platform/StopSignals.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

void drawPageImage(QPainter &painter, const QImage &image, QSizeF deviceDpi, QSizeF screenDpi)
{
    if (image.isNull() || screenDpi.width() <= 0 || screenDpi.height() <= 0)
        return;
    const qreal sx = deviceDpi.width() / screenDpi.width();
    const qreal sy = deviceDpi.height() / screenDpi.height();
    // Without this the PDF engine stores the bitmap as JPEG and thin lines blur.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(0, 0, image.width() * sx, image.height() * sy), image);
}

void ImagePage::paint(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), m_image);
    painter.restore();
}

void drawPagePicture(QPainter &painter, const PagePicture &page, QSizeF deviceDpi, QSizeF screenDpi)
{
    if (screenDpi.width() <= 0 || screenDpi.height() <= 0)
        return;
    painter.save();
    painter.scale(deviceDpi.width() / screenDpi.width(), deviceDpi.height() / screenDpi.height());
    painter.setClipRect(QRect(QPoint(0, 0), page.size()), Qt::IntersectClip);
    page.paint(painter);
    painter.restore();
}

void makePrinterSetup(QPrintDialog &dialog, const PrinterSetupTexts &texts)
{
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.setWindowTitle(texts.title);
    // The page range and copies live on their own page of the extra
    // options; the colour and duplex page keeps its place.
    if (auto *copies = dialog.findChild<QWidget *>(QStringLiteral("copiesTab"))) {
        if (auto *pages = dialog.findChild<QTabWidget *>(QStringLiteral("tabs")))
            pages->removeTab(pages->indexOf(copies));
        copies->hide();
        copies->setEnabled(false);
    }
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(texts.ok);
        if (QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel))
            cancel->setText(texts.cancel);
    }
}

PrinterJobSink::PrinterJobSink()
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{ }

PrinterJobSink::~PrinterJobSink()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

void PrinterJobSink::setOrientation(QPageLayout::Orientation orientation)
{
    m_printer->setPageOrientation(orientation);
}

QPageLayout::Orientation PrinterJobSink::orientation() const
{
    return m_printer->pageLayout().orientation();
}

bool PrinterJobSink::prepareJob()
{
    // No printer to name: the message says all there is to say.
    if (!m_printer->isValid())
        return false;
    // With no printer installed, Qt falls back to a PDF writer with no file:
    // there is nowhere to print to.
    if (m_printer->outputFormat() == QPrinter::PdfFormat && m_printer->outputFileName().isEmpty())
        return false;
    return true;
}

bool PrinterJobSink::beginJob(const QString &docName)
{
    m_error.clear();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    if (!prepareJob())
        return false;
    m_printer->setDocName(docName);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        if (m_error.isEmpty())
            m_error = m_printer->outputFileName().isEmpty() ? m_printer->printerName()
                                                            : m_printer->outputFileName();
        return false;
    }
    return true;
}

void PrinterJobSink::drawPage(const PagePicture &page, QSizeF screenDpi)
{
    if (!m_painter || !m_painter->isActive())
        return;
    drawPagePicture(*m_painter, page, QSizeF(m_printer->logicalDpiX(), m_printer->logicalDpiY()),
                    screenDpi);
}

bool PrinterJobSink::endJob()
{
    if (!m_painter || !m_painter->isActive())
        return false;
    const bool ended = m_painter->end();
    m_painter.reset();
    return ended;
}

void PrinterJobSink::setUp(QWidget *parent, const PrinterSetupTexts &texts)
{
    QPrintDialog dialog(m_printer.get(), parent);
    makePrinterSetup(dialog, texts);
    dialog.exec();
}

struct PdfFileJobSink::Job
{
    QString file;
    QBuffer bytes;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
};

PdfFileJobSink::PdfFileJobSink(QString outputName)
    : m_output(std::move(outputName))
{
    // The page the PDF printer would give, so the files look as they would
    // when printed to a PDF printer.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    m_layout = printer.pageLayout();
    m_resolution = printer.resolution();
}

PdfFileJobSink::~PdfFileJobSink()
{
    if (m_job && m_job->painter.isActive())
        m_job->painter.end();
    discard();
}

bool PdfFileJobSink::finish()
{
    if (m_failed) {
        discard();
        return false;
    }
    std::vector<SafeOutputFile *> pages;
    for (const auto &page : m_pages)
        pages.push_back(page.get());
    QString failure;
    const bool placed = SafeOutputFile::commitAll(pages, failure);
    m_pages.clear();
    if (!placed) {
        m_failed = true;
        m_writeFailure = failure;
    }
    return placed;
}

void PdfFileJobSink::discard()
{
    for (const auto &page : m_pages)
        page->discard();
    m_pages.clear();
}

void PdfFileJobSink::setOrientation(QPageLayout::Orientation orientation)
{
    m_layout.setOrientation(orientation);
}

QPageLayout::Orientation PdfFileJobSink::orientation() const
{
    return m_layout.orientation();
}

bool PdfFileJobSink::beginJob(const QString &docName)
{
    m_error.clear();
    m_writeFailure.clear();
    if (m_job && m_job->painter.isActive())
        m_job->painter.end();
    m_job.reset();
    // A stop signal ends the run before its next page; nothing of it is put in place.
    if (StopSignals::received() != 0) {
        m_failed = true;
        return false;
    }
    const QString file = jobFileName(m_output, ++m_jobs);
    // Never overwrite the file being browsed, nor anything but a file.
    if (SafeOutputFile::check(file, m_protected) != SafeOutputFile::Target::Replaceable
        || !SafeOutputFile::folderExists(file)) {
        m_error = file;
        m_failed = true;
        return false;
    }
    auto job = std::make_unique<Job>();
    job->file = file;
    job->bytes.open(QIODevice::WriteOnly);
    job->writer = std::make_unique<QPdfWriter>(&job->bytes);
    job->writer->setPageLayout(m_layout);
    job->writer->setResolution(m_resolution);
    job->writer->setTitle(docName);
    if (!job->painter.begin(job->writer.get())) {
        m_error = file;
        m_failed = true;
        return false;
    }
    m_job = std::move(job);
    return true;
}

void PdfFileJobSink::drawPage(const PagePicture &page, QSizeF screenDpi)
{
    if (!m_job || !m_job->painter.isActive())
        return;
    drawPagePicture(m_job->painter, page,
                    QSizeF(m_job->writer->logicalDpiX(), m_job->writer->logicalDpiY()), screenDpi);
}

bool PdfFileJobSink::endJob()
{
    if (!m_job || !m_job->painter.isActive())
        return false;
    const std::unique_ptr<Job> job = std::move(m_job);
    if (!job->painter.end()) {
        m_error = job->file;
        m_failed = true;
        return false;
    }
    job->writer.reset();
    auto out = std::make_unique<SafeOutputFile>(job->file);
    if (!out->open(m_protected) || !out->write(job->bytes.data()) || !out->finishWriting()) {
        m_error = job->file;
        m_writeFailure = job->file + QStringLiteral(": ") + out->errorString();
        m_failed = true;
        return false;
    }
    m_pages.push_back(std::move(out));
    return true;
}

QString PdfFileJobSink::jobFileName(const QString &outputName, int job)
{
    const qsizetype slash = outputName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = outputName.lastIndexOf(QLatin1Char('.'));
    const QString tag = QLatin1Char('-') + QString::number(job);
    // A dot that starts the file's name (a hidden file) is no extension.
    if (dot <= slash + 1)
        return outputName + tag;
    return outputName.left(dot) + tag + outputName.mid(dot);
}
