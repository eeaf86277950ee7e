#include "mainwindow/MainWindow.h"

#include "export/Automation.h"
#include "export/ExcelExport.h"
#include "logfiles/BinaryLogFile.h"
#include "mainwindow/AlarmsController.h"
#include "mainwindow/FileDrop.h"
#include "mainwindow/FindController.h"
#include "mainwindow/FollowController.h"
#include "mainwindow/GaugeProgress.h"
#include "mainwindow/GridCopyAction.h"
#include "mainwindow/RecentFilesMenu.h"
#include "mainwindow/SaveAsController.h"
#include "mainwindow/TagSheetController.h"
#include "mainwindow/TimeRangeController.h"
#include "mainwindow/ViewPlace.h"
#include "mainwindow/WorkProgressDialog.h"
#include "platform/Fonts.h"
#include "platform/MemoryBudget.h"
#include "platform/OptionsStore.h"
#include "platform/WindowPlacement.h"
#include "platform/WorkProgress.h"
#include "records/GridLayout.h"
#include "records/TagValue.h"
#include "texts/MainTexts.h"
#include "texts/TagSheetTexts.h"
#include "texts/Translations.h"
#include "ui_MainWindow.h"
#include "widgets/MessageBoxSink.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMoveEvent>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>

namespace {

const QColor Blue(0, 0, 255);
const QColor Olive(128, 128, 0);

class OpenDialogChooser : public FileChooser
{
public:
    QString chooseFileToOpen(QWidget *owner) override
    {
        QFileDialog dialog(owner);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const auto *frm = qobject_cast<const MainWindow *>(owner);
        dialog.setNameFilters(MainTexts::openFilters(frm ? frm->language() : Language::Chinese));
        dialog.setDefaultSuffix(QStringLiteral("bin"));
        dialog.setSizeGripEnabled(true);
        if (!m_lastFile.isEmpty())
            dialog.selectFile(m_lastFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        m_lastFile = dialog.selectedFiles().constFirst();
        return m_lastFile;
    }
    QString chooseTagSheet(QWidget *owner) override
    {
        const auto *frm = qobject_cast<const MainWindow *>(owner);
        const Language shownIn = frm ? frm->language() : Language::Chinese;
        QFileDialog dialog(owner, TagSheetTexts::openTitle(shownIn));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setNameFilter(TagSheetTexts::fileFilter(shownIn));
        if (frm && !frm->document().tagSheetPath().isEmpty())
            dialog.selectFile(frm->document().tagSheetPath());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

private:
    QString m_lastFile;
};

// The face colour of an enabled control; a disabled one keeps the
// platform's disabled text colour, so that it looks disabled.
void setFaceColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::ButtonText, colour);
        pal.setColor(group, QPalette::WindowText, colour);
        pal.setColor(group, QPalette::Text, colour);
    }
    w->setPalette(pal);
}

} // namespace

MainWindow::MainWindow(const MainWindowServices &services, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_services(services)
{
    ui->setupUi(this);
    if (!m_services.messages) {
        m_ownMessages = std::make_unique<MessageBoxSink>();
        m_services.messages = m_ownMessages.get();
    }
    if (!m_services.files) {
        m_ownFiles = std::make_unique<OpenDialogChooser>();
        m_services.files = m_ownFiles.get();
    }
    if (!m_services.automation)
        m_services.automation = [](const QString &file) { return makeDesktopAutomation(file); };
    if (!m_services.memoryBudget)
        m_services.memoryBudget = [] { return availablePhysicalMemory(); };

    m_document.setMemoryBudget(m_services.memoryBudget);
    ui->recordGrid->setRecordGrid(&m_document.grid());
    connect(&m_document, &LogDocument::rowRead, ui->recordGrid, &RecordGridView::showRowNow);
    connect(&m_document, &LogDocument::dynamicLoadDone, ui->recordGrid,
            &RecordGridView::finishRows);
    // Until the window system frames the window, the design size is taken
    // as the client size; fitOuterSize() makes it the outer size.
    resize(DesignSize);
    setMinimumSize(minimumClientSize());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    QPalette panel = ui->toolbarPanel->palette();
    panel.setColor(QPalette::Window, QColor(220, 240, 255));
    ui->toolbarPanel->setPalette(panel);
    ui->progressGauge->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: rgb(0,255,0); }"));
    applyFonts();
    buildMenu();
    new FileDrop(this, [this](const QString &path) { openFile(path); });

    connect(ui->openButton, &QPushButton::clicked, this, &MainWindow::openFromDialog);
    connect(ui->clearButton, &QPushButton::clicked, this, &MainWindow::clearGrid);
    connect(ui->exportButton, &QPushButton::clicked, this, &MainWindow::exportWorkbook);
    connect(ui->curvesButton, &QPushButton::clicked, this, &MainWindow::showCurves);
    // Only a pick by the user changes the list's index with signals on; the
    // window's own changes run under a signal blocker.
    connect(ui->bufferList, &QComboBox::currentIndexChanged, this, &MainWindow::bufferPicked);
    connect(ui->chineseBufferList, &QComboBox::currentIndexChanged, this,
            &MainWindow::bufferPicked);
    connect(ui->englishBufferList, &QComboBox::currentIndexChanged, this,
            &MainWindow::bufferPicked);
    connect(ui->displayFormatList, &QComboBox::currentIndexChanged, this,
            &MainWindow::displayFormatPicked);

    writeInitialTexts();
    readStoredOptions();
    Translations::install(language());
    buildTools();
    buildTagSheetTools();
    buildTimeLine();
}

