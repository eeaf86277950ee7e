#include "export/WorkbookTemplate.h"

#include "export/Automation.h"
#include "platform/SafeOutputFile.h"
#include "platform/TemporaryFolders.h"

#include <QFile>
#include <QRegularExpression>

#include <zlib.h>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace WorkbookTemplate {

namespace {

const QByteArray ContentTypesPart = QByteArrayLiteral("[Content_Types].xml");
const QByteArray WorkbookType = QByteArrayLiteral(
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
const QByteArray TemplateType = QByteArrayLiteral(
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml");

constexpr quint32 LocalSignature = 0x04034b50;
constexpr quint32 CentralSignature = 0x02014b50;
constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 DescriptorSignature = 0x08074b50;
constexpr int LocalSize = 30;
constexpr int CentralSize = 46;
constexpr int EndSize = 22;
constexpr quint16 SizesFollowData = 0x0008;

quint32 read32(const QByteArray &b, qsizetype at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 read16(const QByteArray &b, qsizetype at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

void put32(QByteArray &b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

void put16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char(v >> 8);
}

bool within(const QByteArray &b, qsizetype at, qsizetype size)
{
    return at >= 0 && size >= 0 && at <= b.size() && size <= b.size() - at;
}

std::optional<QByteArray> inflated(const QByteArray &data, quint16 method, quint32 size)
{
    if (method == 0)
        return data;
    if (method != 8)
        return std::nullopt;
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    z_stream z {};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = result == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    if (!whole)
        return std::nullopt;
    return out;
}

} // namespace

QByteArray fromWorkbook(const QByteArray &workbook)
{
    // The end record: the last signature that leaves room for its comment.
    qsizetype end = workbook.size() - EndSize;
    while (end >= 0 && read32(workbook, end) != EndSignature)
        --end;
    if (end < 0 || !within(workbook, end, EndSize + read16(workbook, end + 20)))
        return {};
    const int entries = read16(workbook, end + 10);
    const quint32 centralSize = read32(workbook, end + 12);
    const quint32 centralStart = read32(workbook, end + 16);
    // The 0xffff.. markers of a large package mean values kept elsewhere.
    if (entries == 0xffff || centralStart == 0xffffffff
        || !within(workbook, centralStart, centralSize))
        return {};

    QByteArray out;
    out.reserve(workbook.size() + 64);
    QByteArray central;
    bool changed = false;
    qsizetype at = centralStart;
    for (int i = 0; i < entries; ++i) {
        if (!within(workbook, at, CentralSize) || read32(workbook, at) != CentralSignature)
            return {};
        const qsizetype entrySize = CentralSize + read16(workbook, at + 28)
            + read16(workbook, at + 30) + read16(workbook, at + 32);
        if (!within(workbook, at, entrySize))
            return {};
        QByteArray entry = workbook.mid(at, entrySize);
        at += entrySize;
        const QByteArray name = entry.mid(CentralSize, read16(entry, 28));
        const quint16 flags = read16(entry, 8);
        const quint16 method = read16(entry, 10);
        const quint32 packed = read32(entry, 20);
        const quint32 size = read32(entry, 24);
        const quint32 local = read32(entry, 42);
        if (packed == 0xffffffff || size == 0xffffffff || local == 0xffffffff
            || !within(workbook, local, LocalSize) || read32(workbook, local) != LocalSignature)
            return {};
        const qsizetype dataStart
            = local + LocalSize + read16(workbook, local + 26) + read16(workbook, local + 28);
        if (!within(workbook, dataStart, packed))
            return {};
        qsizetype dataEnd = dataStart + packed;
        if (flags & SizesFollowData) {
            const bool signed_
                = within(workbook, dataEnd, 4) && read32(workbook, dataEnd) == DescriptorSignature;
            dataEnd += signed_ ? 16 : 12;
            if (dataEnd > workbook.size())
                return {};
        }
        if (out.size() > qsizetype(0xfffffffe))
            return {};
        put32(entry, 42, quint32(out.size()));

        if (name != ContentTypesPart) {
            out += workbook.mid(local, dataEnd - local);
            central += entry;
            continue;
        }
        const std::optional<QByteArray> text
            = inflated(workbook.mid(dataStart, packed), method, size);
        if (!text || !text->contains(WorkbookType))
            return {};
        QByteArray types = *text;
        types.replace(WorkbookType, TemplateType);
        const quint32 crc = quint32(
            crc32(0, reinterpret_cast<const Bytef *>(types.constData()), uInt(types.size())));
        // Kept uncompressed: a few hundred bytes.
        QByteArray header(LocalSize, '\0');
        put32(header, 0, LocalSignature);
        put16(header, 4, 20);
        put16(header, 6, quint16(flags & ~SizesFollowData));
        put16(header, 8, 0);
        put32(header, 10, read32(entry, 12)); // time and date
        put32(header, 14, crc);
        put32(header, 18, quint32(types.size()));
        put32(header, 22, quint32(types.size()));
        put16(header, 26, quint16(name.size()));
        out += header + name + types;
        put16(entry, 8, quint16(flags & ~SizesFollowData));
        put16(entry, 10, 0);
        put32(entry, 16, crc);
        put32(entry, 20, quint32(types.size()));
        put32(entry, 24, quint32(types.size()));
        changed = true;
        central += entry;
    }
    if (!changed || out.size() + central.size() > qsizetype(0xfffffff0))
        return {};
    QByteArray tail = workbook.mid(end, EndSize + read16(workbook, end + 20));
    put32(tail, 12, quint32(central.size()));
    put32(tail, 16, quint32(out.size()));
    out += central + tail;
    return out;
}

void writeTemplateFile(const QString &workbookPath, const QString &templatePath)
{
    QFile in(workbookPath);
    if (!in.open(QIODevice::ReadOnly))
        throw AutomationError("cannot read " + workbookPath.toStdString());
    const QByteArray package = fromWorkbook(in.readAll());
    in.close();
    if (package.isEmpty())
        throw AutomationError("cannot make a template of " + workbookPath.toStdString());
    SafeOutputFile out(templatePath);
    if (!out.open() || !out.write(package) || !out.commit())
        throw AutomationError("cannot write " + templatePath.toStdString() + ": "
                              + out.errorString().toStdString());
}

QString exportFolderPattern()
{
    return QStringLiteral("norvale-export-XXXXXX");
}

void holdExportFolder(const QString &folder, const QStringList &names)
{
    // Kept until the process ends: the application may read the template
    // any time while this run lives.
    static std::mutex guard;
    static std::vector<std::unique_ptr<TemporaryFolders::FolderLock>> held;
    auto lock = std::make_unique<TemporaryFolders::FolderLock>();
    if (!lock->take(folder))
        return; // then the age limit alone keeps it
    for (const QString &name : names)
        lock->record(name);
    const std::lock_guard<std::mutex> locked(guard);
    held.push_back(std::move(lock));
}

int removeStaleExports(const QString &root, const QDateTime &now, std::chrono::seconds maxAge)
{
    const QString pattern = exportFolderPattern();
    static const QRegularExpression folderName(
        QLatin1Char('^') + QRegularExpression::escape(pattern.left(pattern.indexOf(u'X')))
        + QStringLiteral("[A-Za-z0-9]{6}$"));
    // The temporary file a write left when its run was killed.
    static const QRegularExpression temporary(QStringLiteral("^\\.(.+)\\.[0-9a-z]+\\.tmp$"));
    const qint64 limit = now.toSecsSinceEpoch() - maxAge.count();
    const auto own = [](const TemporaryFolders::Folder &folder, const QString &name) {
        // A folder of a run without the lock holds its template only.
        if (!folder.locked)
            return name.endsWith(QLatin1String(".xltx"));
        if (folder.recorded.contains(name))
            return true;
        const QRegularExpressionMatch match = temporary.match(name);
        return match.hasMatch() && folder.recorded.contains(match.captured(1));
    };
    return TemporaryFolders::removeFolders(
        root, folderName, [&](const TemporaryFolders::Folder &folder) {
            // An empty folder may be an export being written just now.
            if (folder.files.isEmpty())
                return folder.modified < limit;
            for (const TemporaryFolders::Folder::File &file : folder.files)
                if (file.modified >= limit || !own(folder, file.name))
                    return false;
            return true;
        });
}

} // namespace WorkbookTemplate
