#pragma once

#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class AutomationFactory;
class LogDocument;
class QAction;
class QMenu;
class QProgressBar;
class SaveChooser;
class WorkProgress;

// The main window's Save As: the pop-up menu item and Ctrl+S, the chooser of
// the target and its kind, and the write of the grid as CSV through
// SaveAsWriter or as a workbook through the export, with the gauge and the
// window's progress. A failed write says why; a stopped one leaves no file.
class SaveAsController : public QObject
{
    Q_OBJECT
public:
    using AutomationMaker = std::function<std::unique_ptr<AutomationFactory>(const QString &)>;

    // What the controller asks of the window it serves.
    struct Host
    {
        std::function<Language()> language;
        // Runs a save as the window's one piece of work; false when stopped.
        std::function<bool(const std::function<void()> &work)> runSave;
        // The progress of the work under way, asked between rows.
        std::function<WorkProgress *()> work;
        // The export of the grid, through the automation `automation` makes.
        std::function<void(const AutomationMaker &automation)> exportWith;
        std::function<void(const QString &text)> message;
    };

    // `chooser` asks for the target; the save dialog when null. The action
    // is `window`'s, so that its shortcut works wherever the focus is.
    SaveAsController(LogDocument &document, SaveChooser *chooser, Host host, QWidget *window);
    ~SaveAsController() override;

    // Puts the menu item into `popup` before `before`; `gauge` shows how far
    // a CSV write is.
    void install(QMenu *popup, QAction *before, QProgressBar *gauge);
    void applyTexts(Language language);
    QAction *action() const { return m_action; }

public slots:
    void saveAs();

private:
    void saveCsv(const QString &path);
    void saveXlsx(const QString &path);

    LogDocument &m_document;
    SaveChooser *m_chooser = nullptr;
    std::unique_ptr<SaveChooser> m_ownChooser;
    Host m_host;
    QWidget *m_window = nullptr;
    QProgressBar *m_gauge = nullptr;
    QAction *m_action = nullptr;
};