MainWindow::~MainWindow() = default;

// The display format list holds the formats in their order.
int MainWindow::formatItem(ValueFormat::Format format)
{
    const auto *found
        = std::find(std::begin(ValueFormat::AllFormats), std::end(ValueFormat::AllFormats), format);
    return int(found - std::begin(ValueFormat::AllFormats));
}

ValueFormat::Format MainWindow::formatOfItem(int item)
{
    return ValueFormat::AllFormats[std::clamp(item, 0, ValueFormat::FormatCount - 1)];
}

void MainWindow::writeInitialTexts()
{
    ui->chineseAction->setText(MainTexts::chineseMenu());
    ui->englishAction->setText(MainTexts::englishMenu());
    {
        const QSignalBlocker block(ui->displayFormatList);
        for (const ValueFormat::Format f : ValueFormat::AllFormats)
            ui->displayFormatList->addItem(ValueFormat::formatName(f));
        ui->displayFormatList->setCurrentIndex(formatItem(ValueFormat::Format::Unsigned16));
    }

    const QSignalBlocker blockChinese(ui->chineseBufferList);
    const QSignalBlocker blockEnglish(ui->englishBufferList);
    for (int i = 0; i < MainTexts::BufferCount; ++i) {
        ui->chineseBufferList->addItem(MainTexts::bufferItem(Language::Chinese, i));
        ui->englishBufferList->addItem(MainTexts::bufferItem(Language::English, i));
    }
    // Until the first showing the window reads as designed, in Chinese.
    const QSignalBlocker block(ui->bufferList);
    for (int i = 0; i < MainTexts::BufferCount; ++i)
        ui->bufferList->addItem(MainTexts::bufferItem(Language::Chinese, i));
    ui->bufferList->setCurrentIndex(0);
    setWindowTitle(MainTexts::titlePrefix(Language::Chinese).trimmed());
    applyCaptions(Language::Chinese);
    ui->recordCountButton->setText(MainTexts::countDisplay(Language::Chinese, 0));
}

void MainWindow::applyCaptions(Language language)
{
    ui->openButton->setText(MainTexts::openCaption(language));
    ui->clearButton->setText(MainTexts::clearCaption(language));
    ui->exportButton->setText(MainTexts::exportCaption(language));
    ui->curvesButton->setText(MainTexts::curveCaption(language));
    if (auto *n1 = popupMenu->findChild<QMenu *>())
        n1->setTitle(MainTexts::languageMenu(language));
    ui->dynamicLoadAction->setText(MainTexts::dynamicLoadMenu(language));
    ui->exitAction->setText(MainTexts::exitMenu(language));
    if (m_recentMenu)
        m_recentMenu->retitle(language);
    if (m_copyAction)
        applyToolTexts(language);
    if (m_tagSheets)
        m_tagSheets->applyTexts(language);
    if (m_timeRanges)
        m_timeRanges->applyTexts(language);
    if (m_alarms)
        m_alarms->applyTexts(language);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The captions follow the language; the title, the count and the buffer
    // list change only where the language is applied (showInLanguage).
    if (event->type() == QEvent::LanguageChange)
        applyCaptions(language());
}

