#include "mainwindow/TagSheetEditor.h"

#include "platform/MessageSink.h"
#include "platform/SafeOutputFile.h"
#include "texts/MainTexts.h"
#include "texts/TagSheetTexts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int TypeColumn = 4;
const QColor FaultColour(255, 200, 200);

constexpr TagType AllTypes[] = {TagType::U16, TagType::S16,  TagType::S32, TagType::Hex32,
                                TagType::F32, TagType::Enum, TagType::Bits};

// The type is picked from the types a sheet knows, never typed.
class TagTypeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *box = new QComboBox(parent);
        for (const TagType t : AllTypes)
            box->addItem(QString::fromLatin1(tagTypeName(t)));
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *box = static_cast<QComboBox *>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data(Qt::EditRole).toString())));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText(), Qt::EditRole);
    }
};

QPushButton *addButton(QHBoxLayout *row, const char *name)
{
    auto *button = new QPushButton;
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

TagSheetEditor::TagSheetEditor(Services services, Language language, QWidget *parent)
    : QDialog(parent)
    , m_services(std::move(services))
    , m_language(language)
{
    setObjectName(QStringLiteral("TagSheetEditor"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    if (!m_services.chooseOpen) {
        m_services.chooseOpen = [this](QWidget *owner) {
            return QFileDialog::getOpenFileName(owner, TagSheetTexts::openTitle(m_language), m_path,
                                                TagSheetTexts::fileFilter(m_language));
        };
    }
    if (!m_services.chooseSave) {
        m_services.chooseSave = [this](QWidget *owner) {
            QFileDialog dialog(owner, TagSheetTexts::saveTitle(m_language));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setNameFilter(TagSheetTexts::fileFilter(m_language));
            dialog.setDefaultSuffix(QStringLiteral("csv"));
            if (!m_path.isEmpty())
                dialog.selectFile(m_path);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return QString();
            return dialog.selectedFiles().constFirst();
        };
    }

    m_table = new QTableWidget(0, TagSheet::ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tagTable"));
    m_table->setHorizontalHeaderLabels(TagSheet::columnNames());
    m_table->setItemDelegateForColumn(TypeColumn, new TagTypeDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        checkRow(item->row());
        showFirstFault();
    });

    m_faultLine = new QLabel(this);
    m_faultLine->setObjectName(QStringLiteral("faultLine"));
    m_faultLine->setWordWrap(true);
    m_faultLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *rowButtons = new QHBoxLayout;
    m_openButton = addButton(rowButtons, "openButton");
    m_addButton = addButton(rowButtons, "addRowButton");
    m_removeButton = addButton(rowButtons, "removeRowButton");
    m_upButton = addButton(rowButtons, "moveUpButton");
    m_downButton = addButton(rowButtons, "moveDownButton");
    rowButtons->addStretch();
    m_saveButton = addButton(rowButtons, "saveButton");
    m_saveAsButton = addButton(rowButtons, "saveAsButton");
    m_closeButton = addButton(rowButtons, "closeButton");
    connect(m_openButton, &QPushButton::clicked, this, &TagSheetEditor::chooseAndOpen);
    connect(m_addButton, &QPushButton::clicked, this, &TagSheetEditor::addRow);
    connect(m_removeButton, &QPushButton::clicked, this, &TagSheetEditor::removeRow);
    connect(m_upButton, &QPushButton::clicked, this, &TagSheetEditor::moveRowUp);
    connect(m_downButton, &QPushButton::clicked, this, &TagSheetEditor::moveRowDown);
    connect(m_saveButton, &QPushButton::clicked, this, &TagSheetEditor::save);
    connect(m_saveAsButton, &QPushButton::clicked, this, &TagSheetEditor::saveAs);
    // Through the close event: Close asks as the window's own close button does.
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_faultLine);
    layout->addLayout(rowButtons);
    resize(860, 420);
    setLanguage(language);
}

void TagSheetEditor::setLanguage(Language language)
{
    m_language = language;
    m_openButton->setText(TagSheetTexts::editorOpen(language));
    m_addButton->setText(TagSheetTexts::editorAddRow(language));
    m_removeButton->setText(TagSheetTexts::editorRemoveRow(language));
    m_upButton->setText(TagSheetTexts::editorMoveUp(language));
    m_downButton->setText(TagSheetTexts::editorMoveDown(language));
    m_saveButton->setText(TagSheetTexts::editorSave(language));
    m_saveAsButton->setText(TagSheetTexts::editorSaveAs(language));
    m_closeButton->setText(TagSheetTexts::editorClose(language));
    for (int row = 0; row < m_table->rowCount(); ++row)
        checkRow(row);
    showFirstFault();
    retitle();
}

void TagSheetEditor::retitle()
{
    QString title = TagSheetTexts::editorTitle(m_language);
    if (!m_path.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(m_path).fileName();
    setWindowTitle(title);
}

void TagSheetEditor::setSheet(const TagSheet &sheet, const QString &path)
{
    QList<QStringList> rows;
    for (const Tag &tag : sheet.tags)
        rows.append(TagSheet::fieldsOf(tag));
    showFields(rows);
    m_savedRows = std::move(rows);
    m_path = path;
    retitle();
}

void TagSheetEditor::showFields(const QList<QStringList> &rows)
{
    m_table->setRowCount(0);
    for (const QStringList &fields : rows)
        insertRow(m_table->rowCount(), fields);
    showFirstFault();
}

QList<QStringList> TagSheetEditor::tableFields() const
{
    QList<QStringList> rows;
    for (int row = 0; row < m_table->rowCount(); ++row)
        rows.append(rowFields(row));
    return rows;
}

bool TagSheetEditor::hasUnsavedChanges() const
{
    return tableFields() != m_savedRows;
}

bool TagSheetEditor::settleUnsavedChanges(bool revert)
{
    if (!hasUnsavedChanges())
        return true;
    SaveAnswer answer = SaveAnswer::Cancel;
    if (m_services.messages) {
        answer = m_services.messages->askToSave(
            this,
            {MainTexts::captionNorvale(), TagSheetTexts::unsavedQuestion(m_language),
             TagSheetTexts::editorSave(m_language), TagSheetTexts::discardAnswer(m_language),
             TagSheetTexts::cancelAnswer(m_language)});
    }
    switch (answer) {
    case SaveAnswer::Save:
        return save();
    case SaveAnswer::Discard:
        if (revert)
            showFields(m_savedRows);
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void TagSheetEditor::reject()
{
    if (settleUnsavedChanges(true))
        QDialog::reject();
}

bool TagSheetEditor::openSheet(const QString &path)
{
    const TagSheetReading reading = TagSheet::read(path);
    if (!reading.sheet) {
        report(reading.fault.message(m_language));
        return false;
    }
    setSheet(*reading.sheet, QFileInfo(path).absoluteFilePath());
    return true;
}

void TagSheetEditor::chooseAndOpen()
{
    if (!settleUnsavedChanges(false))
        return;
    const QString path = m_services.chooseOpen(this);
    if (!path.isEmpty())
        openSheet(path);
}

QStringList TagSheetEditor::rowFields(int row) const
{
    QStringList fields;
    for (int c = 0; c < TagSheet::ColumnCount; ++c) {
        const QTableWidgetItem *item = m_table->item(row, c);
        fields.append(item ? item->text() : QString());
    }
    return fields;
}

void TagSheetEditor::insertRow(int row, const QStringList &fields)
{
    const QSignalBlocker block(m_table);
    m_table->insertRow(row);
    for (int c = 0; c < TagSheet::ColumnCount; ++c)
        m_table->setItem(row, c, new QTableWidgetItem(fields.value(c)));
    checkRow(row);
}

void TagSheetEditor::checkRow(int row)
{
    Tag tag;
    std::optional<TagSheetFault> fault = TagSheet::tagFromFields(rowFields(row), tag);
    QString reason;
    if (fault) {
        fault->line = row + 2;
        reason = fault->message(m_language);
    }
    const QSignalBlocker block(m_table);
    for (int c = 0; c < TagSheet::ColumnCount; ++c) {
        QTableWidgetItem *item = m_table->item(row, c);
        if (!item)
            continue;
        const bool faulty = fault && fault->column == c + 1;
        item->setData(Qt::BackgroundRole, faulty ? QVariant(FaultColour) : QVariant());
        item->setToolTip(faulty ? reason : QString());
    }
}

std::optional<TagSheetFault> TagSheetEditor::firstFault() const
{
    for (int row = 0; row < m_table->rowCount(); ++row) {
        Tag tag;
        if (auto fault = TagSheet::tagFromFields(rowFields(row), tag)) {
            fault->line = row + 2;
            return fault;
        }
    }
    return std::nullopt;
}

std::optional<TagSheet> TagSheetEditor::sheet() const
{
    TagSheet sheet;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        Tag tag;
        if (TagSheet::tagFromFields(rowFields(row), tag))
            return std::nullopt;
        sheet.tags.append(std::move(tag));
    }
    return sheet;
}

void TagSheetEditor::showFirstFault()
{
    const auto fault = firstFault();
    m_faultLine->setText(fault ? fault->message(m_language) : QString());
    m_faultLine->setVisible(fault.has_value());
}

void TagSheetEditor::addRow()
{
    // After the current row, as a copy of its buffer: tags of one buffer
    // are usually written together.
    const int current = m_table->currentRow();
    const int row = current < 0 ? m_table->rowCount() : current + 1;
    const QString buffer = current < 0 ? QStringLiteral("*") : rowFields(current).value(0);
    insertRow(row, {buffer, QStringLiteral("0"), {}, {}, QStringLiteral("u16"), {}, {}, {}, {}});
    m_table->setCurrentCell(row, 2);
    showFirstFault();
}

void TagSheetEditor::removeRow()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    m_table->removeRow(row);
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(std::min(row, m_table->rowCount() - 1), m_table->currentColumn());
    showFirstFault();
}

void TagSheetEditor::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_table->rowCount() || to >= m_table->rowCount())
        return;
    const int column = std::max(0, m_table->currentColumn());
    const QStringList fields = rowFields(from);
    m_table->removeRow(from);
    insertRow(to, fields);
    m_table->setCurrentCell(to, column);
    showFirstFault();
}

void TagSheetEditor::moveRowUp()
{
    const int row = m_table->currentRow();
    moveRow(row, row - 1);
}

void TagSheetEditor::moveRowDown()
{
    const int row = m_table->currentRow();
    moveRow(row, row + 1);
}

bool TagSheetEditor::save()
{
    if (m_path.isEmpty())
        return saveAs();
    return saveTo(m_path);
}

bool TagSheetEditor::saveAs()
{
    const QString path = m_services.chooseSave(this);
    if (path.isEmpty())
        return false;
    return saveTo(path);
}

bool TagSheetEditor::saveTo(const QString &path)
{
    const std::optional<TagSheet> written = sheet();
    if (!written) {
        report(TagSheetTexts::saveFaulty(m_language, firstFault()->message(m_language)));
        return false;
    }
    SafeOutputFile out(path);
    const QString browsed = m_services.protectedFile ? m_services.protectedFile() : QString();
    bool ok = out.open(browsed);
    if (ok && !written->write(out.device())) {
        out.discard();
        report(TagSheetTexts::saveFailed(m_language, out.device().errorString()));
        return false;
    }
    ok = ok && out.commit();
    if (!ok) {
        report(TagSheetTexts::saveFailed(m_language, out.errorString()));
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_savedRows = tableFields();
    retitle();
    emit saved(m_path);
    return true;
}

void TagSheetEditor::report(const QString &text)
{
    if (m_services.messages)
        m_services.messages->showMessage(this, MessageIcon::Warning, MainTexts::captionNorvale(),
                                         text);
}
