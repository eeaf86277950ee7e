#include "mainwindow/AlarmListWindow.h"

#include "records/RecordTime.h"
#include "texts/Translations.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "AlarmListWindow", source);
}

} // namespace

AlarmListWindow::AlarmListWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_file(new QLabel(this))
    , m_table(new QTableWidget(this))
    , m_otherFile(new QPushButton(this))
    , m_onlyInView(new QCheckBox(this))
{
    setObjectName(QStringLiteral("AlarmListWindow"));
    m_table->setObjectName(QStringLiteral("AlarmList"));
    m_otherFile->setObjectName(QStringLiteral("OtherAlarmFile"));
    m_onlyInView->setObjectName(QStringLiteral("OnlyAlarmsInView"));
    connect(m_onlyInView, &QCheckBox::toggled, this, [this] { fill(); });
    m_table->setColumnCount(3);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // A double click, or Enter on the current row.
    connect(m_table, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        if (const std::optional<qint64> time = timeOfRow(index.row()))
            emit alarmChosen(*time);
    });
    connect(m_otherFile, &QPushButton::clicked, this, &AlarmListWindow::otherFileWanted);
    auto *top = new QHBoxLayout;
    top->addWidget(m_file, 1);
    top->addWidget(m_otherFile);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_onlyInView);
    layout->addWidget(m_table);
    resize(520, 420);
    setTexts(Language::Chinese);
}

void AlarmListWindow::setTexts(Language language)
{
    m_language = language;
    setWindowTitle(pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Alarm List")));
    m_table->setHorizontalHeaderLabels(
        {pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Alarm Time")),
         pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Alarm No.")),
         pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Alarm Content"))});
    m_otherFile->setText(pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Other Alarm File…")));
    m_onlyInView->setText(
        pick(language, QT_TRANSLATE_NOOP("AlarmListWindow", "Only alarms in view")));
    m_file->setText(
        m_path.isEmpty() ? pick(
            language, QT_TRANSLATE_NOOP("AlarmListWindow", "No alarm file beside the records."))
                         : m_path);
    // Laid out now, shown or not, so that every caption has its room.
    m_otherFile->setMinimumWidth(m_otherFile->sizeHint().width());
    if (layout())
        layout()->activate();
}

void AlarmListWindow::setAlarms(const std::optional<AlarmHistory> &history,
                                std::optional<qint64> from, std::optional<qint64> until)
{
    m_path = history ? history->path : QString();
    m_inRange = history ? history->inRange(from, until) : std::vector<Alarm>();
    setTexts(m_language);
    fill();
}

std::optional<qint64> AlarmListWindow::timeOfRow(int row) const
{
    if (row < 0 || row >= int(m_shown.size()))
        return std::nullopt;
    return m_shown[std::size_t(row)].time;
}

void AlarmListWindow::setViewTimes(std::optional<qint64> first, std::optional<qint64> last)
{
    if (first == m_viewFirst && last == m_viewLast)
        return;
    m_viewFirst = first;
    m_viewLast = last;
    if (m_onlyInView->isChecked())
        fill();
}

void AlarmListWindow::fill()
{
    m_shown.clear();
    if (!m_onlyInView->isChecked()) {
        m_shown = m_inRange;
    } else if (m_viewFirst && m_viewLast) {
        // Alarms without a time are in no view.
        for (const Alarm &alarm : m_inRange) {
            if (alarm.time && *alarm.time >= *m_viewFirst && *alarm.time <= *m_viewLast)
                m_shown.push_back(alarm);
        }
    }
    m_table->setRowCount(int(m_shown.size()));
    for (int row = 0; row < int(m_shown.size()); ++row) {
        const Alarm &alarm = m_shown[std::size_t(row)];
        m_table->setItem(
            row, 0, new QTableWidgetItem(alarm.time ? RecordTime::text(*alarm.time) : QString()));
        m_table->setItem(row, 1, new QTableWidgetItem(QString::number(alarm.number)));
        m_table->setItem(row, 2, new QTableWidgetItem(alarm.text));
    }
    m_table->resizeColumnToContents(0);
}