void MainWindow::applyFonts()
{
    setFont(sansFace(11));
    const QFont face = songFace(19);
    for (QWidget *w :
         {static_cast<QWidget *>(ui->openButton), static_cast<QWidget *>(ui->clearButton),
          static_cast<QWidget *>(ui->exportButton), static_cast<QWidget *>(ui->curvesButton),
          static_cast<QWidget *>(ui->recordCountButton), static_cast<QWidget *>(ui->bufferList),
          static_cast<QWidget *>(ui->displayFormatList)}) {
        w->setFont(face);
    }
    const QFont listFace = songFace(14);
    ui->bufferList->setFont(listFace);
    ui->displayFormatList->setFont(listFace);
    setFaceColour(ui->openButton, Qt::black);
    setFaceColour(ui->clearButton, QColor(255, 0, 0));
    setFaceColour(ui->exportButton, QColor(0, 128, 0));
    setFaceColour(ui->curvesButton, QColor(128, 0, 128));
    setFaceColour(ui->bufferList, Qt::black);
    setFaceColour(ui->displayFormatList, Qt::black);
    setCountColour(m_countColour);
    ui->openButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->clearButton->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    ui->exportButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->curvesButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
}

void MainWindow::buildMenu()
{
    popupMenu = new QMenu(this);
    popupMenu->setObjectName(QStringLiteral("popupMenu"));
    QMenu *languageMenu = popupMenu->addMenu(MainTexts::languageMenu(Language::Chinese));
    languageMenu->menuAction()->setObjectName(QStringLiteral("languageMenu"));
    languageMenu->addAction(ui->chineseAction);
    languageMenu->addAction(ui->englishAction);
    popupMenu->addSeparator()->setObjectName(QStringLiteral("dynamicLoadSeparator"));
    popupMenu->addAction(ui->dynamicLoadAction);
    popupMenu->addSeparator()->setObjectName(QStringLiteral("recentFilesSeparator"));
    m_recentMenu = new RecentFilesMenu(m_services.options, this);
    popupMenu->addMenu(m_recentMenu);
    connect(m_recentMenu, &RecentFilesMenu::fileChosen, this,
            [this](const QString &path) { openFile(path); });
    popupMenu->addAction(ui->exitAction);
    ui->menuButton->setMenu(popupMenu);

    connect(ui->chineseAction, &QAction::triggered, this, &MainWindow::switchToChinese);
    connect(ui->englishAction, &QAction::triggered, this, &MainWindow::switchToEnglish);
    // Dynamic Load is a checkable action: a click toggles it, once.
    connect(ui->exitAction, &QAction::triggered, this, &MainWindow::exitProgram);
}

void MainWindow::readStoredOptions()
{
    OptionsStore *store = m_services.options;
    if (store) {
        if (store->keyExists()) {
            if (const auto n2 = store->readInteger(StoredOption::chineseUi)) {
                ui->chineseAction->setChecked(*n2 != 0);
                if (const auto n7 = store->readInteger(StoredOption::dynamicLoad))
                    ui->dynamicLoadAction->setChecked(*n7 != 0);
            }
        } else if (!store->createKey()) {
            m_services.messages->showMessage(this, MessageIcon::Warning,
                                             MainTexts::registryCaption(),
                                             MainTexts::createKeyFail(), true);
            return;
        }
    }
    ui->englishAction->setChecked(!ui->chineseAction->isChecked());
}

Language MainWindow::language() const
{
    return ui->chineseAction->isChecked() ? Language::Chinese : Language::English;
}

bool MainWindow::displayFormatEnabled() const
{
    // With a tag sheet the list stays disabled while data records are shown.
    return ui->displayFormatList->isEnabled()
        || (m_document.tagSheetDecides()
            && m_document.gridState() == LogDocument::GridState::Loaded);
}

ValueFormat::Format MainWindow::displayFormat() const
{
    return m_document.format();
}

MainWindow::LoadOutcome MainWindow::loadOutcome() const
{
    switch (m_document.gridState()) {
    case LogDocument::GridState::Loaded:
        return LoadOutcome::Loaded;
    case LogDocument::GridState::Failed:
        return LoadOutcome::Failed;
    default:
        return LoadOutcome::None;
    }
}

bool MainWindow::dynamicLoad() const
{
    return ui->dynamicLoadAction->isChecked();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    fitOuterSize();
    if (!event->spontaneous())
        showInLanguage();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // A window manager reports its frame only after it framed the window.
    fitOuterSize();
}

