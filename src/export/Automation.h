#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

class WorkProgress;

// Late-bound automation: objects are created from a program identifier and
// reached by member name (matched without regard to case). The caller does not
// know which backend answers: the workbook engine, the spreadsheet application
// through ActiveX, or a recorder in the tests.

// Any failure of an automation object: an unknown member, a bad argument, an
// error of the application behind it.
class AutomationError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

using AutomationArgs = QList<QVariant>;

// One object reference; destroying it releases the reference.
class AutomationObject
{
public:
    virtual ~AutomationObject() = default;

    // Reads a member that yields an object: a property, or a method call
    // returning one, optionally indexed.
    virtual std::unique_ptr<AutomationObject> get(const QString &member,
                                                  const AutomationArgs &args = {})
        = 0;
    // Writes a property, optionally indexed (`indexes` may be empty).
    virtual void set(const QString &member, const AutomationArgs &indexes, const QVariant &value)
        = 0;
};

class AutomationFactory
{
public:
    virtual ~AutomationFactory() = default;
    // A new object for the program identifier, or nullptr when none can be created.
    virtual std::unique_ptr<AutomationObject> create(const QString &progId) = 0;
};

// What the export button drives: the spreadsheet application where ActiveX is
// available, otherwise the workbook engine, which shows the workbook it builds
// (named after the open log file) in the desktop's spreadsheet application.
std::unique_ptr<AutomationFactory> makeDesktopAutomation(const QString &logFileName);

// The workbook engine saving to `outFile` instead of showing the workbook,
// never over `protectedFile`; see makeSavingPresenter for `writeFailure` and
// `progress`.
std::unique_ptr<AutomationFactory> makeSavingWorkbookEngine(const QString &outFile,
                                                            const QString &protectedFile = {},
                                                            QString *writeFailure = nullptr,
                                                            WorkProgress *progress = nullptr);
