#include "curves/PrintPages.h"

#include <algorithm>
#include <limits>

namespace PrintPages {

std::optional<int> pageCount(int start, int end, int pointsPerScreen)
{
    if (end <= start || pointsPerScreen <= 0)
        return std::nullopt;
    const qint64 span = qint64(end) - start;
    const qint64 pages = span / pointsPerScreen + (span % pointsPerScreen > 0 ? 1 : 0);
    return static_cast<int>(std::min<qint64>(pages, std::numeric_limits<int>::max()));
}

QString pageCountText(int pages, int pointsPerScreen, bool chinese)
{
    return QString::number(pages)
        + (chinese ? QStringLiteral(" / 每页打印数据点(") : QStringLiteral(" / Page Dat Point("))
        + QString::number(pointsPerScreen) + QStringLiteral(")");
}

QSize windowClientSize(QSize picture)
{
    return QSize(picture.width(), picture.height() + PanelHeight);
}

} // namespace PrintPages
