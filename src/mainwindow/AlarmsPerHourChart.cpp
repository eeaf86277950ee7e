#include "mainwindow/AlarmsPerHourChart.h"

#include "records/RecordTime.h"
#include "texts/Translations.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "AlarmStatisticsWindow", source);
}

// Room for the caption above the bars and the time labels below them.
constexpr int Margin = 4;

} // namespace

AlarmsPerHourChart::AlarmsPerHourChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("AlarmsPerHourChart"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void AlarmsPerHourChart::setHours(std::vector<AlarmsInHour> perHour)
{
    m_perHour = std::move(perHour);
    layoutBuckets();
    update();
}

void AlarmsPerHourChart::setLanguage(Language language)
{
    m_language = language;
    update();
}

QSize AlarmsPerHourChart::sizeHint() const
{
    return {480, 8 * fontMetrics().height()};
}

QSize AlarmsPerHourChart::minimumSizeHint() const
{
    return {120, 6 * fontMetrics().height()};
}

QRect AlarmsPerHourChart::barArea() const
{
    const int line = fontMetrics().height();
    return rect().adjusted(Margin, Margin + line, -Margin, -(Margin + line));
}

void AlarmsPerHourChart::layoutBuckets()
{
    m_buckets
        = AlarmsPerHour::bucketsOf(m_perHour, AlarmsPerHour::bucketsFitting(barArea().width()));
}

std::vector<AlarmsPerHour::Bar> AlarmsPerHourChart::bars() const
{
    return AlarmsPerHour::barsIn(m_buckets, barArea());
}

QString AlarmsPerHourChart::caption() const
{
    const qint64 hours = m_buckets.hoursPerBucket;
    QString text;
    if (hours == 1)
        text = pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarms per hour"));
    else if (hours == 24)
        text = pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarms per day"));
    else if (hours % 24 == 0)
        text = pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarms per %1 days"))
                   .arg(hours / 24);
    else
        text = pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "Alarms per %1 hours"))
                   .arg(hours);
    if (m_buckets.most > 0)
        text += pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", " (most: %1)"))
                    .arg(m_buckets.most);
    return text;
}

QString AlarmsPerHourChart::bucketTip(int index) const
{
    if (index < 0 || index >= int(m_buckets.buckets.size()))
        return {};
    const AlarmsPerHour::Bucket &b = m_buckets.buckets[std::size_t(index)];
    const qint64 end = b.start + m_buckets.hoursPerBucket * 3600;
    return pick(m_language, QT_TRANSLATE_NOOP("AlarmStatisticsWindow", "%1 to %2: %3 alarms"))
        .arg(RecordTime::text(b.start).left(16), RecordTime::text(end).left(16))
        .arg(b.count);
}

void AlarmsPerHourChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBuckets();
}

bool AlarmsPerHourChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const QPoint at = static_cast<QHelpEvent *>(event)->pos();
        for (const AlarmsPerHour::Bar &bar : bars()) {
            if (bar.slot.contains(at)) {
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                                   bucketTip(bar.index), this, bar.slot);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void AlarmsPerHourChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = barArea();
    const int line = fontMetrics().height();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(Margin, Margin, width() - 2 * Margin, line),
                     Qt::AlignLeft | Qt::AlignVCenter, caption());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(area.bottomLeft() + QPoint(0, 1), area.bottomRight() + QPoint(0, 1));
    const std::vector<AlarmsPerHour::Bar> shown = bars();
    const QColor full = palette().color(QPalette::Highlight);
    for (const AlarmsPerHour::Bar &bar : shown)
        if (!bar.rect.isEmpty())
            painter.fillRect(bar.rect, full);
    if (shown.empty())
        return;
    painter.setPen(palette().color(QPalette::Text));
    const QRect labels(area.left(), area.bottom() + 2, area.width(), line);
    const qint64 first = m_buckets.buckets.front().start;
    const qint64 last = m_buckets.buckets.back().start;
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, RecordTime::text(first).left(16));
    if (shown.size() > 1)
        painter.drawText(
            QRect(area.left(), labels.top(), shown.back().slot.right() - area.left(), line),
            Qt::AlignRight | Qt::AlignVCenter, RecordTime::text(last).left(16));
}
