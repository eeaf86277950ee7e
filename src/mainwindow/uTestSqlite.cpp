#include "mainwindow/uTestSqlite.h"

#include "automation/Automation.h"
#include "export/ExcelExport.h"
#include "mainwindow/FileDrop.h"
#include "mainwindow/GaugeProgress.h"
#include "mainwindow/RecentFilesMenu.h"
#include "mainwindow/WorkProgressDialog.h"
#include "platform/Fonts.h"
#include "platform/MemoryBudget.h"
#include "platform/OptionsStore.h"
#include "platform/WindowPlacement.h"
#include "platform/WorkProgress.h"
#include "records/BinaryLogFile.h"
#include "records/GridLayout.h"
#include "records/MainTexts.h"
#include "records/Translations.h"
#include "ui_uTestSqlite.h"
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
        const auto *frm = qobject_cast<const TMainFrm *>(owner);
        dialog.setNameFilters(MainTexts::openFilters(!frm || frm->chineseUi()));
        dialog.setDefaultSuffix(QStringLiteral("bin"));
        dialog.setSizeGripEnabled(true);
        if (!m_lastFile.isEmpty())
            dialog.selectFile(m_lastFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        m_lastFile = dialog.selectedFiles().constFirst();
        return m_lastFile;
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

TMainFrm::TMainFrm(const MainWindowServices &services, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TMainFrm>())
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
    ui->StringGrid1->setRecordGrid(&m_document.grid());
    connect(&m_document, &LogDocument::rowRead, ui->StringGrid1, &RecordGridView::showRowNow);
    connect(&m_document, &LogDocument::dynamicLoadDone, ui->StringGrid1,
            &RecordGridView::finishRows);
    // Until the window system frames the window, the design size is taken
    // as the client size; fitOuterSize() makes it the outer size.
    resize(DesignSize);
    setMinimumSize(minimumClientSize());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    QPalette panel = ui->Panel1->palette();
    panel.setColor(QPalette::Window, QColor(220, 240, 255));
    ui->Panel1->setPalette(panel);
    ui->Gauge1->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: rgb(0,255,0); }"));
    applyFonts();
    buildMenu();
    new FileDrop(this, [this](const QString &path) { openFile(path); });

    connect(ui->BitBtn1, &QPushButton::clicked, this, &TMainFrm::OpenClick);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TMainFrm::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TMainFrm::BitBtn3Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TMainFrm::BitBtn4Click);
    // Only a pick by the user changes the list's index with signals on; the
    // window's own changes run under a signal blocker.
    connect(ui->BufferName, &QComboBox::currentIndexChanged, this, &TMainFrm::BufferNameChange);
    connect(ui->BufferName_CH, &QComboBox::currentIndexChanged, this, &TMainFrm::BufferNameChange);
    connect(ui->BufferName_EN, &QComboBox::currentIndexChanged, this, &TMainFrm::BufferNameChange);
    connect(ui->DShow_Format, &QComboBox::currentIndexChanged, this, &TMainFrm::DShow_FormatChange);

    writeInitialTexts();
    FormCreate();
    Translations::install(chineseUi());
    buildTools();
}

TMainFrm::~TMainFrm() = default;

// The display format list holds the formats in their order.
int TMainFrm::formatItem(ValueFormat::Format format)
{
    return int(format);
}

ValueFormat::Format TMainFrm::formatOfItem(int item)
{
    return static_cast<ValueFormat::Format>(std::clamp(item, 0, MainTexts::FormatCount - 1));
}

