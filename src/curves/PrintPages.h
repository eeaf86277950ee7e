#pragma once

#include "platform/Language.h"

#include <QSize>
#include <QString>

#include <optional>

// The print range's page computation and the window size that fits the
// picture.
namespace PrintPages {

inline constexpr int PanelHeight = 147;

// Pages of p points for the IDs start..end: none when end is not above start
// or p is not positive (the page count then stays as it was).
std::optional<int> pageCount(int start, int end, int pointsPerScreen);

// "3 / Page Dat Point(85)" or the Chinese form.
QString pageCountText(int pages, int pointsPerScreen, Language language);

// A print job's name: the file's name and the page among the pages,
// "Data.bin — 2/3"; the page alone for a grid that came from no file.
QString jobName(const QString &filePath, int page, int pages);

// Client size that holds the settings panel above a picture of the given
// size.
QSize windowClientSize(QSize picture);

// Grid row of an ID, IDs running one per row from the first data ID.
inline qint64 rowOfId(qint64 id, qint64 firstDataId)
{
    return id - firstDataId + 1;
}

} // namespace PrintPages
