#pragma once

// Stands in for the open dialog: answers with the file a test picked.

#include "mainwindow/MainWindow.h"

#include <QString>

class PickedFile : public FileChooser
{
public:
    QString chooseFileToOpen(QWidget *) override
    {
        ++asked;
        return file;
    }
    QString chooseTagSheet(QWidget *) override { return sheet; }
    QString file; // empty: the dialog was cancelled
    QString sheet; // the tag sheet picked; empty: cancelled
    int asked = 0;
};