void TMainFrm::writeInitialTexts()
{
    ui->N2->setText(MainTexts::chineseMenu());
    ui->N3->setText(MainTexts::englishMenu());
    {
        const QSignalBlocker block(ui->DShow_Format);
        for (int f = 0; f < MainTexts::FormatCount; ++f)
            ui->DShow_Format->addItem(MainTexts::formatItem(f));
        ui->DShow_Format->setCurrentIndex(formatItem(ValueFormat::Format::Unsigned16));
    }

    const QSignalBlocker blockChinese(ui->BufferName_CH);
    const QSignalBlocker blockEnglish(ui->BufferName_EN);
    for (int i = 0; i < MainTexts::BufferCount; ++i) {
        ui->BufferName_CH->addItem(MainTexts::bufferItem(true, i));
        ui->BufferName_EN->addItem(MainTexts::bufferItem(false, i));
    }
    // Until the first showing the window reads as designed, in Chinese.
    const QSignalBlocker block(ui->BufferName);
    for (int i = 0; i < MainTexts::BufferCount; ++i)
        ui->BufferName->addItem(MainTexts::bufferItem(true, i));
    ui->BufferName->setCurrentIndex(0);
    setWindowTitle(MainTexts::titlePrefix(true).trimmed());
    applyCaptions(true);
    ui->BitBtn5->setText(MainTexts::countDisplay(true, 0));
}

void TMainFrm::applyCaptions(bool chinese)
{
    ui->BitBtn1->setText(MainTexts::openCaption(chinese));
    ui->BitBtn2->setText(MainTexts::clearCaption(chinese));
    ui->BitBtn3->setText(MainTexts::exportCaption(chinese));
    ui->BitBtn4->setText(MainTexts::curveCaption(chinese));
    if (auto *n1 = PopupMenu1->findChild<QMenu *>())
        n1->setTitle(MainTexts::languageMenu(chinese));
    ui->N7->setText(MainTexts::dynamicLoadMenu(chinese));
    ui->N8->setText(MainTexts::exitMenu(chinese));
    if (m_recentMenu)
        m_recentMenu->retitle(chinese);
    if (m_copyAction)
        applyToolTexts(chinese);
}

void TMainFrm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The captions follow the language; the title, the count and the buffer
    // list change only where the language is applied (FormShow).
    if (event->type() == QEvent::LanguageChange)
        applyCaptions(chineseUi());
}

void TMainFrm::applyFonts()
{
    setFont(sansFace(11));
    const QFont face = songFace(19);
    for (QWidget *w : {static_cast<QWidget *>(ui->BitBtn1), static_cast<QWidget *>(ui->BitBtn2),
                       static_cast<QWidget *>(ui->BitBtn3), static_cast<QWidget *>(ui->BitBtn4),
                       static_cast<QWidget *>(ui->BitBtn5), static_cast<QWidget *>(ui->BufferName),
                       static_cast<QWidget *>(ui->DShow_Format)}) {
        w->setFont(face);
    }
    const QFont listFace = songFace(14);
    ui->BufferName->setFont(listFace);
    ui->DShow_Format->setFont(listFace);
    setFaceColour(ui->BitBtn1, Qt::black);
    setFaceColour(ui->BitBtn2, QColor(255, 0, 0));
    setFaceColour(ui->BitBtn3, QColor(0, 128, 0));
    setFaceColour(ui->BitBtn4, QColor(128, 0, 128));
    setFaceColour(ui->BufferName, Qt::black);
    setFaceColour(ui->DShow_Format, Qt::black);
    setCountColour(m_countColour);
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    ui->BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->BitBtn4->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
}

void TMainFrm::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu *N1 = PopupMenu1->addMenu(MainTexts::languageMenu(true));
    N1->menuAction()->setObjectName(QStringLiteral("N1"));
    N1->addAction(ui->N2);
    N1->addAction(ui->N3);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N5"));
    PopupMenu1->addAction(ui->N7);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N6"));
    m_recentMenu = new RecentFilesMenu(m_services.options, this);
    PopupMenu1->addMenu(m_recentMenu);
    connect(m_recentMenu, &RecentFilesMenu::fileChosen, this,
            [this](const QString &path) { openFile(path); });
    PopupMenu1->addAction(ui->N8);
    ui->RzMenuToolbarButton1->setMenu(PopupMenu1);

    connect(ui->N2, &QAction::triggered, this, &TMainFrm::N2Click);
    connect(ui->N3, &QAction::triggered, this, &TMainFrm::N3Click);
    // Dynamic Load is a checkable action: a click toggles it, once.
    connect(ui->N8, &QAction::triggered, this, &TMainFrm::N8Click);
}

