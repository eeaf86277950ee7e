#include "mainwindow/FindBar.h"

#include "texts/MainTexts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

FindBar::FindBar(QWidget *anchor, QWidget *parent)
    : QWidget(parent)
    , m_anchor(anchor)
    , m_field(new QLineEdit(this))
    , m_next(new QPushButton(this))
    , m_previous(new QPushButton(this))
    , m_count(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_field->setObjectName(QStringLiteral("FindText"));
    m_next->setObjectName(QStringLiteral("FindNext"));
    m_previous->setObjectName(QStringLiteral("FindPrevious"));
    m_count->setObjectName(QStringLiteral("FindCount"));
    m_close->setObjectName(QStringLiteral("FindClose"));
    setAutoFillBackground(true);
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_count->setMinimumWidth(90);
    m_field->setClearButtonEnabled(true);
    // A file dropped over the bar opens it, as anywhere on the window.
    m_field->setAcceptDrops(false);
    m_field->installEventFilter(this);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(m_field, 1);
    row->addWidget(m_next);
    row->addWidget(m_previous);
    row->addWidget(m_count);
    row->addWidget(m_close);

    connect(m_field, &QLineEdit::textEdited, this, &FindBar::textEdited);
    connect(m_next, &QPushButton::clicked, this, &FindBar::next);
    connect(m_previous, &QPushButton::clicked, this, &FindBar::previous);
    connect(m_close, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, m_close, &QToolButton::click);

    anchor->installEventFilter(this);
    setTexts(Language::Chinese);
    hide();
}

QString FindBar::text() const
{
    return m_field->text();
}

void FindBar::setTexts(Language language)
{
    m_field->setPlaceholderText(MainTexts::findPlaceholder(language));
    m_next->setText(MainTexts::findNext(language));
    m_previous->setText(MainTexts::findPrevious(language));
}

void FindBar::setCount(const QString &count)
{
    m_count->setText(count);
}

void FindBar::open(const QString &text)
{
    // A new text in the field: the count of the old one goes.
    if (!text.isNull() && text != m_field->text()) {
        m_field->setText(text);
        m_count->clear();
    }
    place();
    show();
    raise();
    m_field->setFocus();
    if (text.isNull())
        m_field->selectAll();
    else
        m_field->end(false);
}

void FindBar::place()
{
    const int h = sizeHint().height();
    const QRect a = m_anchor->geometry();
    setGeometry(a.x(), a.bottom() + 1 - h, a.width(), h);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_anchor && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                emit previous();
            else
                emit next();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
