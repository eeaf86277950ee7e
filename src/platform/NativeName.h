#pragma once

#include <QByteArray>
#include <QString>

// File names as the system holds them. On Linux a name is bytes, which need
// not be UTF-8: the usual text of such a name replaces each stray byte by
// U+FFFD and so names another file, or none. Here a stray byte b is kept in
// the text as the lone surrogate U+DC00 + b, and comes back byte for byte.
// Names that are valid UTF-8 read as they always did.
QString fileNameFromNative(const QByteArray &bytes);
QByteArray nativeFileName(const QString &name);
