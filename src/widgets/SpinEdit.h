#pragma once

#include <QAbstractSpinBox>

// An integer field with up/down buttons whose value is whatever its text
// says: a text that is not a decimal integer counts as the minimum, a typed
// value outside the range is used as typed until the field loses the focus
// and is then brought to the nearer bound. Every change of the text is a
// change of the value (valueChanged is emitted even when the number stays).
class SpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(int tag READ tag WRITE setTag)
public:
    explicit SpinEdit(QWidget *parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setMinimum(int min);
    void setMaximum(int max);
    // Sets the bounds only: the text and the value stay as they are.
    void setRange(int min, int max);

    int value() const;
    // Writes the decimal text of value (a change whenever the text changes).
    void setValue(int value);

    // Characters that can be typed; the program may write longer texts.
    int maxLength() const;
    void setMaxLength(int length);

    // A free integer the owner may keep with the field.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The number the text stands for, or min when it is not a decimal integer.
    static int textValue(QStringView text, int min);

    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

signals:
    void valueChanged(int value);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void clampToRange();

    int m_min = 0;
    int m_max = 100;
    int m_tag = 0;
    int m_maxLength = 32767;
};