void TMainFrm::FormCreate()
{
    OptionsStore *store = m_services.options;
    if (store) {
        if (store->keyExists()) {
            if (const auto n2 = store->readInteger(QStringLiteral("N2"))) {
                ui->N2->setChecked(*n2 != 0);
                if (const auto n7 = store->readInteger(QStringLiteral("N7")))
                    ui->N7->setChecked(*n7 != 0);
            }
        } else if (!store->createKey()) {
            m_services.messages->showMessage(this, MessageIcon::Warning,
                                             MainTexts::registryCaption(),
                                             MainTexts::createKeyFail(), true);
            return;
        }
    }
    ui->N3->setChecked(!ui->N2->isChecked());
}

bool TMainFrm::chineseUi() const
{
    return ui->N2->isChecked();
}

bool TMainFrm::displayFormatEnabled() const
{
    return ui->DShow_Format->isEnabled();
}

ValueFormat::Format TMainFrm::displayFormat() const
{
    return m_document.format();
}

TMainFrm::LoadOutcome TMainFrm::loadOutcome() const
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

bool TMainFrm::dynamicLoad() const
{
    return ui->N7->isChecked();
}

void TMainFrm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    fitOuterSize();
    if (!event->spontaneous())
        FormShow();
}

void TMainFrm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // A window manager reports its frame only after it framed the window.
    fitOuterSize();
}

QSize TMainFrm::minimumClientSize() const
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
    GridLayout::setAlarmList(scratch, true);
    measure();
    for (int format = 0; format < MainTexts::FormatCount; ++format) {
        GridLayout::setDataRecords(scratch, true, formatOfItem(format));
        measure();
    }
    const RecordGridView *view = ui->StringGrid1;
    const int chrome = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
    const int toolbar = ui->BitBtn4->geometry().right() + 1 + ui->RzMenuToolbarButton1->x();
    // The toolbar, the title row and a few records, with room for the
    // scroll bar's arrows and handle.
    const int height = ui->Panel1->minimumHeight() + view->horizontalHeader()->height()
        + 2 * view->frameWidth() + 5 * view->verticalHeader()->defaultSectionSize();
    return QSize(std::max(widest + chrome, toolbar), height);
}

void TMainFrm::fitOuterSize()
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

void TMainFrm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    emit closed();
}

void TMainFrm::FormShow()
{
    const bool zh = chineseUi();
    applyCaptions(zh);
    ui->BitBtn5->setText(MainTexts::countDisplay(zh, m_document.grid().recordCount()));
    setWindowTitle(m_document.path().isEmpty() ? MainTexts::windowTitle(zh)
                                               : MainTexts::windowTitleWithFile(zh, m_titleName));

    // Only the items' texts change: the list goes on naming the buffer the
    // grid shows, and a reload reads that one.
    const QComboBox *source = zh ? ui->BufferName_CH : ui->BufferName_EN;
    const QSignalBlocker block(ui->BufferName);
    for (int i = 0; i < source->count() && i < ui->BufferName->count(); ++i)
        ui->BufferName->setItemText(i, source->itemText(i));
}

void TMainFrm::FormClose()
{
    OptionsStore *store = m_services.options;
    if (store && store->keyExists()) {
        store->writeInteger(QStringLiteral("N2"), ui->N2->isChecked() ? 1 : 0);
        store->writeInteger(QStringLiteral("N7"), ui->N7->isChecked() ? 1 : 0);
    }
}

void TMainFrm::N2Click()
{
    ui->N2->setChecked(true);
    ui->N3->setChecked(false);
    Translations::install(true);
    FormShow();
}

void TMainFrm::N3Click()
{
    ui->N3->setChecked(true);
    ui->N2->setChecked(false);
    Translations::install(false);
    FormShow();
}

void TMainFrm::N8Click()
{
    close();
}

void TMainFrm::setCountColour(const QColor &colour)
{
    m_countColour = colour;
    setFaceColour(ui->BitBtn5, colour);
}

void TMainFrm::updateCountDisplay()
{
    ui->BitBtn5->setText(MainTexts::countDisplay(chineseUi(), m_document.grid().recordCount()));
}

void TMainFrm::message(const QString &caption, const QString &text)
{
    m_services.messages->showMessage(this, MessageIcon::Information, caption, text);
}

