#include "MyColorDlg.h"

TMyColorFrm::TMyColorFrm(QWidget *parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TMyColorFrm"));
    setFixedSize(153, 119);
}
