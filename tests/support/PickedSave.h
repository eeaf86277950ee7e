#pragma once

// Stands in for the save dialog: answers with the file and filter a test
// picked, and keeps the filters it was offered.

#include "mainwindow/SaveChooser.h"

#include <QString>
#include <QStringList>

class PickedSave : public SaveChooser
{
public:
    QString chooseFileToSave(QWidget *, const QString &, const QStringList &offered,
                             int &chosen) override
    {
        filters = offered;
        chosen = filter;
        return file;
    }
    QString file; // empty: the dialog was cancelled
    int filter = 0;
    QStringList filters;
};
