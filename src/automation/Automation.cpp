#include "automation/Automation.h"

#include "automation/WorkbookEngine.h"

#ifdef NORVALE_HAVE_AXCONTAINER
#include "automation/AxAutomation.h"
#endif

std::unique_ptr<AutomationFactory> makeDesktopAutomation(const QString &logFileName)
{
#ifdef NORVALE_HAVE_AXCONTAINER
    Q_UNUSED(logFileName);
    return makeAxAutomation();
#else
    return std::make_unique<WorkbookEngine>(makeDesktopPresenter(logFileName),
                                            desktopHasSpreadsheetApplication);
#endif
}

std::unique_ptr<AutomationFactory> makeSavingWorkbookEngine(const QString &outFile,
                                                            const QString &protectedFile,
                                                            QString *writeFailure,
                                                            WorkProgress *progress)
{
    return std::make_unique<WorkbookEngine>(
        makeSavingPresenter(outFile, protectedFile, writeFailure, progress));
}
