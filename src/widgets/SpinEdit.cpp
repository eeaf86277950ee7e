#include "widgets/SpinEdit.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

SpinEdit::SpinEdit(QWidget *parent)
    : QAbstractSpinBox(parent)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit valueChanged(value()); });
}

void SpinEdit::setMinimum(int min)
{
    m_min = min;
    if (m_max < m_min)
        m_max = m_min;
}

void SpinEdit::setMaximum(int max)
{
    m_max = max;
    if (m_min > m_max)
        m_min = m_max;
}

void SpinEdit::setRange(int min, int max)
{
    m_min = min;
    m_max = max < min ? min : max;
}

int SpinEdit::textValue(QStringView text, int min)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    // Only an optional minus and digits make a decimal integer here: no
    // spaces, no plus, and nothing beyond the 32-bit range.
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace()
        || text.front() == u'+' || v < std::numeric_limits<int>::min()
        || v > std::numeric_limits<int>::max())
        return min;
    return static_cast<int>(v);
}

int SpinEdit::value() const
{
    return textValue(lineEdit()->text(), m_min);
}

void SpinEdit::setValue(int value)
{
    lineEdit()->setText(QString::number(value));
}

int SpinEdit::maxLength() const
{
    return m_maxLength;
}

void SpinEdit::setMaxLength(int length)
{
    // Checked on typing only: a value the program writes is never cut.
    m_maxLength = length;
}

void SpinEdit::stepBy(int steps)
{
    const qint64 next = qint64(value()) + steps;
    setValue(static_cast<int>(std::clamp<qint64>(next, m_min, m_max)));
    selectAll();
}

QValidator::State SpinEdit::validate(QString &input, int &) const
{
    if (input.size() > m_maxLength)
        return QValidator::Invalid;
    // Keys other than a minus and digits are refused; any text made of those
    // is kept, even one that is not (yet) a number.
    for (QChar c : input) {
        if ((c < u'0' || c > u'9') && c != u'-')
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void SpinEdit::fixup(QString &) const { }

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    const int v = value();
    StepEnabled e = StepNone;
    if (v < m_max)
        e |= StepUpEnabled;
    if (v > m_min)
        e |= StepDownEnabled;
    return e;
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    QAbstractSpinBox::focusOutEvent(event);
    clampToRange();
}

void SpinEdit::clampToRange()
{
    // A text that is no number counts as the minimum: show that number too.
    const int clamped = qBound(m_min, value(), m_max);
    if (lineEdit()->text() != QString::number(clamped))
        setValue(clamped);
}
