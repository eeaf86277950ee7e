// The main window's tools beside its toolbar: copy, find, save as, reload and
// follow, wired to the pop-up menu, shortcuts, the grid's context menu and the
// find bar. Copy and find are classes of their own, Save As writes through
// SaveAsWriter and reload reads through the log document; every control of
// the window stays where it is.

#include "document/FileFollower.h"
#include "document/SaveAsWriter.h"
#include "mainwindow/FindController.h"
#include "mainwindow/GaugeProgress.h"
#include "mainwindow/GridCopyAction.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecentFilesMenu.h"
#include "mainwindow/SaveChooser.h"

#include "export/Automation.h"
#include "platform/MessageSink.h"
#include "platform/OptionsStore.h"
#include "platform/WorkProgress.h"
#include "texts/MainTexts.h"
#include "ui_MainWindow.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

namespace {
const QString FollowKey = QStringLiteral("Follow");
} // namespace

void MainWindow::buildTools()
{
    RecordGridView *view = ui->recordGrid;
    const auto addShortcut = [this](QAction *action, const QList<QKeySequence> &keys) {
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    };

    m_copyAction = new GridCopyAction(this, view, &m_document.grid());
    m_find = new FindController(this, view, &m_document.grid());

    m_saveAs = new QAction(this);
    m_saveAs->setObjectName(QStringLiteral("SaveAs"));
    addShortcut(m_saveAs, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    connect(m_saveAs, &QAction::triggered, this, &MainWindow::saveAs);
    m_reload = new QAction(this);
    m_reload->setObjectName(QStringLiteral("Reload"));
    addShortcut(m_reload, {QKeySequence(Qt::Key_F5)});
    connect(m_reload, &QAction::triggered, this, &MainWindow::reloadFile);
    m_follow = new QAction(this);
    m_follow->setObjectName(QStringLiteral("Follow"));
    m_follow->setCheckable(true);
    connect(m_follow, &QAction::triggered, this, &MainWindow::setFollowing);

    // The new items go above the exit item, after their own separator.
    QAction *exitSeparator = nullptr;
    for (QAction *a : popupMenu->actions())
        if (a->objectName() == QLatin1String("recentFilesSeparator"))
            exitSeparator = a;
    popupMenu->insertAction(exitSeparator, m_saveAs);
    popupMenu->insertAction(exitSeparator, m_reload);
    popupMenu->insertAction(exitSeparator, m_follow);
    popupMenu->insertSeparator(m_saveAs);

    if (!m_services.saveFiles) {
        m_ownSaves = std::make_unique<SaveDialogChooser>();
        m_services.saveFiles = m_ownSaves.get();
    }
    m_follower = new FileFollower(this);
    connect(m_follower, &FileFollower::changed, this, &MainWindow::followChanged);
    connect(m_follower, &FileFollower::replaced, this, &MainWindow::followReplaced);
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
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(view), m_goneNotice);
    // Every load starts with an emptied grid: a good moment to see whether
    // the open file is another one, once the load is done.
    connect(&m_document.grid(), &QAbstractItemModel::modelReset, this, [this] {
        m_find->gridChanged();
        // The grid holds what a load found now, no longer the gone file's rows.
        setFileGone(false);
        if (m_follow->isChecked() && m_follower->path() != m_document.path())
            QTimer::singleShot(0, this, &MainWindow::followOpenFile);
    });

    if (OptionsStore *store = m_services.options; store && store->keyExists())
        m_follow->setChecked(store->readInteger(FollowKey).value_or(0) != 0);
    applyToolTexts(language());
}

void MainWindow::applyToolTexts(Language language)
{
    if (!m_copyAction)
        return;
    m_copyAction->setTexts(language);
    m_saveAs->setText(MainTexts::saveAsMenu(language));
    m_reload->setText(MainTexts::reloadMenu(language));
    m_follow->setText(MainTexts::followMenu(language));
    m_find->setTexts(language);
    m_goneNotice->setText(m_follow->isChecked() ? MainTexts::fileGoneFollowing(language)
                                                : MainTexts::fileGone(language));
}

void MainWindow::setFileGone(bool gone)
{
    m_fileGone = gone;
    if (!m_goneNotice)
        return;
    // Its text says whether following waits for the file.
    applyToolTexts(language());
    m_goneNotice->setVisible(gone);
}

// Copy and find, for the keys and the menu

QByteArray MainWindow::selectionText() const
{
    return m_copyAction->selectionText();
}

void MainWindow::copySelection()
{
    m_copyAction->copySelection();
}

void MainWindow::selectAllRows()
{
    m_copyAction->selectAllRows();
}

FindBar *MainWindow::findBar() const
{
    return m_find->bar();
}

QString MainWindow::findCountText() const
{
    return m_find->countText();
}

void MainWindow::showFind()
{
    m_find->showFind();
}

void MainWindow::showGoToId()
{
    m_find->showGoToId();
}

void MainWindow::findNext()
{
    m_find->findNext();
}

void MainWindow::findPrevious()
{
    m_find->findPrevious();
}

// Save as

void MainWindow::saveAs()
{
    const Language language = this->language();
    int filter = 0;
    const QString chosen = m_services.saveFiles->chooseFileToSave(
        this, MainTexts::saveAsTitle(language), SaveAsWriter::filters(language), filter);
    if (chosen.isEmpty())
        return;
    const SaveAsWriter::Kind kind = SaveAsWriter::kindOfFilter(filter);
    const QString path = SaveAsWriter::targetPath(chosen, kind);
    if (kind == SaveAsWriter::Kind::Csv)
        saveCsv(path);
    else
        saveXlsx(path);
}

