#pragma once

#include "document/AlarmHistory.h"
#include "document/LogDocument.h"
#include "document/RecordSource.h"
#include "mainwindow/SaveChooser.h"
#include "platform/Language.h"

#include <QColor>
#include <QMainWindow>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class AutomationFactory;
class FindBar;
class FindController;
class FollowController;
class GridCopyAction;
class MessageSink;
class OptionsStore;
class QMenu;
class RecentFilesMenu;
class SaveAsController;
class TagSheetController;
class TimeRangeChooser;
class TimeRangeController;
class AlarmListWindow;
class AlarmStatisticsWindow;
class AlarmsController;
class WorkProgress;
namespace Ui {
class MainWindow;
}

// Asks the user for the file to open; an empty name means cancelled.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual QString chooseFileToOpen(QWidget *owner) = 0;
    // The tag sheet to use; empty when cancelled.
    virtual QString chooseTagSheet(QWidget *) { return {}; }
};

// Answers with the one file it was given, as if the user had chosen it.
class FixedFileChooser : public FileChooser
{
public:
    explicit FixedFileChooser(QString file)
        : m_file(std::move(file))
    { }
    QString chooseFileToOpen(QWidget *) override { return m_file; }

private:
    QString m_file;
};

// What the main window reports through and asks with. Left empty, the
// window uses message boxes and the open dialog; without an options store
// nothing is read or written.
struct MainWindowServices
{
    MessageSink *messages = nullptr;
    FileChooser *files = nullptr;
    OptionsStore *options = nullptr;
    // Makes the spreadsheet automation for one export of the open file.
    std::function<std::unique_ptr<AutomationFactory>(const QString &openFileName)> automation;
    // Memory a binary file's records may take in the grid (empty: unknown).
    // Left empty, the machine's available physical memory.
    std::function<std::optional<qint64>()> memoryBudget;
    // Asks where Save As writes; the save dialog when empty.
    SaveChooser *saveFiles = nullptr;
    // Asked by every load and save as it goes, and a stop it asks for puts
    // the window back as it was; when empty, a progress dialog with Cancel
    // shows after half a second.
    WorkProgress *progress = nullptr;
    // Asks for the time range to show; the time range dialog when empty.
    TimeRangeChooser *timeRanges = nullptr;
};

// The main window: toolbar, record grid and options over the open log
// document, whose outcomes it shows as messages and control states.
class MainWindow : public QMainWindow, public RecordSource
{
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowServices &services = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // RecordSource
    const RecordGridModel &recordGrid() const override { return m_document.grid(); }
    Language language() const override;
    bool displayFormatEnabled() const override;
    ValueFormat::Format displayFormat() const override;

    RecordGridModel &grid() { return m_document.grid(); }
    LogDocument &document() { return m_document; }
    const LogDocument &document() const { return m_document; }
    QString openFileName() const override { return m_document.path(); }
    // How the last load into the grid ended: Failed when the grid does not
    // hold the file's records (the file could not be read, was refused as
    // too large, or the load broke off), whatever the window said about it.
    enum class LoadOutcome { None, Loaded, Failed };
    LoadOutcome loadOutcome() const;
    // Why the last export failed, empty when it did not.
    QString exportFailure() const { return m_exportFailure; }
    QColor countDisplayColour() const { return m_countColour; }
    bool dynamicLoad() const;

    // Picks an item of the record buffer or display format list as a user
    // would: nothing happens for the item already selected. False when the
    // list is disabled, or, for a format, when the binary file could not be
    // read again in it.
    bool pickBuffer(int index);
    // Opens `path` as if it had been chosen with Open; the title shows
    // `shownName` instead when given (a name `path` only leads to).
    void openFile(const QString &path, const QString &shownName = {});
    bool pickFormat(ValueFormat::Format format);

public slots:
    void showInLanguage();
    void storeOptions();
    void switchToChinese();
    void switchToEnglish();
    void exitProgram();
    void clearGrid();
    void exportWorkbook();
    void showCurves();
    void openFromDialog();
    void bufferPicked();
    void displayFormatPicked();

signals:
    void closed();
    // The curve button asks for the curve window.
    void curvesRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The texts the window carries from its creation: the fixed ones, the
    // hidden buffer lists of both languages, and the Chinese captions.
    void writeInitialTexts();
    // The captions of the buttons and the menu in the language asked for.
    void applyCaptions(Language language);
    // The window's outer size, frame included.
    static constexpr QSize DesignSize {880, 524};

    void readStoredOptions();
    QSize minimumClientSize() const;
    // Makes the outer size the design size once the frame is known.
    void fitOuterSize();
    void buildMenu();
    void applyFonts();
    void setCountColour(const QColor &colour);
    void updateCountDisplay();
    void message(const QString &caption, const QString &text);
    // A failure's message with its cause (the library's or the system's words).
    void failure(const QString &caption, const QString &text, const QString &cause);
    // The display format list's item of a format, and back.
    static int formatItem(ValueFormat::Format format);
    static ValueFormat::Format formatOfItem(int item);
    // The window as an open begins: the file's title, the lists disabled,
    // the count at zero.
    void prepareOpen(const QString &path);
    // The messages and control states of an open's outcome.
    void showOpenOutcome(const LogDocument::Outcome &outcome);
    // Those of a display format change.
    void showFormatChange(const LogDocument::Outcome &outcome);
    // The messages and count display of a data record buffer's load.
    void showBufferOutcome(const LogDocument::Outcome &outcome);
    // The message of a binary file refused as too large.
    void showFileTooLarge(const LogDocument::Outcome &outcome);
    // Shows the open data records read again in the selected format; false,
    // after the message, when they could not be read whole. A file that lost
    // its signature empties the grid but leaves the count.
    bool showFormatOutcome(const LogDocument::Outcome &outcome);
    QString bufferText() const;
    // Open's load of the file chosen.
    void openChosen(const QString &path);

