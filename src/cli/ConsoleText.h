#pragma once

#include <QString>

#include <cstdio>

// Text to stdout or stderr as UTF-8, as it is.
void printText(std::FILE *stream, const QString &text);
// One line of text to `stream`, flushed.
void printLine(std::FILE *stream, const QString &line);
