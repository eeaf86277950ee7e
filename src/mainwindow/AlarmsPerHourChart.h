#pragma once

#include "platform/Language.h"
#include "records/AlarmsPerHour.h"

#include <QWidget>

// Alarms per hour as a small bar chart: the bars as AlarmsPerHour lays them
// out for the widget's width, the busiest count at the top, the first and
// last bucket's times under the bars. Hovering a bar tells its time and count.
class AlarmsPerHourChart : public QWidget
{
    Q_OBJECT
public:
    explicit AlarmsPerHourChart(QWidget *parent = nullptr);

    void setHours(std::vector<AlarmsInHour> perHour);
    void setLanguage(Language language);
    // The buckets as the last layout made them.
    const AlarmsPerHour::Buckets &buckets() const { return m_buckets; }
    // The bars of the current size, in widget coordinates.
    std::vector<AlarmsPerHour::Bar> bars() const;
    // The caption over the bars: per hour, or per wider bucket.
    QString caption() const;
    // What hovering the bucket `index` shows.
    QString bucketTip(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect barArea() const;
    void layoutBuckets();

    std::vector<AlarmsInHour> m_perHour;
    AlarmsPerHour::Buckets m_buckets;
    Language m_language = Language::Chinese;
};