QSize MainWindow::minimumClientSize() const
{
    // Every column of the widest layout beside the scroll bar, and the whole
    // toolbar with the margin it has on the left.
    RecordGridModel scratch;
    int widest = 0;
    const auto measure = [&] {
        int sum = 0;
        for (int c = 0; c < scratch.cols(); ++c)
            sum += scratch.colWidth(c);
        widest = std::max(widest, sum);
    };
    GridLayout::setAlarmList(scratch, Language::Chinese);
    measure();
    for (const ValueFormat::Format format : ValueFormat::AllFormats) {
        GridLayout::setDataRecords(scratch, Language::Chinese, format);
        measure();
    }
    const RecordGridView *view = ui->recordGrid;
    const int chrome = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
    const int toolbar = ui->curvesButton->geometry().right() + 1 + ui->menuButton->x();
    // The toolbar, the title row and a few records, with room for the
    // scroll bar's arrows and handle.
    const int height = ui->toolbarPanel->minimumHeight() + view->horizontalHeader()->height()
        + 2 * view->frameWidth() + 5 * view->verticalHeader()->defaultSectionSize();
    return QSize(std::max(widest + chrome, toolbar), height);
}

void MainWindow::fitOuterSize()
{
    if (m_outerFitted || !isVisible())
        return;
    const QMargins frame = WindowPlacement::frameOf(frameGeometry(), geometry());
    if (frame.isNull())
        return;
    m_outerFitted = true;
    // Left alone once the user has sized the window.
    if (size() != DesignSize)
        return;
    resize(WindowPlacement::clientForOuter(DesignSize, frame));
    if (const QScreen *screen = this->screen()) {
        QRect placed(QPoint(), DesignSize);
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The program ends with the window: the tag sheet editor's changes first.
    if (!m_tagSheets->closeEditor()) {
        event->ignore();
        return;
    }
    storeOptions();
    event->accept();
    emit closed();
}

void MainWindow::showInLanguage()
{
    const Language language = this->language();
    applyCaptions(language);
    ui->recordCountButton->setText(
        MainTexts::countDisplay(language, m_document.grid().recordCount()));
    setWindowTitle(m_document.path().isEmpty() ? withTagSheet(MainTexts::windowTitle(language))
                                               : titleOfFile());
    if (m_timeRanges)
        m_timeRanges->showRangeState();

    // Only the items' texts change: the list goes on naming the buffer the
    // grid shows, and a reload reads that one.
    const QComboBox *source
        = language == Language::Chinese ? ui->chineseBufferList : ui->englishBufferList;
    const QSignalBlocker block(ui->bufferList);
    for (int i = 0; i < source->count() && i < ui->bufferList->count(); ++i)
        ui->bufferList->setItemText(i, source->itemText(i));
}

void MainWindow::storeOptions()
{
    OptionsStore *store = m_services.options;
    if (store && store->keyExists()) {
        store->writeInteger(StoredOption::chineseUi, ui->chineseAction->isChecked() ? 1 : 0);
        store->writeInteger(StoredOption::dynamicLoad, ui->dynamicLoadAction->isChecked() ? 1 : 0);
    }
}

void MainWindow::switchToChinese()
{
    ui->chineseAction->setChecked(true);
    ui->englishAction->setChecked(false);
    Translations::install(Language::Chinese);
    showInLanguage();
}

void MainWindow::switchToEnglish()
{
    ui->englishAction->setChecked(true);
    ui->chineseAction->setChecked(false);
    Translations::install(Language::English);
    showInLanguage();
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::setCountColour(const QColor &colour)
{
    m_countColour = colour;
    setFaceColour(ui->recordCountButton, colour);
}

void MainWindow::updateCountDisplay()
{
    ui->recordCountButton->setText(
        MainTexts::countDisplay(language(), m_document.grid().recordCount()));
    if (m_timeRanges)
        m_timeRanges->showRangeState();
}

void MainWindow::message(const QString &caption, const QString &text)
{
    m_services.messages->showMessage(this, MessageIcon::Information, caption, text);
}

void MainWindow::failure(const QString &caption, const QString &text, const QString &cause)
{
    m_services.messages->showFailure(this, MessageIcon::Information, caption, text, cause);
}

QString MainWindow::bufferText() const
{
    return ui->bufferList->currentText();
}

void MainWindow::clearGrid()
{
    ui->displayFormatList->setEnabled(false);
    ui->recordCountButton->setText(MainTexts::countDisplay(language(), 0));
    m_document.clear();
}

void MainWindow::showCurves()
{
    emit curvesRequested();
}

namespace {

// The gauge, and a stop between rows when the work's progress asks for one.
class StoppableGauge : public ExportProgress
{
public:
    StoppableGauge(QProgressBar *bar, WorkProgress *work)
        : m_gauge(bar)
        , m_work(work)
    { }
    void start(int maximum) override { m_gauge.start(maximum); }
    void setPosition(int position) override
    {
        m_gauge.setPosition(position);
        if (position % 256 == 0) {
            try {
                stopUnlessGoing(m_work, position);
            } catch (const WorkStopped &) {
                m_gauge.finish();
                throw;
            }
        }
    }
    void finish() override { m_gauge.finish(); }

private:
    GaugeProgress m_gauge;
    WorkProgress *m_work;
};

} // namespace

void MainWindow::exportWorkbook()
{
    runWork(WorkKind::Save, [this] {
        std::unique_ptr<AutomationFactory> automation = m_services.automation(m_document.path());
        const RecordGridModel &grid = m_document.grid();
        StoppableGauge progress(ui->progressGauge, m_work);
        const QList<int> textColumns
            = exportTextColumns(grid, displayFormatEnabled(), displayFormat(), m_document.path());
        m_exportFailure = exportRecordGrid(grid, language(), *automation, progress,
                                           *m_services.messages, this, textColumns);
    });
}

bool MainWindow::pickBuffer(int index)
{
    if (!ui->bufferList->isEnabled())
        return false;
    ui->bufferList->setCurrentIndex(index);
    return true;
}

bool MainWindow::pickFormat(ValueFormat::Format format)
{
    if (!ui->displayFormatList->isEnabled())
        return false;
    m_formatFailed = false;
    ui->displayFormatList->setCurrentIndex(formatItem(format));
    return !m_formatFailed;
}

void MainWindow::openFile(const QString &path, const QString &shownName)
{
    FixedFileChooser chosen(path);
    FileChooser *usual = std::exchange(m_services.files, &chosen);
    openFromDialog();
    m_services.files = usual;
    if (!shownName.isEmpty() && !m_workStopped && m_document.path() == path) {
        m_titleName = shownName;
        setWindowTitle(titleWithFile(language(), shownName));
    }
}

void MainWindow::openFromDialog()
{
    const QString path = m_services.files->chooseFileToOpen(this);
    if (path.isEmpty())
        return;
    // A file whose load was given up was not opened.
    if (runWork(WorkKind::Load, [&] { openChosen(path); }))
        m_recentMenu->add(path);
}

void MainWindow::openChosen(const QString &path)
{
    m_tagSheets->takeFolderTagSheet(path);
    prepareOpen(path);
    showOpenOutcome(m_document.open(path));
    m_alarms->findAlarmsBeside();
}

void MainWindow::prepareOpen(const QString &path)
{
    m_titleName = path;
    const Language language = this->language();
    setWindowTitle(titleWithFile(language, path));
    {
        const QSignalBlocker block(ui->displayFormatList);
        ui->displayFormatList->setEnabled(false);
        ui->displayFormatList->setCurrentIndex(formatItem(ValueFormat::Format::Unsigned16));
    }
    setCountColour(Blue);
    ui->bufferList->setEnabled(false);
    ui->recordCountButton->setText(MainTexts::countDisplay(language, 0));
}

void MainWindow::showOpenOutcome(const LogDocument::Outcome &outcome)
{
    const Language language = this->language();
    using Status = LogDocument::Status;
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase) {
        const QSignalBlocker block(ui->bufferList);
        ui->bufferList->setEnabled(true);
        ui->bufferList->setCurrentIndex(0);
    }
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase) {
        showBufferOutcome(outcome);
    } else {
        if (outcome.fetched)
            setCountColour(Olive);
        switch (outcome.status) {
        case Status::InvalidDatabase:
            message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
            return;
        case Status::DatabaseFailed:
            failure(MainTexts::captionNorvale(), MainTexts::invalidDatabase(), outcome.cause);
            break;
        case Status::TooLarge:
            message(MainTexts::captionNorvale(),
                    MainTexts::tooLargeMessage(language, outcome.records, outcome.bytesNeeded));
            break;
        case Status::FileTooLarge:
            showFileTooLarge(outcome);
            break;
        default:
            // A file that cannot be opened, holds less than a header block or
            // ends inside a record is passed over in silence.
            break;
        }
    }
    if (m_document.formatSelectable() && !m_document.tagSheetDecides())
        ui->displayFormatList->setEnabled(true);
    updateCountDisplay();
}

