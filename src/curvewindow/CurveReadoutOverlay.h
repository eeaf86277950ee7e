#pragma once

#include "curves/AlarmTicks.h"
#include "curves/CurveReadout.h"

#include <QList>
#include <QWidget>

#include <optional>

// Lies over the curve picture and draws what belongs to the pointer, not to
// the picture: the alarm ticks, the marker lines and the readout box beside
// the pointer. It
// takes no mouse input, and showing or hiding it leaves the picture as it is.
class CurveReadoutOverlay : public QWidget
{
    Q_OBJECT
public:
    explicit CurveReadoutOverlay(QWidget *parent = nullptr);

    // Marker lines at picture x, from the top of the plot to its bottom line.
    void setMarkers(std::optional<int> xA, std::optional<int> xB, int plotBottom);
    // Alarm ticks from the top of the plot to its bottom line; the timeline
    // is not owned and must outlive the ticks.
    void setAlarmTicks(const AlarmTicks::Timeline *timeline, std::vector<AlarmTicks::Tick> ticks,
                       int plotBottom);
    const std::vector<AlarmTicks::Tick> &alarmTicks() const { return m_ticks; }
    // The readout box, placed beside the pointer and kept inside the widget;
    // no lines hide it.
    void setReadout(const QList<CurveReadout::Line> &lines, QPoint pointer);
    const QList<CurveReadout::Line> &readout() const { return m_lines; }
    // The box's rectangle in this widget; empty while hidden.
    QRect readoutRect() const { return m_box; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the lines out in as many columns as the height needs and places
    // the box beside the pointer.
    QRect boxFor(QPoint pointer);

    const AlarmTicks::Timeline *m_timeline = nullptr;
    std::vector<AlarmTicks::Tick> m_ticks;
    int m_ticksBottom = 0;
    std::optional<int> m_xA;
    std::optional<int> m_xB;
    int m_plotBottom = 0;
    QList<CurveReadout::Line> m_lines;
    QRect m_box;
    int m_rowsPerColumn = 1;
    QList<int> m_columnWidths;
};
