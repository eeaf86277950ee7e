#include "mainwindow/GaugeProgress.h"

#include <QProgressBar>

#include <algorithm>

void GaugeProgress::start(int maximum)
{
    m_bar->setRange(0, std::max(maximum, 0));
    m_bar->setValue(0);
    m_bar->show();
    m_drawn = -1;
}

void GaugeProgress::setPosition(int position)
{
    const int maximum = std::max(m_bar->maximum(), 1);
    const int drawn = int(qint64(position) * std::max(m_bar->width(), 1) / maximum);
    if (drawn == m_drawn)
        return;
    m_drawn = drawn;
    m_bar->setValue(position);
    m_bar->repaint();
}

void GaugeProgress::finish()
{
    m_bar->hide();
}