    // The user's one piece of work at a time (a load or a save). At its
    // first level the window is kept as it is, the progress is set up, and a
    // stop puts the window back (a save leaves no file); an inner level
    // passes a stop on. False when the work was stopped.
    // Growth only adds rows: given up, the rows are cut back, and the grid
    // is not kept aside (which would copy its records on the first write).
    enum class WorkKind { Load, Grow, Save };
    // Runs one step of a work, noting a stop instead of passing it on.
    void runStep(const std::function<void()> &work);
    bool runWork(WorkKind kind, const std::function<void()> &work);
    struct WindowState;
    WindowState windowState() const;
    void restoreWindowState(WindowState &state);

    std::unique_ptr<Ui::MainWindow> ui;
    MainWindowServices m_services;
    std::unique_ptr<MessageSink> m_ownMessages;
    std::unique_ptr<FileChooser> m_ownFiles;
    QMenu *popupMenu = nullptr;
    RecentFilesMenu *m_recentMenu = nullptr;

    LogDocument m_document;
    // The name the title shows for the open file.
    QString m_titleName;
    QString m_exportFailure;
    QColor m_countColour = QColor(0, 0, 255);
    // The last format change could not read the binary file whole.
    bool m_formatFailed = false;
    // The lists' items the grid was last loaded with: a pick changes the
    // list before its load runs, and a load given up goes back to these.
    int m_loadedBuffer = 0;
    ValueFormat::Format m_loadedFormat = ValueFormat::Format::Unsigned16;
    WorkProgress *m_work = nullptr;
    int m_workDepth = 0;
    bool m_workStopped = false;
    bool m_outerFitted = false;

    // The grid's tools: copy (GridCopyAction), find (FindController), Save As
    // (SaveAsController), reload and follow (FollowController).
public:
    // The selected rows under the title row, as Copy puts them on the clipboard.
    QByteArray selectionText() const;
    bool following() const;
    FindBar *findBar() const;
    QString findCountText() const;

public slots:
    void copySelection();
    void selectAllRows();
    void showFind();
    void showGoToId();
    void findNext();
    void findPrevious();
    void saveAs();
    void reloadFile();
    void setFollowing(bool on);

signals:
    // The grid was read again (reload or follow); the curve window refreshes.
    void gridReloaded();

private:
    void buildTools();
    void applyToolTexts(Language language);
    // Reload's part in the window: the open file read again as if opened
    // anew, its title, buffer and format kept.
    void reopenFile();

    // Tag sheets and the statistics of the selection (TagSheetController).
public:
    // Reads the tag sheet at `path` (empty: none) and shows the open data
    // records with it; remembered for the open file's folder. A faulty sheet
    // is refused whole with a message naming its line and column, and the
    // sheet in use stays: false then.
    bool useTagSheet(const QString &path);
    // The status line under the grid: statistics of the selected cells that
    // hold numbers; empty without such cells.
    QString selectionStatisticsText() const;
    TagSheetController *tagSheets() const { return m_tagSheets; }

public slots:
    void chooseTagSheet();
    void dropTagSheet();

private:
    void buildTagSheetTools();
    // The records and the title with the sheet now in use.
    void showTagSheetChange();
    // The display format list as the loaded grid and the sheet allow.
    void updateFormatList();
    // A title with the sheet in use after it.
    QString withTagSheet(const QString &title) const;
    QString titleWithFile(Language language, const QString &name) const;

    TagSheetController *m_tagSheets = nullptr;

    GridCopyAction *m_copyAction = nullptr;
    FindController *m_find = nullptr;
    SaveAsController *m_saveAs = nullptr;
    FollowController *m_follow = nullptr;

    // The time range, go to a time (TimeRangeController), and the alarms
    // beside the records (AlarmsController).
public:
    TimeRangeController *timeRanges() const { return m_timeRanges; }
    AlarmsController *alarms() const { return m_alarms; }
    QAction *timeRangeAction() const;
    AlarmListWindow *alarmList() const;
    QAction *alarmListAction() const;
    AlarmStatisticsWindow *alarmStatistics() const;
    QAction *alarmStatisticsAction() const;
public slots:
    void chooseTimeRange();
    void showAlarmList();
    void showAlarmStatistics();
    // Lists the alarms of `path` beside the records; false when it is not
    // an alarm file that could be read.
    bool useAlarmFile(const QString &path);
    // Makes the first record at or after `time` of those shown the current row.
    void goToTime(qint64 time);
    // The alarm file beside the records is read from now on, at once and at
    // every opening (the curve window ticks its alarms).
    void wantAlarms();

signals:
    // The alarms beside the records were read, or another file chosen.
    void alarmsChanged(const std::optional<AlarmHistory> &alarms);
    // A listed alarm was chosen: `row` is the record at its time.
    void alarmRecordChosen(int row);

private:
    void buildTimeLine();
    // The title with the open file's name, and the range shown if any.
    QString titleOfFile() const;
    // The grid shows another range: title, count, alarms and curves follow.
    void showTimeRangeChange();

    TimeRangeController *m_timeRanges = nullptr;
    AlarmsController *m_alarms = nullptr;
};
