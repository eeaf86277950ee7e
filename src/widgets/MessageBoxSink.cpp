#include "widgets/MessageBoxSink.h"

#include <QMessageBox>

void MessageBoxSink::showMessage(QWidget *owner, MessageIcon icon, const QString &caption,
                                 const QString &text, bool stayOnTop)
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
    box.setStandardButtons(QMessageBox::Ok);
    if (stayOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}
