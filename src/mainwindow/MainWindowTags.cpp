// The main window's tag sheets: the pop-up menu's items, the sheet kept for
// each folder, and the statistics of the selected cells under the grid.
#include "mainwindow/MainWindow.h"

#include "mainwindow/FolderTagSheets.h"
#include "mainwindow/RecordGridView.h"
#include "platform/OptionsStore.h"
#include "records/GridStatistics.h"
#include "records/MainTexts.h"
#include "records/TagSheetTexts.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>

void MainWindow::buildTagSheetTools()
{
    m_tagSheetAction = new QAction(this);
    m_tagSheetAction->setObjectName(QStringLiteral("TagSheet"));
    connect(m_tagSheetAction, &QAction::triggered, this, &MainWindow::chooseTagSheet);
    m_noTagSheetAction = new QAction(this);
    m_noTagSheetAction->setObjectName(QStringLiteral("NoTagSheet"));
    connect(m_noTagSheetAction, &QAction::triggered, this, &MainWindow::dropTagSheet);
    // After Dynamic Load, before the recent files.
    QAction *before = popupMenu->findChild<QAction *>(QStringLiteral("recentFilesSeparator"));
    popupMenu->insertAction(before, m_tagSheetAction);
    popupMenu->insertAction(before, m_noTagSheetAction);

    RecordGridView *view = ui->recordGrid;
    m_selectionStatistics = new QLabel(view->parentWidget());
    m_selectionStatistics->setObjectName(QStringLiteral("SelectionStatistics"));
    m_selectionStatistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_selectionStatistics->setVisible(false);
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(view) + 1, m_selectionStatistics);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::updateSelectionStatistics);
    // A new grid (a load, a reload) drops the selection without a signal.
    connect(&m_document.grid(), &QAbstractItemModel::modelReset, this,
            &MainWindow::updateSelectionStatistics);
    applyTagSheetTexts(language());
}

void MainWindow::applyTagSheetTexts(Language language)
{
    if (!m_tagSheetAction)
        return;
    m_tagSheetAction->setText(TagSheetTexts::openMenu(language));
    m_noTagSheetAction->setText(TagSheetTexts::noneMenu(language));
    m_noTagSheetAction->setEnabled(m_document.tagSheet().has_value());
    updateSelectionStatistics();
}

QString MainWindow::withTagSheet(const QString &title) const
{
    if (!m_document.tagSheet())
        return title;
    return TagSheetTexts::titleWithSheet(language(), title,
                                         QFileInfo(m_document.tagSheetPath()).fileName());
}

QString MainWindow::titleWithFile(Language language, const QString &name) const
{
    return withTagSheet(MainTexts::windowTitleWithFile(language, name));
}

void MainWindow::chooseTagSheet()
{
    const QString path = m_services.files->chooseTagSheet(this);
    if (!path.isEmpty())
        useTagSheet(path);
}

void MainWindow::dropTagSheet()
{
    useTagSheet({});
}

bool MainWindow::useTagSheet(const QString &path)
{
    std::optional<TagSheet> sheet;
    if (!path.isEmpty()) {
        TagSheetReading reading = TagSheet::read(path);
        if (!reading.sheet) {
            message(MainTexts::captionNorvale(), reading.fault.message(language()));
            return false;
        }
        sheet = std::move(reading.sheet);
    }
    m_document.setTagSheet(std::move(sheet),
                           path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath());
    rememberFolderTagSheet();
    const bool records = m_document.gridState() == LogDocument::GridState::Loaded
        && (m_document.kind() == LogDocument::FileKind::RecordDatabase
            || m_document.kind() == LogDocument::FileKind::BinaryData);
    if (records) {
        // The records read again: the sheet decides their columns, or the
        // display format once more.
        runWork(WorkKind::Load, [this] {
            showFormatChange(m_document.selectFormat(m_document.format()));
            updateFormatList();
        });
    }
    const Language shownIn = language();
    setWindowTitle(m_document.path().isEmpty() ? withTagSheet(MainTexts::windowTitle(shownIn))
                                               : titleWithFile(shownIn, m_titleName));
    applyTagSheetTexts(shownIn);
    return true;
}

void MainWindow::updateFormatList()
{
    const bool on = m_document.gridState() == LogDocument::GridState::Loaded
        && m_document.formatSelectable() && !m_document.tagSheetDecides();
    const QSignalBlocker block(ui->displayFormatList);
    ui->displayFormatList->setEnabled(on);
    ui->displayFormatList->setCurrentIndex(formatItem(m_document.format()));
}

void MainWindow::takeFolderTagSheet(const QString &path)
{
    OptionsStore *store = m_services.options;
    if (!store)
        return;
    const FolderTagSheets sheets(store->readList(FolderTagSheets::storeKey()));
    const std::optional<QString> remembered = sheets.sheetFor(FolderTagSheets::folderOf(path));
    if (!remembered || *remembered == m_document.tagSheetPath())
        return;
    if (remembered->isEmpty()) {
        m_document.setTagSheet(std::nullopt);
    } else {
        TagSheetReading reading = TagSheet::read(*remembered);
        if (!reading.sheet) // changed or gone since: the file is shown without it
            message(MainTexts::captionNorvale(), reading.fault.message(language()));
        m_document.setTagSheet(std::move(reading.sheet), *remembered);
    }
    applyTagSheetTexts(language());
}

void MainWindow::rememberFolderTagSheet()
{
    OptionsStore *store = m_services.options;
    if (!store || m_document.path().isEmpty())
        return;
    FolderTagSheets sheets(store->readList(FolderTagSheets::storeKey()));
    sheets.remember(FolderTagSheets::folderOf(m_document.path()), m_document.tagSheetPath());
    store->writeList(FolderTagSheets::storeKey(), sheets.stored());
}

QString MainWindow::selectionStatisticsText() const
{
    const RecordGridView *view = ui->recordGrid;
    const QItemSelectionModel *selection = view->selectionModel();
    if (!selection || !selection->hasSelection())
        return {};
    const RecordGridModel &grid = m_document.grid();
    const bool records = m_document.kind() == LogDocument::FileKind::RecordDatabase
        || m_document.kind() == LogDocument::FileKind::BinaryData;
    if (!records)
        return {};
    QList<int> cols;
    for (int c = 3; c < grid.cols(); ++c)
        if (GridStatistics::holdsNumbers(grid, c, m_document.format()))
            cols.append(c);
    // One pass over the selected ranges, the cells as they are shown.
    NumberStatistics statistics;
    const int recordCount = grid.recordCount();
    for (const QItemSelectionRange &range : selection->selection()) {
        const int top = range.top() + 1;
        const int bottom = std::min(range.bottom() + 1, recordCount);
        for (int col : cols) {
            if (col - 1 < range.left() || col - 1 > range.right())
                continue;
            for (int row = top; row <= bottom; ++row)
                statistics.add(grid.cellUtf8(col, row));
        }
    }
    if (statistics.count() == 0)
        return {};
    return TagSheetTexts::selectionStatistics(
        language(), statistics.count(), QString::fromUtf8(statistics.minText()),
        QString::fromUtf8(statistics.maxText()), QString::fromUtf8(statistics.meanText()),
        QString::fromUtf8(statistics.sumText()));
}

void MainWindow::updateSelectionStatistics()
{
    if (!m_selectionStatistics)
        return;
    const QString text = selectionStatisticsText();
    m_selectionStatistics->setText(text);
    m_selectionStatistics->setVisible(!text.isEmpty());
}