void MainWindow::showFileTooLarge(const LogDocument::Outcome &outcome)
{
    message(MainTexts::captionNorvale(),
            MainTexts::fileTooLarge(language(), outcome.records, outcome.bytesNeeded,
                                    outcome.fileBytes));
}

void MainWindow::showBufferOutcome(const LogDocument::Outcome &outcome)
{
    const Language language = this->language();
    if (outcome.fetched)
        setCountColour(Olive);
    switch (outcome.status) {
    case LogDocument::Status::Loaded:
        updateCountDisplay();
        break;
    case LogDocument::Status::NoData:
        message(MainTexts::captionNoData(), MainTexts::noDataMessage(language, bufferText()));
        break;
    case LogDocument::Status::TooLarge:
        message(MainTexts::captionNorvale(),
                MainTexts::tooLargeMessage(language, outcome.records, outcome.bytesNeeded));
        ui->recordCountButton->setText(MainTexts::countDisplay(language, 0));
        break;
    default:
        failure(MainTexts::captionNorvale(), MainTexts::notCreatedMessage(language, bufferText()),
                outcome.cause);
        ui->recordCountButton->setText(MainTexts::countDisplay(language, 0));
        break;
    }
}

void MainWindow::bufferPicked()
{
    runWork(WorkKind::Load, [this] {
        showBufferOutcome(m_document.selectBuffer(ui->bufferList->currentIndex() + 1));
    });
}

