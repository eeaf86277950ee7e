#pragma once

#include "export/ExcelExport.h"

class QProgressBar;

// progressGauge for the export and Save As: advanced once per row, painted only when
// the bar it draws changes, so a million rows cost no million repaints.
class GaugeProgress : public ExportProgress
{
public:
    explicit GaugeProgress(QProgressBar *bar)
        : m_bar(bar)
    { }
    void start(int maximum) override;
    void setPosition(int position) override;
    void finish() override;

private:
    QProgressBar *m_bar;
    int m_drawn = -1;
};
