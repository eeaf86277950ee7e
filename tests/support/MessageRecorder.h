#pragma once

// A message sink that keeps what the windows report instead of showing boxes.

#include "platform/MessageSink.h"

#include <QList>
#include <QStringList>

struct RecordedMessage
{
    QWidget *owner = nullptr;
    MessageIcon icon = MessageIcon::Information;
    QString caption;
    QString text;
    bool stayOnTop = false;
    QString cause; // showFailure's cause
};

class MessageRecorder : public MessageSink
{
public:
    void showMessage(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     bool stayOnTop) override
    {
        messages.append({owner, icon, caption, text, stayOnTop, {}});
    }
    void showFailure(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     const QString &cause) override
    {
        messages.append({owner, icon, caption, text, false, cause});
    }
    // Answers with the next of `answers`; Cancel, as a sink that cannot ask,
    // when none is left.
    SaveAnswer askToSave(QWidget *owner, const SaveQuestion &question) override
    {
        questions.append(question);
        questionOwners.append(owner);
        return answers.isEmpty() ? SaveAnswer::Cancel : answers.takeFirst();
    }

    // "caption: text" of every message so far.
    QStringList lines() const
    {
        QStringList result;
        for (const RecordedMessage &m : messages)
            result << m.caption + QStringLiteral(": ") + m.text;
        return result;
    }
    // The lines so far, then forgets them.
    QStringList take()
    {
        const QStringList result = lines();
        messages.clear();
        return result;
    }
    QList<QWidget *> owners() const
    {
        QList<QWidget *> result;
        for (const RecordedMessage &m : messages)
            result << m.owner;
        return result;
    }
    QStringList causes() const
    {
        QStringList result;
        for (const RecordedMessage &m : messages)
            result << m.cause;
        return result;
    }
    QList<MessageIcon> icons() const
    {
        QList<MessageIcon> result;
        for (const RecordedMessage &m : messages)
            result << m.icon;
        return result;
    }

    QList<RecordedMessage> messages;
    // The questions asked so far, and the answers still to give.
    QList<SaveQuestion> questions;
    QList<QWidget *> questionOwners;
    QList<SaveAnswer> answers;
};
