#include "cli/ConsoleText.h"

#include "platform/NativeName.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

void printText(std::FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    const QByteArray bytes = text.toUtf8();
#else
    // A file name that is not text is shown with the bytes it has.
    const QByteArray bytes = nativeFileName(text);
#endif
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printLine(std::FILE *stream, const QString &line)
{
    printText(stream, line + QLatin1Char('\n'));
    std::fflush(stream);
}

qint64 writeToStdout(const char *data, qint64 size)
{
#ifdef Q_OS_WIN
    return _write(1, data, unsigned(std::min<qint64>(size, 1 << 30)));
#else
    for (;;) {
        const ssize_t n = ::write(STDOUT_FILENO, data, size_t(size));
        if (n >= 0 || errno != EINTR)
            return n;
    }
#endif
}

QString systemErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void holdClosedStandardDescriptors()
{
#ifndef Q_OS_WIN
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free descriptor: this one.
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd)
            ::close(held);
    }
#endif
}