void MainWindow::saveCsv(const QString &path)
{
    GaugeProgress progress(ui->progressGauge);
    progress.start(m_document.grid().rows() - 1);
    bool written = false;
    QString failure;
    const bool ran = runWork(WorkKind::Save, [&] {
        written = SaveAsWriter::writeCsv(
            m_document.grid(), path, m_document.path(),
            [&](int row) {
                progress.setPosition(row);
                if (row % 256 == 0)
                    stopUnlessGoing(m_work, row);
            },
            failure);
    });
    progress.finish();
    // Given up, the temporary file went and the target stays as it was.
    if (!ran || written)
        return;
    message(MainTexts::captionNorvale(), MainTexts::saveFailed(language(), failure));
}

void MainWindow::saveXlsx(const QString &path)
{
    // The export itself, through the workbook engine saving to `path`.
    QString writeFailure;
    const QString shown = m_document.path();
    auto usual = std::exchange(m_services.automation, [&](const QString &) {
        return makeSavingWorkbookEngine(path, shown, &writeFailure, m_work);
    });
    exportWorkbook();
    m_services.automation = std::move(usual);
    if (!writeFailure.isEmpty())
        message(MainTexts::captionNorvale(), MainTexts::saveFailed(language(), writeFailure));
}

// Reload and follow

MainWindow::ViewPlace MainWindow::viewPlace() const
{
    const RecordGridView *view = ui->recordGrid;
    ViewPlace place;
    place.top = view->rowAt(0);
    place.current = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    const int bottom = view->rowAt(view->viewport()->height() - 1);
    place.atEnd = bottom < 0 || bottom >= m_document.grid().rowCount() - 1;
    return place;
}

void MainWindow::restoreViewPlace(const ViewPlace &place)
{
    RecordGridView *view = ui->recordGrid;
    const int rows = m_document.grid().rowCount();
    if (place.current >= 0 && place.current < rows)
        view->selectionModel()->setCurrentIndex(m_document.grid().index(place.current, 0),
                                                QItemSelectionModel::ClearAndSelect
                                                    | QItemSelectionModel::Rows);
    if (place.atEnd)
        view->scrollToBottom();
    else if (place.top >= 0 && place.top < rows)
        view->scrollTo(m_document.grid().index(place.top, 0), QAbstractItemView::PositionAtTop);
}

void MainWindow::reloadFile()
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
    runWork(WorkKind::Load, [this] { reloadSteps(); });
}

void MainWindow::reloadSteps()
{
    const ViewPlace place = viewPlace();
    const QString title = windowTitle();
    const QString titleName = m_titleName;
    const QString path = m_document.path();
    // As if the file were opened anew and its buffer and format picked again;
    // a stop throws out of here and the window is put back as it was.
    prepareOpen(path);
    const LogDocument::ReloadSteps steps = m_document.reload();
    showOpenOutcome(steps.open);
    m_recentMenu->add(path);
    // The title keeps the name the file was opened by.
    if (!titleName.isEmpty())
        m_titleName = titleName;
    setWindowTitle(title);
    if (steps.buffer) {
        {
            const QSignalBlocker block(ui->bufferList);
            ui->bufferList->setCurrentIndex(m_document.buffer() - 1);
        }
        showBufferOutcome(*steps.buffer);
    }
    if (steps.format) {
        {
            const QSignalBlocker block(ui->displayFormatList);
            ui->displayFormatList->setCurrentIndex(formatItem(m_document.format()));
        }
        showFormatChange(*steps.format);
    }
    restoreViewPlace(place);
    emit gridReloaded();
}

bool MainWindow::following() const
{
    return m_follow->isChecked();
}

void MainWindow::setFollowing(bool on)
{
    m_follow->setChecked(on);
    if (OptionsStore *store = m_services.options; store && store->keyExists())
        store->writeInteger(FollowKey, on ? 1 : 0);
    if (on)
        followOpenFile();
    else
        m_follower->stop();
    setFileGone(m_fileGone);
}

void MainWindow::followOpenFile()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    m_follower->follow(m_document.path(), m_document.isDatabase());
    m_document.rememberGrowth();
    if (m_follower->fileGone())
        setFileGone(true);
}

void MainWindow::followReplaced()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    // A file new under the name shares nothing with the rows read before.
    reloadFile();
    m_follower->readDone();
}

void MainWindow::followChanged()
{
    if (!m_follow->isChecked() || m_document.path().isEmpty())
        return;
    // A load or save under way lets the user interface run; the file is
    // looked at again once it is done.
    if (m_workDepth > 0) {
        QTimer::singleShot(FileFollower::MinimumGapMs, this, &MainWindow::followChanged);
        return;
    }
    const LogGrowth::Change change = m_document.changeSinceRead();
    if (change == LogGrowth::Change::Whole) {
        reloadFile();
    } else if (change == LogGrowth::Change::Grew) {
        runWork(WorkKind::Grow, [this] { readGrowth(); });
    }
    m_follower->readDone();
}

void MainWindow::readGrowth()
{
    const ViewPlace place = viewPlace();
    const LogDocument::Outcome outcome = m_document.readGrowth();
    // A file that cannot be opened now is looked at again on its next change.
    if (outcome.status == LogDocument::Status::ShortRead)
        message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
    else if (outcome.status == LogDocument::Status::FileTooLarge)
        showFileTooLarge(outcome);
    updateCountDisplay();
    m_document.rememberGrowth();
    restoreViewPlace(place);
    emit gridReloaded();
}
