#include "platform/NativeName.h"

#include <QFile>

// Windows names are UTF-16 already: only the other systems carry bytes.
#ifndef Q_OS_WIN
namespace {

// The length of the valid UTF-8 sequence at `at`, or 0.
qsizetype validSequence(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return uchar(bytes.at(i)); };
    const uchar lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF
        || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isEscapedByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

} // namespace
#endif

QString fileNameFromNative(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    return QFile::decodeName(bytes);
#else
    QString name;
    name.reserve(bytes.size());
    qsizetype run = 0; // start of the valid bytes not yet decoded
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = validSequence(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + run, at - run);
        name += QChar(char16_t(0xDC00 + uchar(bytes.at(at))));
        run = ++at;
    }
    name += QString::fromUtf8(bytes.constData() + run, bytes.size() - run);
    return name;
#endif
}

QByteArray nativeFileName(const QString &name)
{
#ifdef Q_OS_WIN
    return QFile::encodeName(name);
#else
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        // A low surrogate after a high one is half of a pair, not a byte.
        const bool paired = i > 0 && name.at(i - 1).isHighSurrogate();
        if (!isEscapedByte(c) || paired)
            continue;
        bytes += QStringView(name).mid(run, i - run).toUtf8();
        bytes += char(c - 0xDC00);
        run = i + 1;
    }
    bytes += QStringView(name).mid(run).toUtf8();
    return bytes;
#endif
}