void MainWindow::displayFormatPicked()
{
    runWork(WorkKind::Load, [this] {
        showFormatChange(
            m_document.selectFormat(formatOfItem(ui->displayFormatList->currentIndex())));
    });
}

void MainWindow::showFormatChange(const LogDocument::Outcome &outcome)
{
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase)
        showBufferOutcome(outcome);
    else
        m_formatFailed = !showFormatOutcome(outcome);
}

bool MainWindow::showFormatOutcome(const LogDocument::Outcome &outcome)
{
    switch (outcome.status) {
    case LogDocument::Status::Loaded:
        break;
    case LogDocument::Status::Unreadable:
    case LogDocument::Status::SignatureLost:
        // The count display keeps its text.
        message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
        return false;
    case LogDocument::Status::FileTooLarge:
        showFileTooLarge(outcome);
        break;
    default:
        message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
        break;
    }
    updateCountDisplay();
    return outcome.status == LogDocument::Status::Loaded;
}

struct MainWindow::WindowState
{
    LogDocument::Kept document;
    QString title;
    QString count;
    QColor countColour;
    bool buffersOn = false;
    int buffer = 0;
    bool formatsOn = false;
    ValueFormat::Format format = ValueFormat::Format::Unsigned16;
    QString titleName;
    ViewPlace place;
};

MainWindow::WindowState MainWindow::windowState() const
{
    WindowState state;
    state.document = m_document.keep();
    state.title = windowTitle();
    state.count = ui->recordCountButton->text();
    state.countColour = m_countColour;
    state.buffersOn = ui->bufferList->isEnabled();
    state.buffer = m_loadedBuffer;
    state.formatsOn = ui->displayFormatList->isEnabled();
    state.format = m_loadedFormat;
    state.titleName = m_titleName;
    state.place = ViewPlace::of(*ui->recordGrid, m_document.grid());
    return state;
}

void MainWindow::restoreWindowState(WindowState &state)
{
    m_titleName = state.titleName;
    m_document.restore(state.document);
    setWindowTitle(state.title);
    ui->recordCountButton->setText(state.count);
    setCountColour(state.countColour);
    {
        const QSignalBlocker block(ui->bufferList);
        ui->bufferList->setEnabled(state.buffersOn);
        ui->bufferList->setCurrentIndex(state.buffer);
    }
    {
        const QSignalBlocker block(ui->displayFormatList);
        ui->displayFormatList->setEnabled(state.formatsOn);
        ui->displayFormatList->setCurrentIndex(formatItem(state.format));
    }
    state.place.restore(*ui->recordGrid, m_document.grid());
}

void MainWindow::runStep(const std::function<void()> &work)
{
    ++m_workDepth;
    try {
        work();
    } catch (const WorkStopped &) {
        m_workStopped = true;
    }
    --m_workDepth;
}

