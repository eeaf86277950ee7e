#include "mainwindow/SaveChooser.h"

#include <QFileDialog>

QString SaveDialogChooser::chooseFileToSave(QWidget *owner, const QString &title,
                                            const QStringList &filters, int &filter)
{
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    filter = std::max<int>(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}
