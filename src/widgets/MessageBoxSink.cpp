#include "widgets/MessageBoxSink.h"

#include <QMessageBox>

void MessageBoxSink::showMessage(QWidget *owner, MessageIcon icon, const QString &caption,
                                 const QString &text, bool stayOnTop)
{
    show(owner, icon, caption, text, {}, stayOnTop);
}

void MessageBoxSink::showFailure(QWidget *owner, MessageIcon icon, const QString &caption,
                                 const QString &text, const QString &cause)
{
    show(owner, icon, caption, text, cause, false);
}

void MessageBoxSink::show(QWidget *owner, MessageIcon icon, const QString &caption,
                          const QString &text, const QString &cause, bool stayOnTop)
{
    QMessageBox box(owner);
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setWindowTitle(caption);
    box.setText(text);
    // The text stays as short as it always was; the cause is there for whoever asks.
    if (!cause.isEmpty())
        box.setDetailedText(cause);
    box.setStandardButtons(QMessageBox::Ok);
    if (stayOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}
