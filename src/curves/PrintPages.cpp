#include "curves/PrintPages.h"

#include "texts/Translations.h"

#include <QFileInfo>

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

QString pageCountText(int pages, int pointsPerScreen, Language language)
{
    return Translations::text(language, "CurveWindow",
                              QT_TRANSLATE_NOOP("CurveWindow", "%1 / Page Dat Point(%2)"))
        .arg(pages)
        .arg(pointsPerScreen);
}

QString jobName(const QString &filePath, int page, int pages)
{
    const QString count = QStringLiteral("%1/%2").arg(page).arg(pages);
    const QString name = QFileInfo(filePath).fileName();
    return name.isEmpty() ? count : name + QStringLiteral(" \u2014 ") + count;
}

QSize windowClientSize(QSize picture)
{
    return QSize(picture.width(), picture.height() + PanelHeight);
}

} // namespace PrintPages
