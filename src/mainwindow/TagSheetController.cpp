#include "mainwindow/TagSheetController.h"

#include "document/LogDocument.h"
#include "mainwindow/FolderTagSheets.h"
#include "mainwindow/RecordGridView.h"
#include "mainwindow/TagSheetEditor.h"
#include "platform/OptionsStore.h"
#include "platform/SameFile.h"
#include "records/GridStatistics.h"
#include "texts/TagSheetTexts.h"
#include "widgets/OwnedWindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QTimer>

TagSheetController::TagSheetController(LogDocument &document, OptionsStore *options,
                                       MessageSink *messages, Host host, QWidget *owner)
    : QObject(owner)
    , m_document(document)
    , m_options(options)
    , m_messages(messages)
    , m_host(std::move(host))
    , m_owner(owner)
{ }

TagSheetController::~TagSheetController() = default;

void TagSheetController::install(QMenu *popup, QAction *before, RecordGridView *view,
                                 QBoxLayout *layout)
{
    m_tagSheetAction = new QAction(this);
    m_tagSheetAction->setObjectName(QStringLiteral("TagSheet"));
    connect(m_tagSheetAction, &QAction::triggered, this, &TagSheetController::chooseTagSheet);
    m_noTagSheetAction = new QAction(this);
    m_noTagSheetAction->setObjectName(QStringLiteral("NoTagSheet"));
    connect(m_noTagSheetAction, &QAction::triggered, this, &TagSheetController::dropTagSheet);
    m_editAction = new QAction(this);
    m_editAction->setObjectName(QStringLiteral("EditTagSheet"));
    connect(m_editAction, &QAction::triggered, this, &TagSheetController::editTagSheet);
    popup->insertAction(before, m_tagSheetAction);
    popup->insertAction(before, m_noTagSheetAction);
    popup->insertAction(before, m_editAction);

    m_view = view;
    m_selectionStatistics = new QLabel(view->parentWidget());
    m_selectionStatistics->setObjectName(QStringLiteral("SelectionStatistics"));
    m_selectionStatistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_selectionStatistics->setVisible(false);
    layout->insertWidget(layout->indexOf(view) + 1, m_selectionStatistics);
    m_statisticsTimer = new QTimer(this);
    m_statisticsTimer->setSingleShot(true);
    m_statisticsTimer->setInterval(0);
    connect(m_statisticsTimer, &QTimer::timeout, this,
            &TagSheetController::updateSelectionStatistics);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TagSheetController::scheduleSelectionStatistics);
    // A new grid (a load, a reload) drops the selection without a signal.
    connect(&m_document.grid(), &QAbstractItemModel::modelReset, this,
            &TagSheetController::scheduleSelectionStatistics);
    applyTexts(m_host.language());
}

void TagSheetController::applyTexts(Language language)
{
    if (!m_tagSheetAction)
        return;
    m_tagSheetAction->setText(TagSheetTexts::openMenu(language));
    m_noTagSheetAction->setText(TagSheetTexts::noneMenu(language));
    m_noTagSheetAction->setEnabled(m_document.tagSheet().has_value());
    m_editAction->setText(TagSheetTexts::editMenu(language));
    if (m_editor)
        m_editor->setLanguage(language);
    scheduleSelectionStatistics();
}

QString TagSheetController::withTagSheet(const QString &title) const
{
    if (!m_document.tagSheet())
        return title;
    return TagSheetTexts::titleWithSheet(m_host.language(), title,
                                         QFileInfo(m_document.tagSheetPath()).fileName());
}

void TagSheetController::chooseTagSheet()
{
    const QString path = m_host.chooseSheet();
    if (!path.isEmpty())
        useTagSheet(path);
}

void TagSheetController::dropTagSheet()
{
    useTagSheet({});
}

