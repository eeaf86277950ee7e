#pragma once
#include "platform/MessageSink.h"
class MessageBoxSink : public MessageSink
{
public:
    void showMessage(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     bool stayOnTop = false) override;
    void showFailure(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     const QString &cause) override;
    SaveAnswer askToSave(QWidget *owner, const SaveQuestion &question) override;

private:
    void show(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
              const QString &cause, bool stayOnTop);
};
