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
