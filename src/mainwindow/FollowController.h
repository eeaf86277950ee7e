#pragma once

#include "document/LogDocument.h"
#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <functional>

class FileFollower;
class OptionsStore;
class QAction;
class QBoxLayout;
class QLabel;
class QMenu;
class RecordGridView;

// The main window's Reload (F5) and Follow File: the pop-up menu items, the
// stored option, the open file watched for growth or replacement, the notice
// over the grid while the file is gone, and the view kept in place while the
// grid is read again.
class FollowController : public QObject
{
    Q_OBJECT
public:
    // What the controller asks of the window it serves.
    struct Host
    {
        std::function<Language()> language;
        // A load or a save is under way: a change is looked at later.
        std::function<bool()> busy;
        // Run a load, or the reading of growth, as the window's one piece of
        // work; false when stopped.
        std::function<bool(const std::function<void()> &work)> runLoad;
        std::function<bool(const std::function<void()> &work)> runGrowth;
        // The open file read again as if opened anew, in its buffer and
        // format, under the title it was opened by.
        std::function<void()> reopen;
        std::function<void(const QString &text)> message;
        // The message of a binary file refused as too large.
        std::function<void(const LogDocument::Outcome &outcome)> fileTooLarge;
        // The grid holds more rows: the count display follows.
        std::function<void()> countChanged;
    };

    // The actions are `window`'s, so that F5 works wherever the focus is.
    FollowController(LogDocument &document, OptionsStore *options, Host host, QWidget *window);
    ~FollowController() override;

    // Puts the items into `popup` before `before`, and the file-gone notice
    // over `view` in `layout`.
    void install(QMenu *popup, QAction *before, RecordGridView *view, QBoxLayout *layout);
    void applyTexts(Language language);

    bool following() const;

public slots:
    void reloadFile();
    void setFollowing(bool on);

signals:
    // The grid was read again (reload or follow).
    void gridReloaded();

private:
    void followOpenFile();
    void followChanged();
    void followReplaced();
    void reloadSteps();
    // The records a binary file that only grew has gained.
    void readGrowth();
    // Shows or takes away the notice that the open file is gone.
    void setFileGone(bool gone);

    LogDocument &m_document;
    OptionsStore *m_options = nullptr;
    Host m_host;
    QWidget *m_window = nullptr;
    RecordGridView *m_view = nullptr;
    QAction *m_reload = nullptr;
    QAction *m_follow = nullptr;
    FileFollower *m_follower = nullptr;
    QLabel *m_goneNotice = nullptr;
    bool m_fileGone = false;
};
