#include "mainwindow/FollowController.h"

#include "document/FileFollower.h"
#include "mainwindow/RecordGridView.h"
#include "mainwindow/ViewPlace.h"
#include "platform/OptionsStore.h"
#include "texts/MainTexts.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace {
const QString FollowKey = QStringLiteral("Follow");
} // namespace

FollowController::FollowController(LogDocument &document, OptionsStore *options, Host host,
                                   QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_options(options)
    , m_host(std::move(host))
    , m_window(window)
{ }

FollowController::~FollowController() = default;

void FollowController::install(QMenu *popup, QAction *before, RecordGridView *view,
                               QBoxLayout *layout)
{
    m_view = view;
    m_reload = new QAction(m_window);
    m_reload->setObjectName(QStringLiteral("Reload"));
    m_reload->setShortcuts({QKeySequence(Qt::Key_F5)});
    m_reload->setShortcutContext(Qt::WindowShortcut);
    m_window->addAction(m_reload);
    connect(m_reload, &QAction::triggered, this, &FollowController::reloadFile);
    m_follow = new QAction(m_window);
    m_follow->setObjectName(QStringLiteral("Follow"));
    m_follow->setCheckable(true);
    connect(m_follow, &QAction::triggered, this, &FollowController::setFollowing);
    popup->insertAction(before, m_reload);
    popup->insertAction(before, m_follow);

    m_follower = new FileFollower(this);
    connect(m_follower, &FileFollower::changed, this, &FollowController::followChanged);
    connect(m_follower, &FileFollower::replaced, this, &FollowController::followReplaced);
    connect(m_follower, &FileFollower::gone, this, [this] {
        m_document.forgetGrowth();
        setFileGone(true);
    });
    // Above the grid, seen only while the open file is gone.
    m_goneNotice = new QLabel(view->parentWidget());
    m_goneNotice->setObjectName(QStringLiteral("FileGoneNotice"));
    m_goneNotice->setMargin(4);
    m_goneNotice->setAutoFillBackground(true);
    m_goneNotice->setBackgroundRole(QPalette::ToolTipBase);
    m_goneNotice->setForegroundRole(QPalette::ToolTipText);
    m_goneNotice->setVisible(false);
    layout->insertWidget(layout->indexOf(view), m_goneNotice);
    // Every load starts with an emptied grid: a good moment to see whether
    // the open file is another one, once the load is done.
    connect(&m_document.grid(), &QAbstractItemModel::modelReset, this, [this] {
        // The grid holds what a load found now, no longer the gone file's rows.
        setFileGone(false);
        if (m_follow->isChecked() && m_follower->path() != m_document.path())
            QTimer::singleShot(0, this, &FollowController::followOpenFile);
    });

    if (m_options && m_options->keyExists())
        m_follow->setChecked(m_options->readInteger(FollowKey).value_or(0) != 0);
    applyTexts(m_host.language());
}

void FollowController::applyTexts(Language language)
{
    if (!m_follow)
        return;
    m_reload->setText(MainTexts::reloadMenu(language));
    m_follow->setText(MainTexts::followMenu(language));
    m_goneNotice->setText(m_follow->isChecked() ? MainTexts::fileGoneFollowing(language)
                                                : MainTexts::fileGone(language));
}

void FollowController::setFileGone(bool gone)
{
    m_fileGone = gone;
    if (!m_goneNotice)
        return;
    // Its text says whether following waits for the file.
    applyTexts(m_host.language());
    m_goneNotice->setVisible(gone);
}

void FollowController::reloadFile()
{
    if (m_document.path().isEmpty())
        return;
    // A vanished file would leave an empty grid: its last rows stay instead,
    // with the notice, until a file has the name again.
    if (!QFileInfo::exists(m_document.path())) {
        m_document.forgetGrowth();
        setFileGone(true);
        return;
    }
    m_host.runLoad([this] { reloadSteps(); });
}

void FollowController::reloadSteps()
{
    const ViewPlace place = ViewPlace::of(*m_view, m_document.grid());
    // A stop throws out of here and the window is put back as it was.
    m_host.reopen();
    place.restore(*m_view, m_document.grid());
    emit gridReloaded();
}

bool FollowController::following() const
{
    return m_follow->isChecked();
}

void FollowController::setFollowing(bool on)
{
    m_follow->setChecked(on);
    if (m_options && m_options->keyExists())
        m_options->writeInteger(FollowKey, on ? 1 : 0);
    if (on)
        followOpenFile();
    else
        m_follower->stop();
    setFileGone(m_fileGone);
}

void FollowController::followOpenFile()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    m_follower->follow(m_document.path(), m_document.isDatabase());
    m_document.rememberGrowth();
    if (m_follower->fileGone())
        setFileGone(true);
}

void FollowController::followReplaced()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    // A file new under the name shares nothing with the rows read before.
    reloadFile();
    m_follower->readDone();
}

void FollowController::followChanged()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    // A load or save under way lets the user interface run; the file is
    // looked at again once it is done.
    if (m_host.busy()) {
        QTimer::singleShot(FileFollower::MinimumGapMs, this, &FollowController::followChanged);
        return;
    }
    const LogGrowth::Change change = m_document.changeSinceRead();
    if (change == LogGrowth::Change::Whole) {
        reloadFile();
    } else if (change == LogGrowth::Change::Grew) {
        m_host.runGrowth([this] { readGrowth(); });
    }
    m_follower->readDone();
}

void FollowController::readGrowth()
{
    const ViewPlace place = ViewPlace::of(*m_view, m_document.grid());
    const LogDocument::Outcome outcome = m_document.readGrowth();
    // A file that cannot be opened now is looked at again on its next change.
    if (outcome.status == LogDocument::Status::ShortRead)
        m_host.message(MainTexts::invalidDatabase());
    else if (outcome.status == LogDocument::Status::FileTooLarge)
        m_host.fileTooLarge(outcome);
    m_host.countChanged();
    m_document.rememberGrowth();
    place.restore(*m_view, m_document.grid());
    emit gridReloaded();
}
