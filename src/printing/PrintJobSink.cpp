#include "printing/PrintJobSink.h"

#include "platform/SameFile.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
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
{
    // The system gives the jobs no title.
    m_printer->setDocName(QString());
}

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

bool PrinterJobSink::beginJob()
{
    m_error.clear();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    if (!prepareJob())
        return false;
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

void PrinterJobSink::drawPage(const QImage &page, QSizeF screenDpi)
{
    if (!m_painter || !m_painter->isActive())
        return;
    drawPageImage(*m_painter, page, QSizeF(m_printer->logicalDpiX(), m_printer->logicalDpiY()),
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

PdfFileJobSink::PdfFileJobSink(QString outputName)
    : m_output(std::move(outputName))
{
    printer().setOutputFormat(QPrinter::PdfFormat);
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

bool PdfFileJobSink::prepareJob()
{
    const QString file = jobFileName(m_output, ++m_jobs);
    if (!m_protected.isEmpty() && isSameFile(file, m_protected)) {
        // Never overwrite the file being browsed.
        setErrorText(file);
        return false;
    }
    QFileInfo info(file);
    if (!info.absoluteDir().exists()) {
        setErrorText(file);
        return false;
    }
    printer().setOutputFileName(file);
    return true;
}
