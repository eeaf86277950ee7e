#include "cli/ConsoleText.h"

#include "platform/NativeName.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

namespace {

// A console shows UTF-16 text whatever its code page; bytes it would read in
// that page.
bool writeToConsole(std::FILE *stream, const QString &text)
{
    const auto handle = HANDLE(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    std::fflush(stream);
    DWORD written = 0;
    return WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr);
}

} // namespace
#endif

void prepareStandardStreams()
{
#ifdef Q_OS_WIN
    // Bytes go out as written, with no CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void releaseOwnConsole()
{
#ifdef Q_OS_WIN
    // Started from Explorer or the Start menu, a console program gets a
    // console of its own; the windows do not need it. A command prompt's
    // console is shared and stays.
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
#endif
}

void printText(std::FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    if (writeToConsole(stream, text))
        return;
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
