#pragma once

#include "document/AlarmHistory.h"
#include "platform/Language.h"

#include <QWidget>

#include <optional>

class AlarmsPerHourChart;
class QLabel;
class QPushButton;
class QTableWidget;

// The statistics of the alarms within the time range the grid shows: a row
// per alarm number (text, count, share, first and last time, the most within
// ten minutes), sortable by every column, copied as tab-separated text; and
// the alarms per hour as a bar chart.
class AlarmStatisticsWindow : public QWidget
{
    Q_OBJECT
public:
    enum Column {
        NumberColumn,
        TextColumn,
        CountColumn,
        ShareColumn,
        FirstColumn,
        LastColumn,
        MostInTenMinutesColumn,
        ColumnCount
    };

    explicit AlarmStatisticsWindow(QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    AlarmsPerHourChart *chart() const { return m_chart; }
    QPushButton *copyButton() const { return m_copy; }
    void setTexts(Language language);
    // The alarms to count (none: no alarm file) and the range shown.
    void setAlarms(const std::optional<AlarmHistory> &history, std::optional<qint64> from,
                   std::optional<qint64> until);

    // The table as tab-separated text in the order shown, the title row
    // first: the selected rows, or every row when none is selected.
    QString tableText() const;
    // The main window's pop-up menu item that opens this window.
    static QString menuItemText(Language language);

public slots:
    // Puts tableText() on the clipboard.
    void copyTable();

private:
    void fill(const AlarmStatistics &statistics);

    QLabel *m_summary;
    QTableWidget *m_table;
    QPushButton *m_copy;
    AlarmsPerHourChart *m_chart;
    Language m_language = Language::Chinese;
    bool m_hasFile = false;
    int m_total = 0;
    int m_numbers = 0;
};