bool MainWindow::runWork(WorkKind kind, const std::function<void()> &work)
{
    if (m_workDepth > 0) {
        // A step of the work under way (a reload's open, a pick): nothing
        // more is done once it was stopped.
        if (m_workStopped)
            return false;
        runStep(work);
        return !m_workStopped;
    }
    // A save changes nothing in the window; a load is undone whole.
    // On the heap: a moved-from optional of it misleads GCC's uninitialized-use check.
    std::unique_ptr<WindowState> before;
    if (kind == WorkKind::Load)
        before = std::make_unique<WindowState>(windowState());
    const int rowsBefore = m_document.grid().rows();
    std::unique_ptr<WorkProgressDialog> dialog;
    m_work = m_services.progress;
    if (!m_work) {
        dialog = std::make_unique<WorkProgressDialog>(this, language(), kind == WorkKind::Save);
        m_work = dialog.get();
    }
    m_workStopped = false;
    m_document.setProgress(m_work);
    m_document.setTitleLanguage(language());
    m_document.setDynamicLoad(dynamicLoad());
    runStep(work);
    m_document.setProgress(nullptr);
    m_work = nullptr;
    dialog.reset();
    const bool stopped = std::exchange(m_workStopped, false);
    if (stopped && before)
        restoreWindowState(*before);
    if (stopped && kind == WorkKind::Grow) {
        m_document.grid().setRows(rowsBefore);
        updateCountDisplay();
    }
    m_loadedBuffer = ui->bufferList->currentIndex();
    m_loadedFormat = formatOfItem(ui->displayFormatList->currentIndex());
    // What the grid held before is let go as soon as the new rows stand.
    before.reset();
    return !stopped;
}

void MainWindow::buildTools()
{
    RecordGridView *view = ui->recordGrid;
    m_copyAction = new GridCopyAction(this, view, &m_document.grid());
    m_find = new FindController(this, view, &m_document.grid());
    connect(&m_document.grid(), &QAbstractItemModel::modelReset, m_find,
            &FindController::gridChanged);

    SaveAsController::Host saveHost;
    saveHost.language = [this] { return language(); };
    saveHost.runSave
        = [this](const std::function<void()> &work) { return runWork(WorkKind::Save, work); };
    saveHost.work = [this] { return m_work; };
    saveHost.exportWith = [this](const SaveAsController::AutomationMaker &automation) {
        auto usual = std::exchange(m_services.automation, automation);
        exportWorkbook();
        m_services.automation = std::move(usual);
    };
    saveHost.message = [this](const QString &text) { message(MainTexts::captionNorvale(), text); };
    m_saveAs = new SaveAsController(m_document, m_services.saveFiles, std::move(saveHost), this);

    FollowController::Host followHost;
    followHost.language = [this] { return language(); };
    followHost.busy = [this] { return m_workDepth > 0; };
    followHost.runLoad
        = [this](const std::function<void()> &work) { return runWork(WorkKind::Load, work); };
    followHost.runGrowth
        = [this](const std::function<void()> &work) { return runWork(WorkKind::Grow, work); };
    followHost.reopen = [this] { reopenFile(); };
    followHost.message
        = [this](const QString &text) { message(MainTexts::captionNorvale(), text); };
    followHost.fileTooLarge
        = [this](const LogDocument::Outcome &outcome) { showFileTooLarge(outcome); };
    followHost.countChanged = [this] { updateCountDisplay(); };
    m_follow = new FollowController(m_document, m_services.options, std::move(followHost), this);
    connect(m_follow, &FollowController::gridReloaded, this, &MainWindow::gridReloaded);

    // The new items go above the exit item, after their own separator.
    QAction *exitSeparator
        = popupMenu->findChild<QAction *>(QStringLiteral("recentFilesSeparator"));
    m_saveAs->install(popupMenu, exitSeparator, ui->progressGauge);
    m_follow->install(popupMenu, exitSeparator, view, ui->verticalLayout);
    popupMenu->insertSeparator(m_saveAs->action());
    applyToolTexts(language());
}

