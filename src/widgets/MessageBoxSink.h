#pragma once
#include "platform/MessageSink.h"
class MessageBoxSink : public MessageSink
{
public:
    void showMessage(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     bool stayOnTop = false) override;
};
