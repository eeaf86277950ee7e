#include "export/Automation.h"

#include "export/WorkbookEngine.h"

std::unique_ptr<AutomationFactory> makeDesktopAutomation(const QString &logFileName)
{
    return std::make_unique<WorkbookEngine>(makeDesktopPresenter(logFileName),
                                            desktopHasSpreadsheetApplication);
}

std::unique_ptr<AutomationFactory> makeSavingWorkbookEngine(const QString &outFile,
                                                            const QString &protectedFile,
                                                            QString *writeFailure,
                                                            WorkProgress *progress)
{
    return std::make_unique<WorkbookEngine>(
        makeSavingPresenter(outFile, protectedFile, writeFailure, progress));
}
