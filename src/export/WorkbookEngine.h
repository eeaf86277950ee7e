#pragma once

#include "export/Automation.h"

#include <functional>
#include <memory>
#include <optional>

class WorkbookEngineSheet;

// What making the application visible does with the finished workbook.
class WorkbookPresenter
{
public:
    virtual ~WorkbookPresenter() = default;
    // Throws AutomationError when the workbook cannot be shown or kept.
    virtual void present(const WorkbookEngineSheet &sheet) = 0;
};

// A small spreadsheet object model behind the automation seam. It answers
// "Excel.application" and "excel.sheet": application → workbooks → add →
// worksheets → rows, ranges, cells, font, borders. It records what the
// operations set and hands the workbook to its presenter when the
// application is made visible. Each application object starts empty.
class WorkbookEngine : public AutomationFactory
{
public:
    // `available` tells whether objects can be created at all; it is asked
    // once, at the first creation.
    explicit WorkbookEngine(std::shared_ptr<WorkbookPresenter> presenter,
                            std::function<bool()> available = {});
    std::unique_ptr<AutomationObject> create(const QString &progId) override;

private:
    std::shared_ptr<WorkbookPresenter> m_presenter;
    std::function<bool()> m_available;
    std::optional<bool> m_isAvailable;
};

// Writes the workbook into a new temporary folder, named after the log file,
// as a workbook template, and opens it with the desktop's spreadsheet
// application, which makes a new, untitled workbook of it.
std::shared_ptr<WorkbookPresenter> makeDesktopPresenter(const QString &logFileName);
// Saves the workbook to `outFile`, never over `protectedFile`. With
// `writeFailure`, a file that cannot be written is no failure of the
// automation: the reason is left there instead. A `progress` that says stop
// while the file is written throws WorkStopped, and nothing is saved.
std::shared_ptr<WorkbookPresenter> makeSavingPresenter(const QString &outFile,
                                                       const QString &protectedFile = {},
                                                       QString *writeFailure = nullptr,
                                                       WorkProgress *progress = nullptr);

// "Buffer.db" → "Buffer.db.xlsx"; the folder part is dropped.
QString workbookFileNameFor(const QString &logFileName);

// Whether this desktop has an application registered for .xlsx files.
bool desktopHasSpreadsheetApplication();
