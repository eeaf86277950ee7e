#include "uTestSqlite.h"
TMainFrm::TMainFrm(QWidget *parent) : QMainWindow(parent) {}
