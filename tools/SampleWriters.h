#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Writers of the four kinds of panel log file. Each writes the whole file
// under a temporary name and moves it into place, so a failed run leaves no
// half-written file behind. They return an empty text on success, else what
// went wrong.
namespace SampleWriters {

struct Content
{
    std::int64_t records = 100;
    std::uint64_t seed = 1;
    std::int64_t firstId = 1;
    int pageSize = 0; // of a database; 0 leaves the library's own
};

// Record count per buffer 1..12; NotCreated leaves the table out.
inline constexpr std::int64_t NotCreated = -1;
using BufferCounts = std::array<std::int64_t, 12>;

QString writeDataBin(const QString &path, const Content &content);
QString writeAlarmBin(const QString &path, const Content &content);
QString writeAlarmDb(const QString &path, const Content &content);
// content.records is ignored: counts gives each buffer's size.
QString writeDataDb(const QString &path, const Content &content, const BufferCounts &counts);

} // namespace SampleWriters
