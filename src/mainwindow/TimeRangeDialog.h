#pragma once

#include "document/LogDocument.h"
#include "platform/Language.h"
#include "records/RecordTime.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks From and Until of the records to show. The fields take the times a
// user writes (a date alone, seconds left out); an empty field is an open
// bound. "All" lifts the range.
class TimeRangeDialog : public QDialog
{
    Q_OBJECT
public:
    // What the user chose.
    enum class Choice { Cancelled, Range, All };

    // `shown` fills the fields; where it has no bound, the file's first and
    // last times do (`first`, `last`).
    TimeRangeDialog(Language language, const LogDocument::TimeRange &shown,
                    std::optional<qint64> first, std::optional<qint64> last,
                    QWidget *parent = nullptr);

    QLineEdit *fromField() const { return m_from; }
    QLineEdit *untilField() const { return m_until; }
    QPushButton *allButton() const { return m_all; }

    // The range the fields say; none while a field cannot be read.
    std::optional<LogDocument::TimeRange> range() const;
    Choice choice() const { return m_choice; }

    // Takes the fields' range when both can be read (the dialog closes with
    // Range); marks the field that cannot otherwise.
    void acceptRange();
    void chooseAll();

private:
    bool fieldReadable(QLineEdit *field) const;
    std::optional<RecordTime::Span> spanOf(const QLineEdit *field) const;

    Language m_language;
    // A time alone means that time on this day: the file's first.
    std::optional<qint64> m_day;
    QLineEdit *m_from;
    QLineEdit *m_until;
    QLabel *m_problem;
    QPushButton *m_all;
    Choice m_choice = Choice::Cancelled;
};

// Asks for the range to show; the dialog in the program, a fixed answer in
// tests.
class TimeRangeChooser
{
public:
    virtual ~TimeRangeChooser() = default;
    // Range: `range` is the one chosen.
    virtual TimeRangeDialog::Choice
    chooseTimeRange(QWidget *owner, Language language, LogDocument::TimeRange &range,
                    std::optional<qint64> first, std::optional<qint64> last)
        = 0;
};

class TimeRangeDialogChooser : public TimeRangeChooser
{
public:
    TimeRangeDialog::Choice chooseTimeRange(QWidget *owner, Language language,
                                            LogDocument::TimeRange &range,
                                            std::optional<qint64> first,
                                            std::optional<qint64> last) override;
};

// The main window's texts of a time range.
namespace TimeRangeTexts {
QString menuItem(Language language);
QString alarmListItem(Language language);
// The count display while a range shows: records shown of all.
QString countDisplay(Language language, int shown, int all);
QString countTip(Language language, int shown, int all);
// What the window title adds while a range shows.
QString titleSuffix(Language language, const LogDocument::TimeRange &range);
} // namespace TimeRangeTexts
