#pragma once

#include <QString>

#include <cstdio>

// Sets stdout and stderr up before the first text (binary mode on Windows).
void prepareStandardStreams();
// Lets a console that was opened for this program alone go (Windows).
void releaseOwnConsole();
// Text to stdout or stderr as UTF-8, as it is (to a Windows console as UTF-16).
void printText(std::FILE *stream, const QString &text);
// One line of text to `stream`, flushed.
void printLine(std::FILE *stream, const QString &line);

// Writes to the standard output's descriptor, retrying an interrupted write:
// the bytes written, or -1 with the system's error set.
qint64 writeToStdout(const char *data, qint64 size);
// The system's text for its last error (errno).
QString systemErrorText();
// Keeps a closed standard descriptor (0, 1, 2) from being taken by the
// next file opened: it is held by /dev/null opened for reading only, so a
// write to it still fails as on a closed one ("Bad file descriptor").
void holdClosedStandardDescriptors();