void MainWindow::applyToolTexts(Language language)
{
    if (!m_copyAction)
        return;
    m_copyAction->setTexts(language);
    m_saveAs->applyTexts(language);
    m_follow->applyTexts(language);
    m_find->setTexts(language);
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

// Save as, reload and follow

void MainWindow::saveAs()
{
    m_saveAs->saveAs();
}

void MainWindow::reloadFile()
{
    m_follow->reloadFile();
}

bool MainWindow::following() const
{
    return m_follow->following();
}

void MainWindow::setFollowing(bool on)
{
    m_follow->setFollowing(on);
}

void MainWindow::reopenFile()
{
    const QString title = windowTitle();
    const QString titleName = m_titleName;
    const QString path = m_document.path();
    // As if the file were opened anew and its buffer and format picked again.
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
}

void MainWindow::buildTagSheetTools()
{
    TagSheetController::Host host;
    host.language = [this] { return language(); };
    host.message = [this](const QString &text) { message(MainTexts::captionNorvale(), text); };
    host.chooseSheet = [this] { return m_services.files->chooseTagSheet(this); };
    host.sheetChanged = [this] { showTagSheetChange(); };
    m_tagSheets = new TagSheetController(m_document, m_services.options, m_services.messages,
                                         std::move(host), this);
    // After Dynamic Load, before the recent files.
    m_tagSheets->install(popupMenu,
                         popupMenu->findChild<QAction *>(QStringLiteral("recentFilesSeparator")),
                         ui->recordGrid, ui->verticalLayout);
}

void MainWindow::showTagSheetChange()
{
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
}

bool MainWindow::useTagSheet(const QString &path)
{
    return m_tagSheets->useTagSheet(path);
}

QString MainWindow::selectionStatisticsText() const
{
    return m_tagSheets->selectionStatisticsText();
}

void MainWindow::chooseTagSheet()
{
    m_tagSheets->chooseTagSheet();
}

void MainWindow::dropTagSheet()
{
    m_tagSheets->dropTagSheet();
}

void MainWindow::updateFormatList()
{
    const bool on = m_document.gridState() == LogDocument::GridState::Loaded
        && m_document.formatSelectable() && !m_document.tagSheetDecides();
    const QSignalBlocker block(ui->displayFormatList);
    ui->displayFormatList->setEnabled(on);
    ui->displayFormatList->setCurrentIndex(formatItem(m_document.format()));
}

QString MainWindow::withTagSheet(const QString &title) const
{
    return m_tagSheets ? m_tagSheets->withTagSheet(title) : title;
}

QString MainWindow::titleWithFile(Language language, const QString &name) const
{
    return withTagSheet(MainTexts::windowTitleWithFile(language, name));
}

void MainWindow::buildTimeLine()
{
    TimeRangeController::Host rangeHost;
    rangeHost.language = [this] { return language(); };
    rangeHost.busy = [this] { return m_workDepth > 0; };
    rangeHost.fileTitle = [this] { return titleWithFile(language(), m_titleName); };
    rangeHost.setTitle = [this](const QString &title) { setWindowTitle(title); };
    rangeHost.rangeChanged = [this] { showTimeRangeChange(); };
    m_timeRanges
        = new TimeRangeController(m_document, m_services.timeRanges, std::move(rangeHost), this);
    // Beside the other items that change what the grid holds.
    m_timeRanges->install(popupMenu, m_saveAs->action(), ui->recordGrid, ui->recordCountButton,
                          m_find);

    AlarmsController::Host alarmHost;
    alarmHost.language = [this] { return language(); };
    alarmHost.chooseAlarmFile
        = [this](QWidget *owner) { return m_services.files->chooseFileToOpen(owner); };
    alarmHost.notAlarmFile
        = [this] { message(MainTexts::captionNorvale(), MainTexts::invalidDatabase()); };
    alarmHost.goToTime = [this](qint64 time) { m_timeRanges->goToTime(time); };
    m_alarms = new AlarmsController(m_document, std::move(alarmHost), this);
    m_alarms->install(popupMenu, m_saveAs->action());
    connect(m_alarms, &AlarmsController::alarmsChanged, this, &MainWindow::alarmsChanged);
    connect(m_alarms, &AlarmsController::alarmRecordChosen, this, &MainWindow::alarmRecordChosen);
}

void MainWindow::showTimeRangeChange()
{
    setWindowTitle(titleOfFile());
    updateCountDisplay();
    m_alarms->listAlarms();
    // The curve window draws what the grid shows.
    emit gridReloaded();
}

QString MainWindow::titleOfFile() const
{
    return m_timeRanges->title();
}

QAction *MainWindow::timeRangeAction() const
{
    return m_timeRanges->action();
}

AlarmListWindow *MainWindow::alarmList() const
{
    return m_alarms->list();
}

QAction *MainWindow::alarmListAction() const
{
    return m_alarms->listAction();
}

AlarmStatisticsWindow *MainWindow::alarmStatistics() const
{
    return m_alarms->statistics();
}

QAction *MainWindow::alarmStatisticsAction() const
{
    return m_alarms->statisticsAction();
}

void MainWindow::chooseTimeRange()
{
    m_timeRanges->chooseTimeRange();
}

void MainWindow::goToTime(qint64 time)
{
    m_timeRanges->goToTime(time);
}

void MainWindow::showAlarmList()
{
    m_alarms->showAlarmList();
}

void MainWindow::showAlarmStatistics()
{
    m_alarms->showAlarmStatistics();
}

bool MainWindow::useAlarmFile(const QString &path)
{
    return m_alarms->useAlarmFile(path);
}

void MainWindow::wantAlarms()
{
    m_alarms->wantAlarms();
}
