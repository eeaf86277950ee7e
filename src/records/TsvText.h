#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Rows of cells as text that spreadsheets paste into cells, as the grid's
// copy writes them: cells separated by a tab, every row ended by CRLF, a
// cell holding a tab, CR, LF or double quote quoted with its quotes doubled.
namespace TsvText {

QString field(const QString &cell);
QString rows(const QList<QStringList> &rows);

} // namespace TsvText