void TMainFrm::failure(const QString &caption, const QString &text, const QString &cause)
{
    m_services.messages->showFailure(this, MessageIcon::Information, caption, text, cause);
}

QString TMainFrm::bufferText() const
{
    return ui->BufferName->currentText();
}

void TMainFrm::BitBtn2Click()
{
    ui->DShow_Format->setEnabled(false);
    ui->BitBtn5->setText(MainTexts::countDisplay(chineseUi(), 0));
    m_document.clear();
}

void TMainFrm::BitBtn4Click()
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

void TMainFrm::BitBtn3Click()
{
    runWork(WorkKind::Save, [this] {
        std::unique_ptr<AutomationFactory> automation = m_services.automation(m_document.path());
        const RecordGridModel &grid = m_document.grid();
        StoppableGauge progress(ui->Gauge1, m_work);
        // Hexadecimal values and alarm texts stay texts even where they
        // read as numbers.
        QList<int> textColumns;
        if (displayFormatEnabled() && displayFormat() == ValueFormat::Format::Hex32) {
            for (int col = 3; col < grid.cols(); ++col)
                textColumns.append(col);
        } else if (LogKind::isAlarmFileName(m_document.path()) && grid.cols() == 4) {
            textColumns.append(3);
        }
        m_exportFailure = exportRecordGrid(grid, chineseUi(), *automation, progress,
                                           *m_services.messages, this, textColumns);
    });
}

bool TMainFrm::pickBuffer(int index)
{
    if (!ui->BufferName->isEnabled())
        return false;
    ui->BufferName->setCurrentIndex(index);
    return true;
}

bool TMainFrm::pickFormat(ValueFormat::Format format)
{
    if (!ui->DShow_Format->isEnabled())
        return false;
    m_formatFailed = false;
    ui->DShow_Format->setCurrentIndex(formatItem(format));
    return !m_formatFailed;
}

void TMainFrm::openFile(const QString &path, const QString &shownName)
{
    FixedFileChooser chosen(path);
    FileChooser *usual = std::exchange(m_services.files, &chosen);
    OpenClick();
    m_services.files = usual;
    if (!shownName.isEmpty() && !m_workStopped && m_document.path() == path) {
        m_titleName = shownName;
        setWindowTitle(MainTexts::windowTitleWithFile(chineseUi(), shownName));
    }
}

void TMainFrm::OpenClick()
{
    const QString path = m_services.files->chooseFileToOpen(this);
    if (path.isEmpty())
        return;
    // A file whose load was given up was not opened.
    if (runWork(WorkKind::Load, [&] { openChosen(path); }))
        m_recentMenu->add(path);
}

void TMainFrm::openChosen(const QString &path)
{
    prepareOpen(path);
    showOpenOutcome(m_document.open(path));
}

void TMainFrm::prepareOpen(const QString &path)
{
    m_titleName = path;
    const bool zh = chineseUi();
    setWindowTitle(MainTexts::windowTitleWithFile(zh, path));
    {
        const QSignalBlocker block(ui->DShow_Format);
        ui->DShow_Format->setEnabled(false);
        ui->DShow_Format->setCurrentIndex(formatItem(ValueFormat::Format::Unsigned16));
    }
    setCountColour(Blue);
    ui->BufferName->setEnabled(false);
    ui->BitBtn5->setText(MainTexts::countDisplay(zh, 0));
}

void TMainFrm::showOpenOutcome(const LogDocument::Outcome &outcome)
{
    const bool zh = chineseUi();
    using Status = LogDocument::Status;
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase) {
        const QSignalBlocker block(ui->BufferName);
        ui->BufferName->setEnabled(true);
        ui->BufferName->setCurrentIndex(0);
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
                    MainTexts::tooLargeMessage(zh, outcome.records, outcome.bytesNeeded));
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
    if (m_document.formatSelectable())
        ui->DShow_Format->setEnabled(true);
    updateCountDisplay();
}

void TMainFrm::showFileTooLarge(const LogDocument::Outcome &outcome)
{
    message(MainTexts::captionNorvale(),
            MainTexts::fileTooLarge(chineseUi(), outcome.records, outcome.bytesNeeded,
                                    outcome.fileBytes));
}

