// What a test can read of a PDF file written by the print run: its pages,
// their boxes, its images, and (with Ghostscript installed) its rendering.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QSizeF>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace pdffile {

inline QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Page objects (not the page tree).
inline int pageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int pages = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++pages;
    return pages;
}

// The document information's /Title: a literal string, in UTF-16 with its
// byte order mark or in single bytes; null when there is none.
inline QString title(const QByteArray &pdf)
{
    const qsizetype at = pdf.indexOf("/Title");
    if (at < 0)
        return {};
    qsizetype i = pdf.indexOf('(', at);
    if (i < 0)
        return {};
    QByteArray bytes;
    for (++i; i < pdf.size() && pdf.at(i) != ')'; ++i) {
        if (pdf.at(i) == '\\' && i + 1 < pdf.size())
            ++i;
        bytes.append(pdf.at(i));
    }
    if (!bytes.startsWith("\xfe\xff"))
        return QString::fromLatin1(bytes);
    QString text;
    for (qsizetype k = 2; k + 1 < bytes.size(); k += 2)
        text.append(QChar(char16_t((uchar(bytes.at(k)) << 8) | uchar(bytes.at(k + 1)))));
    return text;
}

// Width and height of every page's media box, in points.
inline QList<QSizeF> mediaBoxes(const QByteArray &pdf)
{
    static const QRegularExpression box(QStringLiteral(
        "/MediaBox\\s*\\[\\s*([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s*\\]"));
    QList<QSizeF> sizes;
    for (auto it = box.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto m = it.next();
        sizes << QSizeF(m.captured(3).toDouble() - m.captured(1).toDouble(),
                        m.captured(4).toDouble() - m.captured(2).toDouble());
    }
    return sizes;
}

// Pixel sizes of the image objects.
inline QList<QSize> imageSizes(const QByteArray &pdf)
{
    static const QRegularExpression image(
        QStringLiteral("/Subtype\\s*/Image\\s*/Width\\s+(\\d+)\\s*/Height\\s+(\\d+)"));
    QList<QSize> sizes;
    for (auto it = image.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto m = it.next();
        sizes << QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }
    return sizes;
}

inline bool canRender()
{
    return !QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty();
}

// The first page rendered at dpi by Ghostscript; null when it cannot be.
inline QImage renderFirstPage(const QString &path, int dpi)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("page.png"));
    QProcess gs;
    gs.start(QStringLiteral("gs"),
             {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
              QStringLiteral("-dSAFER"), QStringLiteral("-dFirstPage=1"),
              QStringLiteral("-dLastPage=1"), QStringLiteral("-sDEVICE=png16m"),
              QStringLiteral("-r") + QString::number(dpi), QStringLiteral("-sOutputFile=") + png,
              path});
    if (!gs.waitForFinished(60000) || gs.exitCode() != 0)
        return {};
    return QImage(png);
}

// The smallest rectangle holding every pixel that is not white.
inline QRect inkBounds(const QImage &image)
{
    QRect bounds;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF)
                bounds |= QRect(x, y, 1, 1);
    }
    return bounds;
}

} // namespace pdffile