bool TagSheetController::useTagSheet(const QString &path)
{
    std::optional<TagSheet> sheet;
    if (!path.isEmpty()) {
        TagSheetReading reading = TagSheet::read(path);
        if (!reading.sheet) {
            m_host.message(reading.fault.message(m_host.language()));
            return false;
        }
        sheet = std::move(reading.sheet);
    }
    m_document.setTagSheet(std::move(sheet),
                           path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath());
    rememberFolderTagSheet();
    m_host.sheetChanged();
    applyTexts(m_host.language());
    return true;
}

void TagSheetController::editTagSheet()
{
    if (!m_editor) {
        TagSheetEditor::Services services;
        services.messages = m_messages;
        services.protectedFile = [this] { return m_document.path(); };
        m_editor = new TagSheetEditor(services, m_host.language(), m_owner);
        connect(m_editor, &TagSheetEditor::saved, this, &TagSheetController::sheetSaved);
        if (m_document.tagSheet())
            m_editor->setSheet(*m_document.tagSheet(), m_document.tagSheetPath());
    }
    showOwnedWindow(m_editor, m_owner);
}

bool TagSheetController::closeEditor()
{
    return !m_editor || !m_editor->isVisible() || m_editor->close();
}

void TagSheetController::sheetSaved(const QString &path)
{
    // The sheet in use was written: the grid shows what it now says.
    if (m_document.tagSheet() && isSameFile(path, m_document.tagSheetPath()))
        useTagSheet(m_document.tagSheetPath());
}

void TagSheetController::takeFolderTagSheet(const QString &path)
{
    if (!m_options)
        return;
    const FolderTagSheets sheets(m_options->readList(FolderTagSheets::storeKey()));
    const std::optional<QString> remembered = sheets.sheetFor(FolderTagSheets::folderOf(path));
    if (!remembered || *remembered == m_document.tagSheetPath())
        return;
    if (remembered->isEmpty()) {
        m_document.setTagSheet(std::nullopt);
    } else {
        TagSheetReading reading = TagSheet::read(*remembered);
        if (!reading.sheet) // changed or gone since: the file is shown without it
            m_host.message(reading.fault.message(m_host.language()));
        m_document.setTagSheet(std::move(reading.sheet), *remembered);
    }
    applyTexts(m_host.language());
}

void TagSheetController::rememberFolderTagSheet()
{
    if (!m_options || m_document.path().isEmpty())
        return;
    FolderTagSheets sheets(m_options->readList(FolderTagSheets::storeKey()));
    sheets.remember(FolderTagSheets::folderOf(m_document.path()), m_document.tagSheetPath());
    m_options->writeList(FolderTagSheets::storeKey(), sheets.stored());
}

QString TagSheetController::selectionStatisticsText() const
{
    const QItemSelectionModel *selection = m_view ? m_view->selectionModel() : nullptr;
    if (!selection || !selection->hasSelection())
        return {};
    const bool records = m_document.kind() == LogDocument::FileKind::RecordDatabase
        || m_document.kind() == LogDocument::FileKind::BinaryData;
    if (!records)
        return {};
    QList<GridStatistics::CellBlock> blocks;
    for (const QItemSelectionRange &range : selection->selection())
        blocks.append({range.left() + 1, range.right() + 1, range.top() + 1, range.bottom() + 1});
    const NumberStatistics statistics
        = GridStatistics::ofBlocks(m_document.grid(), m_document.format(), blocks);
    if (statistics.count() == 0)
        return {};
    return TagSheetTexts::selectionStatistics(
        m_host.language(), statistics.count(), QString::fromUtf8(statistics.minText()),
        QString::fromUtf8(statistics.maxText()), QString::fromUtf8(statistics.meanText()),
        QString::fromUtf8(statistics.sumText()));
}

void TagSheetController::scheduleSelectionStatistics()
{
    if (m_statisticsTimer)
        m_statisticsTimer->start();
}

void TagSheetController::updateSelectionStatistics()
{
    const QString text = selectionStatisticsText();
    m_selectionStatistics->setText(text);
    m_selectionStatistics->setVisible(!text.isEmpty());
}