void TMainFrm::showBufferOutcome(const LogDocument::Outcome &outcome)
{
    const bool zh = chineseUi();
    if (outcome.fetched)
        setCountColour(Olive);
    switch (outcome.status) {
    case LogDocument::Status::Loaded:
        updateCountDisplay();
        break;
    case LogDocument::Status::NoData:
        message(MainTexts::captionNoData(), MainTexts::noDataMessage(zh, bufferText()));
        break;
    case LogDocument::Status::TooLarge:
        message(MainTexts::captionNorvale(),
                MainTexts::tooLargeMessage(zh, outcome.records, outcome.bytesNeeded));
        ui->BitBtn5->setText(MainTexts::countDisplay(zh, 0));
        break;
    default:
        failure(MainTexts::captionNorvale(), MainTexts::notCreatedMessage(zh, bufferText()),
                outcome.cause);
        ui->BitBtn5->setText(MainTexts::countDisplay(zh, 0));
        break;
    }
}

void TMainFrm::BufferNameChange()
{
    runWork(WorkKind::Load, [this] {
        showBufferOutcome(m_document.selectBuffer(ui->BufferName->currentIndex() + 1));
    });
}

void TMainFrm::DShow_FormatChange()
{
    runWork(WorkKind::Load, [this] {
        showFormatChange(m_document.selectFormat(formatOfItem(ui->DShow_Format->currentIndex())));
    });
}

void TMainFrm::showFormatChange(const LogDocument::Outcome &outcome)
{
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase)
        showBufferOutcome(outcome);
    else
        m_formatFailed = !showFormatOutcome(outcome);
}

bool TMainFrm::showFormatOutcome(const LogDocument::Outcome &outcome)
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

struct TMainFrm::WindowState
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

TMainFrm::WindowState TMainFrm::windowState() const
{
    WindowState state;
    state.document = m_document.keep();
    state.title = windowTitle();
    state.count = ui->BitBtn5->text();
    state.countColour = m_countColour;
    state.buffersOn = ui->BufferName->isEnabled();
    state.buffer = m_loadedBuffer;
    state.formatsOn = ui->DShow_Format->isEnabled();
    state.format = m_loadedFormat;
    state.titleName = m_titleName;
    state.place = viewPlace();
    return state;
}

void TMainFrm::restoreWindowState(WindowState &state)
{
    m_titleName = state.titleName;
    m_document.restore(state.document);
    setWindowTitle(state.title);
    ui->BitBtn5->setText(state.count);
    setCountColour(state.countColour);
    {
        const QSignalBlocker block(ui->BufferName);
        ui->BufferName->setEnabled(state.buffersOn);
        ui->BufferName->setCurrentIndex(state.buffer);
    }
    {
        const QSignalBlocker block(ui->DShow_Format);
        ui->DShow_Format->setEnabled(state.formatsOn);
        ui->DShow_Format->setCurrentIndex(formatItem(state.format));
    }
    restoreViewPlace(state.place);
}

void TMainFrm::runStep(const std::function<void()> &work)
{
    ++m_workDepth;
    try {
        work();
    } catch (const WorkStopped &) {
        m_workStopped = true;
    }
    --m_workDepth;
}

bool TMainFrm::runWork(WorkKind kind, const std::function<void()> &work)
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
    std::optional<WindowState> before;
    if (kind == WorkKind::Load)
        before.emplace(windowState());
    const int rowsBefore = m_document.grid().rows();
    std::unique_ptr<WorkProgressDialog> dialog;
    m_work = m_services.progress;
    if (!m_work) {
        dialog = std::make_unique<WorkProgressDialog>(this, chineseUi(), kind == WorkKind::Save);
        m_work = dialog.get();
    }
    m_workStopped = false;
    m_document.setProgress(m_work);
    m_document.setChineseTitles(chineseUi());
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
    m_loadedBuffer = ui->BufferName->currentIndex();
    m_loadedFormat = formatOfItem(ui->DShow_Format->currentIndex());
    // What the grid held before is let go as soon as the new rows stand.
    before.reset();
    return !stopped;
}
