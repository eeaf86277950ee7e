#pragma once

#include "platform/Language.h"
#include "records/CsvWriter.h"
#include "records/ValueFormat.h"

#include <QString>
#include <QStringList>

#include <optional>

// `norvale [FILE]` and `norvale --to KIND FILE [-o OUT] ...`.
struct CommandLine
{
    enum class Output { None, Csv, Xlsx, Png, Pdf, Stats, AlarmStats };

    Output to = Output::None;
    QString file;
    // FILE as it was given, for messages, when `file` is another way to it.
    QString fileLabel;
    QString out;
    std::optional<int> buffer;
    std::optional<ValueFormat::Format> format;
    QString tags; // --tags: the tag sheet
    QString alarms; // --alarms: the alarm file ticked on the curves (png, pdf)
    Language language = Language::Chinese;
    CsvEncoding encoding = CsvEncoding::Utf8;
    bool encodingGiven = false;
    std::optional<qint64> start;
    std::optional<qint64> end;
    int scale = 1; // --scale: pixels per picture pixel (png)
    // --from, --until: the records of this time range, bounds included.
    std::optional<qint64> from;
    std::optional<qint64> until;
    bool help = false;
    bool version = false;

    // Parses the arguments after the program name. On a usage error,
    // `error` says what is wrong and nothing else is meaningful.
    static CommandLine parse(const QStringList &arguments, QString &error);
    static QString usage();
    // Whether the option takes the next argument as its value.
    static bool takesValue(const QString &option);
    QString fileShown() const { return fileLabel.isEmpty() ? file : fileLabel; }
};

// Runs a `--to` command over the log document (the curve window hidden for png
// and pdf); returns the exit status.
int runHeadless(const CommandLine &command);
