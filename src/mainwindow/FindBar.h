#pragma once

#include "platform/Language.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The find bar: a text field, next and previous buttons, the match count and
// a close button. It lies over the bottom of the widget it is anchored to,
// so showing or hiding it moves nothing.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(QWidget *anchor, QWidget *parent);

    QString text() const;
    void setTexts(Language language);
    void setCount(const QString &count);
    // Shows the bar with `text` (when not null) in the field, focused.
    void open(const QString &text = QString());

signals:
    void textEdited(const QString &text);
    void next();
    void previous();
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QWidget *m_anchor;
    QLineEdit *m_field;
    QPushButton *m_next;
    QPushButton *m_previous;
    QLabel *m_count;
    QToolButton *m_close;
};
