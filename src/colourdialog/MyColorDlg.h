#pragma once

#include <QDialog>

// The colour dialog, created hidden at start-up. Its palette comes with the
// colour choice of the curve window.
class TMyColorFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TMyColorFrm(QWidget *parent = nullptr);
};
