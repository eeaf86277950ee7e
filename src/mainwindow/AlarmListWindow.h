#pragma once

#include "document/AlarmHistory.h"
#include "platform/Language.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The alarms beside the records: the alarm file's alarms within the time
// range the grid shows, in time order, or only those within the curve
// window's screen. Double-clicking one asks for the record at its time.
class AlarmListWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AlarmListWindow(QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    QPushButton *otherFileButton() const { return m_otherFile; }
    QCheckBox *onlyInViewCheck() const { return m_onlyInView; }
    void setTexts(Language language);
    // The alarms to list (none: no alarm file) and the range shown.
    void setAlarms(const std::optional<AlarmHistory> &history, std::optional<qint64> from,
                   std::optional<qint64> until);
    // The time of a listed alarm; none when it has none.
    std::optional<qint64> timeOfRow(int row) const;

public slots:
    // The earliest and the latest time of the curve window's screen; none
    // while it shows none. "Only alarms in view" lists the alarms between.
    void setViewTimes(std::optional<qint64> first, std::optional<qint64> last);

signals:
    // An alarm was double-clicked: the record at `time` is wanted.
    void alarmChosen(qint64 time);
    void otherFileWanted();

private:
    void fill();

    QLabel *m_file;
    QTableWidget *m_table;
    QPushButton *m_otherFile;
    QCheckBox *m_onlyInView;
    // The alarms of the range, and those of them listed.
    std::vector<Alarm> m_inRange;
    std::vector<Alarm> m_shown;
    std::optional<qint64> m_viewFirst;
    std::optional<qint64> m_viewLast;
    Language m_language = Language::Chinese;
    QString m_path;
};
