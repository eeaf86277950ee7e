#include "cli/ConsoleText.h"

#include <QByteArray>

void printText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printLine(std::FILE *stream, const QString &line)
{
    printText(stream, line + QLatin1Char('\n'));
    std::fflush(stream);
}
