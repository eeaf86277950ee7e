#pragma once

#include "curves/MarkerStatistics.h"
#include "platform/Language.h"

#include <QWidget>

class QPushButton;
class QTableWidget;

// A small tool window beside the curves: the statistics of the shown curves
// between markers A and B, a row per curve in its colour, copied as
// tab-separated text by its button or Ctrl+C.
class MarkerStatisticsTable : public QWidget
{
    Q_OBJECT
public:
    explicit MarkerStatisticsTable(QWidget *parent = nullptr);

    // Shows the table, in `language`; brings the window up when hidden.
    void showTable(const MarkerStatistics::Table &table, Language language);
    QTableWidget *table() const { return m_table; }
    QPushButton *copyButton() const { return m_copy; }
    // The table as copied: every row, the title row first.
    QString text() const;

public slots:
    void copyTable();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeBelowParent();

    QTableWidget *m_table;
    QPushButton *m_copy;
    MarkerStatistics::Table m_shown;
    Language m_language = Language::Chinese;
    bool m_placed = false;
};
