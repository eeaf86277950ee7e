#include "mainwindow/TimeRangeDialog.h"

#include "records/RecordTime.h"
#include "texts/Translations.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "TimeRangeDialog", source);
}

QString boundText(std::optional<qint64> time)
{
    return time ? RecordTime::text(*time) : QString();
}

} // namespace

namespace TimeRangeTexts {

QString menuItem(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Time Range(&T)…"));
}

QString alarmListItem(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Alarm List(&A)…"));
}

QString countDisplay(Language language, int shown, int all)
{
    // Short: the count display keeps its width.
    return pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Range %1/%2")).arg(shown).arg(all);
}

QString countTip(Language language, int shown, int all)
{
    return pick(language,
                QT_TRANSLATE_NOOP("TimeRangeDialog", "%1 of %2 records in the time range"))
        .arg(shown)
        .arg(all);
}

QString titleSuffix(Language language, const LogDocument::TimeRange &range)
{
    return pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", " (time range %1 … %2)"))
        .arg(boundText(range.from), boundText(range.until));
}

} // namespace TimeRangeTexts

TimeRangeDialog::TimeRangeDialog(Language language, const LogDocument::TimeRange &shown,
                                 std::optional<qint64> first, std::optional<qint64> last,
                                 QWidget *parent)
    : QDialog(parent)
    , m_language(language)
    , m_day(first)
    , m_from(new QLineEdit(this))
    , m_until(new QLineEdit(this))
    , m_problem(new QLabel(this))
    , m_all(new QPushButton(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "All")), this))
{
    setObjectName(QStringLiteral("TimeRangeDialog"));
    setWindowTitle(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Time Range")));
    m_from->setObjectName(QStringLiteral("TimeRangeFrom"));
    m_until->setObjectName(QStringLiteral("TimeRangeUntil"));
    m_all->setObjectName(QStringLiteral("TimeRangeAll"));
    m_from->setText(boundText(shown.limits() ? shown.from : first));
    m_until->setText(boundText(shown.limits() ? shown.until : last));
    const QString example = QStringLiteral("2013-05-07 08:10:00");
    m_from->setPlaceholderText(example);
    m_until->setPlaceholderText(example);
    m_from->setMinimumWidth(fontMetrics().horizontalAdvance(example) + 24);
    m_problem->setObjectName(QStringLiteral("TimeRangeProblem"));
    m_problem->setVisible(false);

    auto *form = new QFormLayout;
    form->addRow(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "From(&F):")), m_from);
    form->addRow(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Until(&U):")), m_until);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "OK")),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(pick(language, QT_TRANSLATE_NOOP("TimeRangeDialog", "Cancel")),
                       QDialogButtonBox::RejectRole);
    buttons->addButton(m_all, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TimeRangeDialog::acceptRange);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_all, &QPushButton::clicked, this, &TimeRangeDialog::chooseAll);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
}

std::optional<RecordTime::Span> TimeRangeDialog::spanOf(const QLineEdit *field) const
{
    return RecordTime::parseSpan(QStringView(field->text()), m_day);
}

std::optional<LogDocument::TimeRange> TimeRangeDialog::range() const
{
    LogDocument::TimeRange range;
    if (!m_from->text().trimmed().isEmpty()) {
        const std::optional<RecordTime::Span> span = spanOf(m_from);
        if (!span)
            return std::nullopt;
        range.from = span->first;
    }
    if (!m_until->text().trimmed().isEmpty()) {
        const std::optional<RecordTime::Span> span = spanOf(m_until);
        if (!span)
            return std::nullopt;
        range.until = span->last;
    }
    return range;
}

bool TimeRangeDialog::fieldReadable(QLineEdit *field) const
{
    if (field->text().trimmed().isEmpty() || spanOf(field))
        return true;
    field->setFocus();
    field->selectAll();
    return false;
}

void TimeRangeDialog::acceptRange()
{
    if (!fieldReadable(m_from) || !fieldReadable(m_until)) {
        m_problem->setText(pick(m_language,
                                QT_TRANSLATE_NOOP("TimeRangeDialog",
                                                  "Write a time as 2013-05-07 08:10:00, "
                                                  "a date alone, or leave it empty.")));
        m_problem->setVisible(true);
        return;
    }
    m_choice = Choice::Range;
    accept();
}

void TimeRangeDialog::chooseAll()
{
    m_choice = Choice::All;
    accept();
}

TimeRangeDialog::Choice TimeRangeDialogChooser::chooseTimeRange(QWidget *owner, Language language,
                                                                LogDocument::TimeRange &range,
                                                                std::optional<qint64> first,
                                                                std::optional<qint64> last)
{
    TimeRangeDialog dialog(language, range, first, last, owner);
    dialog.exec();
    if (dialog.choice() == TimeRangeDialog::Choice::Range)
        range = *dialog.range();
    return dialog.choice();
}
