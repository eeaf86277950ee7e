#pragma once

#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <functional>

class LogDocument;
class MessageSink;
class OptionsStore;
class QAction;
class QBoxLayout;
class QLabel;
class QMenu;
class QTimer;
class RecordGridView;
class TagSheetEditor;

// The main window's tag sheets: the pop-up menu's items, the sheet kept for
// each folder, the editor, and the statistics of the selected cells under
// the grid.
class TagSheetController : public QObject
{
    Q_OBJECT
public:
    // What the controller asks of the window it serves.
    struct Host
    {
        std::function<Language()> language;
        std::function<void(const QString &text)> message;
        // The sheet to use; empty when cancelled.
        std::function<QString()> chooseSheet;
        // The sheet in use changed: the window shows the records and its
        // title with it.
        std::function<void()> sheetChanged;
    };

    TagSheetController(LogDocument &document, OptionsStore *options, MessageSink *messages,
                       Host host, QWidget *owner);
    ~TagSheetController() override;

    // Puts the items into `popup` before `before`, and the status line
    // under `view` in `layout`.
    void install(QMenu *popup, QAction *before, RecordGridView *view, QBoxLayout *layout);
    void applyTexts(Language language);

    // Reads the tag sheet at `path` (empty: none) and shows the open data
    // records with it; remembered for the open file's folder. A faulty sheet
    // is refused whole with a message, and the sheet in use stays: false then.
    bool useTagSheet(const QString &path);
    // Before an open: the sheet last used with files of the file's folder.
    void takeFolderTagSheet(const QString &path);
    // A title with the sheet in use after it.
    QString withTagSheet(const QString &title) const;

    // The status line under the grid: statistics of the selected cells that
    // hold numbers; empty without such cells.
    QString selectionStatisticsText() const;
    // The editor, once it has been asked for.
    TagSheetEditor *editor() const { return m_editor; }
    // Closes the editor when it shows, asking about unsaved changes first;
    // false when it stays open (Cancel, or a save that failed).
    bool closeEditor();

public slots:
    void chooseTagSheet();
    void dropTagSheet();
    void editTagSheet();

private:
    void rememberFolderTagSheet();
    // A drag changes the selection at every mouse move: the line is made
    // once the events of the moment are handled.
    void scheduleSelectionStatistics();
    void updateSelectionStatistics();
    void sheetSaved(const QString &path);

    LogDocument &m_document;
    OptionsStore *m_options = nullptr;
    MessageSink *m_messages = nullptr;
    Host m_host;
    QWidget *m_owner = nullptr;
    RecordGridView *m_view = nullptr;
    QAction *m_tagSheetAction = nullptr;
    QAction *m_noTagSheetAction = nullptr;
    QAction *m_editAction = nullptr;
    QLabel *m_selectionStatistics = nullptr;
    QTimer *m_statisticsTimer = nullptr;
    TagSheetEditor *m_editor = nullptr;
};
