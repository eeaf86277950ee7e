#include "mainwindow/uTestSqlite.h"
#include <QApplication>
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TMainFrm w;
    w.show();
    return app.exec();
}
