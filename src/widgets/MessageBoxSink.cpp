#include "widgets/MessageBoxSink.h"

#include <QMessageBox>
#include <QPushButton>

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

SaveAnswer MessageBoxSink::askToSave(QWidget *owner, const SaveQuestion &question)
{
    QMessageBox box(owner);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(question.caption);
    box.setText(question.text);
    // The answers in the program's language, whatever catalogue Qt has.
    QPushButton *save = box.addButton(question.save, QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(question.discard, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(question.cancel, QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    if (box.clickedButton() == discard)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
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
