#include "mainwindow/AlarmStatisticsWindow.h"

#include "mainwindow/AlarmsPerHourChart.h"
#include "records/RecordTime.h"
#include "records/TsvText.h"
#include "texts/Translations.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <set>

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "AlarmStatisticsWindow", source);
}

constexpr int TextWidth = 260;

// An item that sorts by a number kept beside its text: counts, shares and
// times sort by value, a missing time before every time.
class ValueItem : public QTableWidgetItem
{
public:
    ValueItem(const QString &text, double value)
        : QTableWidgetItem(text)
    {
        setData(Qt::UserRole, value);
    }
    bool operator<(const QTableWidgetItem &other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem *timeItem(const std::optional<qint64> &time)
{
    // Times since 1970 stay below 2^53 seconds: a double holds them exactly.
    return new ValueItem(time ? RecordTime::text(*time) : QString(),
                         time ? double(*time) : -std::numeric_limits<double>::infinity());
}

QString textOf(const QTableWidgetItem *item)
{
    return item ? item->text() : QString();
}

} // namespace

AlarmStatisticsWindow::AlarmStatisticsWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_summary(new QLabel(this))
    , m_table(new QTableWidget(this))
    , m_copy(new QPushButton(this))
    , m_chart(new AlarmsPerHourChart(this))
{
    setObjectName(QStringLiteral("AlarmStatisticsWindow"));
    m_summary->setObjectName(QStringLiteral("AlarmStatisticsSummary"));
    m_table->setObjectName(QStringLiteral("AlarmStatisticsTable"));
    m_copy->setObjectName(QStringLiteral("CopyAlarmStatistics"));
    m_table->setColumnCount(ColumnCount);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(CountColumn, Qt::DescendingOrder);
    connect(m_copy, &QPushButton::clicked, this, &AlarmStatisticsWindow::copyTable);
    auto *copyKeys = new QShortcut(QKeySequence::Copy, m_table);
    copyKeys->setContext(Qt::WidgetShortcut);
    connect(copyKeys, &QShortcut::activated, this, &AlarmStatisticsWindow::copyTable);
    auto *top = new QHBoxLayout;
    top->addWidget(m_summary, 1);
    top->addWidget(m_copy);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_chart);
    // Room for every column with an alarm text cut at its width.
    resize(960, 560);
    setTexts(Language::Chinese);
}

QString AlarmStatisticsWindow::menuItemText(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarm Statistics(&C)…"));
}

void AlarmStatisticsWindow::setTexts(Language language)
{
    m_language = language;
    setWindowTitle(pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarm Statistics")));
    m_table->setHorizontalHeaderLabels(
        {pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarm No.")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarm Content")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Count")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Share")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "First")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Last")),
         pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Most in 10 min"))});
    m_copy->setText(pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Copy(&C)")));
    m_summary->setText(
        m_hasFile
            ? pick(language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "%1 alarms of %2 numbers"))
                  .arg(m_total)
                  .arg(m_numbers)
            : pick(
                language,
                QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "No alarm file beside the records.")));
    m_chart->setLanguage(language);
    // Laid out now, shown or not, so that every caption has its room.
    m_copy->setMinimumWidth(m_copy->sizeHint().width());
    if (layout())
        layout()->activate();
}

void AlarmStatisticsWindow::setAlarms(const std::optional<AlarmHistory> &history,
                                      std::optional<qint64> from, std::optional<qint64> until)
{
    m_hasFile = history.has_value();
    const AlarmStatistics statistics
        = history ? alarmStatistics(history->alarms, from, until) : AlarmStatistics();
    m_total = statistics.total;
    m_numbers = int(statistics.numbers.size());
    fill(statistics);
    m_chart->setHours(statistics.perHour);
    setTexts(m_language);
}

void AlarmStatisticsWindow::fill(const AlarmStatistics &statistics)
{
    // Filled unsorted, then sorted as the header asks: the rows come in
    // count order, and equal keys keep it.
    m_table->setSortingEnabled(false);
    m_table->clearContents();
    m_table->setRowCount(int(statistics.numbers.size()));
    for (int row = 0; row < int(statistics.numbers.size()); ++row) {
        const AlarmNumberStatistics &s = statistics.numbers[std::size_t(row)];
        m_table->setItem(row, NumberColumn,
                         new ValueItem(QString::number(s.number), double(s.number)));
        m_table->setItem(row, TextColumn, new QTableWidgetItem(s.text));
        m_table->setItem(row, CountColumn, new ValueItem(QString::number(s.count), s.count));
        m_table->setItem(
            row, ShareColumn,
            new ValueItem(QString::number(100 * s.share, 'f', 1) + QLatin1Char('%'), s.share));
        m_table->setItem(row, FirstColumn, timeItem(s.first));
        m_table->setItem(row, LastColumn, timeItem(s.last));
        m_table->setItem(row, MostInTenMinutesColumn,
                         new ValueItem(QString::number(s.maxInTenMinutes), s.maxInTenMinutes));
        for (int col : {NumberColumn, CountColumn, ShareColumn, MostInTenMinutesColumn})
            m_table->item(row, col)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_table->setSortingEnabled(true);
    m_table->resizeColumnsToContents();
    // Long alarm texts are cut, not wrapped: a row per line, and the other
    // columns keep their room.
    m_table->setColumnWidth(TextColumn, std::min(m_table->columnWidth(TextColumn), TextWidth));
}

QString AlarmStatisticsWindow::tableText() const
{
    std::set<int> selected;
    if (m_table->selectionModel())
        for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
            selected.insert(index.row());
    QList<QStringList> lines;
    QStringList titles;
    for (int col = 0; col < ColumnCount; ++col)
        titles << textOf(m_table->horizontalHeaderItem(col));
    lines << titles;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (!selected.empty() && !selected.contains(row))
            continue;
        QStringList fields;
        for (int col = 0; col < ColumnCount; ++col)
            fields << textOf(m_table->item(row, col));
        lines << fields;
    }
    return TsvText::rows(lines);
}

void AlarmStatisticsWindow::copyTable()
{
    QApplication::clipboard()->setText(tableText());
}
