#pragma once

#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class FindController;
class LogDocument;
class QAbstractButton;
class QAction;
class QMenu;
class RecordGridView;
class TimeRangeChooser;

// The main window's time range: the pop-up menu item and its dialog, going
// to a time, and what the title and the count say while a range shows. The
// log document keeps the range through reloads and growth; everything that
// reads the grid sees its rows.
class TimeRangeController : public QObject
{
    Q_OBJECT
public:
    // What the controller asks of the window it serves.
    struct Host
    {
        std::function<Language()> language;
        // A load or a save is under way: the range waits.
        std::function<bool()> busy;
        // The title for the open file without the range.
        std::function<QString()> fileTitle;
        std::function<void(const QString &title)> setTitle;
        // The grid now shows another range: the window's count, the alarms
        // and the curves follow.
        std::function<void()> rangeChanged;
    };

    // `chooser` asks for the range; the time range dialog when null.
    TimeRangeController(LogDocument &document, TimeRangeChooser *chooser, Host host,
                        QWidget *owner);
    ~TimeRangeController() override;

    // Puts the menu item into `popup` before `before`; `view` is the grid
    // whose current row a chosen time moves, `count` the count display, and
    // `find` learns the rows' times for "@time".
    void install(QMenu *popup, QAction *before, RecordGridView *view, QAbstractButton *count,
                 FindController *find);
    void applyTexts(Language language);

    QAction *action() const { return m_action; }
    // The title of the open file with the range shown, if any.
    QString title() const;
    // Where a range shows, the count and the title say so.
    void showRangeState();

public slots:
    void chooseTimeRange();
    // Makes the first record at or after `time` of those shown the current row.
    void goToTime(qint64 time);

private:
    // Makes grid row `row` (from 1) current, in the middle of the view.
    void makeCurrent(int row);

    LogDocument &m_document;
    TimeRangeChooser *m_chooser = nullptr;
    std::unique_ptr<TimeRangeChooser> m_ownChooser;
    Host m_host;
    QWidget *m_owner = nullptr;
    RecordGridView *m_view = nullptr;
    QAbstractButton *m_count = nullptr;
    QAction *m_action = nullptr;
};
