#include "records/TsvText.h"

namespace TsvText {

QString field(const QString &cell)
{
    const bool quoted = cell.contains(QLatin1Char('\t')) || cell.contains(QLatin1Char('"'))
        || cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n'));
    if (!quoted)
        return cell;
    QString text = cell;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString rows(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += QLatin1Char('\t');
            text += field(row[i]);
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace TsvText
